// Each run's report goes to the context it was handed: two runs side by side (the installed copy
// and its temporary copy in one test process, two hosts in one test) never hear each other's
// removals, whichever worker reports them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/addons/add_on_remover.h"
#include "engine/files/file.h"
#include "engine/files/shortcuts.h"
#include "engine/registry/registry_tree.h"
#include "engine/removal_report.h"
#include "platform/shell.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace {

struct Lines : engine::RemovalListener {
    std::vector<std::string> heard;
    void Note(const std::u16string& line) override { heard.push_back(sim::Narrow(line)); }
};

const std::u16string kReadme = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\Readme.txt";
const std::u16string kDriverFile = u"C:\\windows\\system32\\spool\\drivers\\x64\\3\\ozrvpr_drv.dll";

TEST(RemovalReport, ARunsRemovalsAreHeardByItsOwnListenerAlone) {
    struct Case {
        const char* what;
        std::function<void(engine::RemovalContext&)> report;  // arranges the machine, then reports
        std::vector<std::string> heard;                        // what the run's own listener hears
        std::size_t scheduled;                                 // what the run's context lists for the restart
    };
    const Case cases[] = {
        {"a file removed",
         [](engine::RemovalContext& context) {
             sim::machine().files.AddFile(kReadme, "text");
             engine::files::DeleteProductFile(context, kReadme);
         },
         {"removed: file " + sim::Narrow(kReadme)},
         0},
        {"a held file scheduled at the restart",
         [](engine::RemovalContext& context) {
             sim::machine().files.AddFile(kDriverFile, "MZ");
             sim::machine().files.Find(kDriverFile)->inUse = true;
             engine::files::DeleteNowOrAtRestart(context, kDriverFile);
         },
         {sim::Narrow(engine::RemovalLine(u"file " + kDriverFile, win::ERROR_SHARING_VIOLATION)),
          "scheduled at restart: file " + sim::Narrow(kDriverFile)},
         1},
        {"a registry tree not there",
         [](engine::RemovalContext& context) {
             engine::registry::DeleteRegistryTree(context, win::HKEY_CURRENT_USER, u"Software\\Orvik Software\\Nothing");
         },
         {"not there: key HKCU\\Software\\Orvik Software\\Nothing"},
         0},
        {"an add-on's failure",
         [](engine::RemovalContext& context) {
             engine::addons::ReportRemovalFailure(context, u"Delete kpdfcjk.bin failed!", u"Eastern Asian Language Support");
         },
         {"diagnostic: Eastern Asian Language Support: Delete kpdfcjk.bin failed!"},
         0},
        {"a shell folder refused",
         [](engine::RemovalContext& context) {
             sim::machine().shell.folders[win::CSIDL_APPDATA] = u"C:\\Windows";
             engine::files::RemoveQuickLaunchShortcut(context);
         },
         {"refused: shell folder AppData C:\\Windows (a system folder or a program's)"},
         0},
        {"a file kept", [](engine::RemovalContext& context) { context.ReportKept(u"file C:\\Orvik\\mine.pdf"); },
         {"kept: file C:\\Orvik\\mine.pdf"},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Lines firstLines, secondLines;
        engine::RemovalContext first(firstLines), second(secondLines);

        sim::Reset();
        c.report(first);
        EXPECT_EQ(firstLines.heard, c.heard);
        EXPECT_EQ(secondLines.heard, std::vector<std::string>{});

        sim::Reset();
        firstLines.heard.clear();
        c.report(second);
        EXPECT_EQ(secondLines.heard, c.heard);
        EXPECT_EQ(firstLines.heard, std::vector<std::string>{});

        EXPECT_EQ(first.scheduledAtRestart.size(), c.scheduled);
        EXPECT_EQ(second.scheduledAtRestart.size(), c.scheduled);
    }
}

// A context nobody listens to takes every report and hands no line anywhere.
TEST(RemovalReport, AContextWithoutListenerTellsNobody) {
    Lines lines;
    engine::RemovalContext heard(lines), unheard;
    sim::machine().files.AddFile(kReadme, "text");

    EXPECT_TRUE(engine::files::DeleteProductFile(unheard, kReadme));
    unheard.ReportDiagnostic(u"text");

    EXPECT_EQ(lines.heard, std::vector<std::string>{});
    EXPECT_FALSE(sim::machine().files.Exists(kReadme));
}

}  // namespace
