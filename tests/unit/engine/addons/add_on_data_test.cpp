// The spell-check dictionaries and the OnDemandCM directories as the installer lays them down,
// named here as the installer names them rather than taken from the program's own tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/addons/add_on_remover.h"
#include "engine/removal_report.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace {

const std::u16string kBase = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel";

sim::FileSystem& Fs() { return sim::machine().files; }

// The deletions of `kind` ("file", "directory") tried below `directory`, named relative to it.
std::vector<std::string> CallsBelow(const char* kind, const std::u16string& directory) {
    std::vector<std::string> out;
    const std::string prefix = sim::Narrow(kBase + directory);
    for (const auto& call : sim::machine().DeletionsTried(kind))
        if (call.compare(0, prefix.size(), prefix) == 0) out.push_back(call.substr(prefix.size()));
    return out;
}

TEST(SpellCheckDictionaries, TheTenAreDeletedByNameInTheirOrderAndTheirDirectoryGoes) {
    engine::RemovalContext context;
    sim::Reset();
    const std::vector<std::string> dictionaries = {"accent.tlx",  "correct.tlx", "ssceam.tlx", "ssceam2.clx",
                                                   "sscebr.tlx",  "sscebr2.clx", "ssceca.tlx", "ssceca2.clx",
                                                   "tech.tlx",    "userdic.tlx"};
    std::vector<std::string> expected;
    for (const auto& name : dictionaries) {
        Fs().AddFile(kBase + u"\\lex\\" + sim::Widen(name));
        expected.push_back("\\lex\\" + name);
    }

    engine::addons::AddOnRemover(context, kBase + u"\\").RemoveSpellCheck();

    EXPECT_EQ(CallsBelow("file", u""), expected);
    EXPECT_FALSE(Fs().Exists(kBase + u"\\lex"));
}

void LayDownOnDemandCM() {
    for (const char16_t* name : {u"\\Plugins\\OnDemandCM\\OnDemandPlugin.dll", u"\\Plugins\\OnDemandCM\\curl\\curl.exe",
                                 u"\\Plugins\\OnDemandCM\\curl\\libcurl.dll", u"\\Plugins\\OnDemandCM\\curl\\libeay32.dll",
                                 u"\\Plugins\\OnDemandCM\\curl\\libssl32.dll"})
        Fs().AddFile(kBase + name);
}

TEST(OnDemandCM, TakesItsDirectoryAndThenPluginsOnceEmpty) {
    engine::RemovalContext context;
    sim::Reset();
    LayDownOnDemandCM();

    engine::addons::AddOnRemover(context, kBase + u"\\").RemoveOnDemandCM();

    EXPECT_EQ(CallsBelow("directory", u"\\Plugins"),
              (std::vector<std::string>{"\\OnDemandCM\\curl", "\\OnDemandCM", ""}));
    EXPECT_FALSE(Fs().Exists(kBase + u"\\Plugins"));
    EXPECT_TRUE(Fs().Exists(kBase));
}

TEST(OnDemandCM, LeavesPluginsWhileSomethingElseIsInIt) {
    engine::RemovalContext context;
    sim::Reset();
    LayDownOnDemandCM();
    Fs().AddFile(kBase + u"\\Plugins\\npOrvikReaderPlugin.dll");

    engine::addons::AddOnRemover(context, kBase + u"\\").RemoveOnDemandCM();

    EXPECT_FALSE(Fs().Exists(kBase + u"\\Plugins\\OnDemandCM"));
    EXPECT_EQ(Fs().List(kBase + u"\\Plugins"), (std::vector<std::u16string>{u"npOrvikReaderPlugin.dll"}));
}

}  // namespace
