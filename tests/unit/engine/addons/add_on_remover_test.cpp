// The add-on step: its eight sub-steps, their tables and the texts they report.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/addons/add_on_remover.h"
#include "engine/registry/registry_tree.h"
#include "engine/removal_report.h"
#include "platform/registry.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace {

constexpr char16_t kInstall[] = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\";
constexpr char16_t kBase[] = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel";
constexpr char16_t kUpdates[] = u"Software\\Orvik Software\\Orvik Pendrel\\Updates List";

// The add-on step as the engine runs it: records deleted with the registry's own deletion, its
// lines heard by nobody.
class Remover {
public:
    explicit Remover(const std::u16string& installPath)
        : m_remover(m_context, installPath, engine::addons::Attendance::Installer, &engine::registry::DeleteRegistryKey) {}
    engine::addons::AddOnRemover* operator->() { return &m_remover; }

private:
    engine::RemovalContext m_context;
    engine::addons::AddOnRemover m_remover;
};

sim::FileSystem& Fs() { return sim::machine().files; }
std::u16string At(const std::u16string& relative) { return kBase + relative; }

std::vector<std::string> Reports() {
    std::vector<std::string> out;
    for (const auto& line : sim::machine().system.debugOutput) out.push_back(sim::Narrow(line));
    return out;
}

std::string Report(const std::string& label, const std::string& text) { return "Uninstall: " + label + ": " + text + "\n"; }

// What the installer lays down for every add-on and data directory.
void InstallEverything() {
    for (auto p : {u"\\kpdfcjk.bin", u"\\kvdecod1.dll", u"\\Plugins\\npOrvikReaderPlugin.dll", u"\\UnPDFReaderPlugin.exe",
                   u"\\Plugins\\OnDemandCM\\OnDemandPlugin.dll", u"\\Plugins\\OnDemandCM\\curl\\curl.exe",
                   u"\\Plugins\\OnDemandCM\\curl\\libcurl.dll", u"\\Plugins\\OnDemandCM\\curl\\libeay32.dll",
                   u"\\Plugins\\OnDemandCM\\curl\\libssl32.dll", u"\\Plugins\\OnDemandCM\\en.xml",
                   u"\\Stamps\\Standard Stamps\\Approved.pdf", u"\\Stamps\\Sign Here\\SignHere.pdf",
                   u"\\lang\\uninst_lang_en_us.xml", u"\\plugins\\OCR\\KV_Abbyy_OCR\\engine.dat",
                   u"\\plugins\\OCR\\KV_Abbyy_OCR\\data\\dict.bin", u"\\plugins\\OCR\\KV_Abbyy_OCR.Dll",
                   u"\\UpdaterInfo.xml", u"\\Readme.txt"})
        Fs().AddFile(At(p));
    for (const char16_t* name : engine::addons::LexFileNames) Fs().AddFile(At(u"\\lex\\") + name);
    auto& reg = sim::machine().registry;
    for (auto label : {u"Eastern Asian Language Support", u"JPEG2000 and JBIG2 Image Decoders",
                       u"Orvik Spell Check Language", u"Firefox Plugin", u"OnDemandCM"})
        reg.SetString(win::HKEY_CURRENT_USER, kUpdates + std::u16string(u"\\") + label, u"Version", u"1.0");
}

TEST(AddOnRemover, NothingInstalledRunsEveryRowAndReportsEachFailure) {
    Remover(kInstall)->RemoveAll();

    const std::string cjk = "Eastern Asian Language Support", img = "JPEG2000 and JBIG2 Image Decoders",
                      lex = "Orvik Spell Check Language", fx = "Firefox Plugin", od = "OnDemandCM";
    std::vector<std::string> expected = {Report(cjk, "Delete kpdfcjk.bin failed!"),
                                         Report(img, "Delete kvdecod1.dll failed!"), Report(lex, "Find lex files failed!")};
    expected.insert(expected.end(), engine::addons::kLexFileCount, Report(lex, "Delete lex files failed!"));
    expected.push_back(Report(lex, "Delete lex Directory failed!"));
    for (const char* text : {"Uninstall firefox plugin failed!", "Delete npOrvikReaderPlugin.dll failed!",
                             "Delete UninstallPDFReaderPlugin.exe failed!", "Delete UnPDFReaderPlugin.exe failed!",
                             "Delete OnDemandCM failed!", "Delete Plugins Directory failed!"})
        expected.push_back(Report(fx, text));
    for (const char* text : {"Delete OnDemandPlugin.dll failed!", "Delete curl.exe failed!", "Delete libcurl.dll failed!",
                             "Delete libeay32.dll failed!", "Delete libssl32.dll failed!",
                             "Delete Plugins OnDemandCM curl Directory failed!",
                             "Delete Plugins OnDemandCM Directory failed!", "Delete Plugins Directory failed!"})
        expected.push_back(Report(od, text));
    for (const char* text : {"Delete stamps default directory failed!", "Delete stamps default directory failed!",
                             "Delete stamps directory failed!"})
        expected.push_back(Report("Stamps", text));
    expected.push_back(Report("language", "Delete language directory failed!"));
    for (const char* text : {"Delete OCR directory failed!", "Delete KV_Abbyy_OCR.Dll directory failed!",
                             "Delete UpdaterInfo.xml failed!", "Delete OCR directory failed!"})
        expected.push_back(Report("OCR", text));
    EXPECT_EQ(Reports(), expected);
    // The ten dictionaries by name: their directory is looked for once for each.
    auto opened = sim::machine().CallsTo("CreateFileW");
    EXPECT_EQ(std::count(opened.begin(), opened.end(), sim::Narrow(At(u"\\lex")) + " [directory]"), 10);
    // Records that are not there are looked for, never deleted by name.
    EXPECT_TRUE(sim::machine().CallsTo("NtDeleteKey").empty());
    EXPECT_TRUE(sim::machine().CallsTo("RegDeleteKeyW").empty());
    EXPECT_FALSE(sim::machine().registry.Exists(win::HKEY_CURRENT_USER, u"Software\\Orvik Software"));
    EXPECT_TRUE(sim::machine().shell.launches.empty());
}

TEST(AddOnRemover, EverythingInstalledIsRemovedButTheDirectoriesLeftForLater) {
    InstallEverything();

    Remover(kInstall)->RemoveAll();

    // Only what later steps take care of is left: the program files and the plug-in
    // directories that the XML files kept until the OnDemandCM rows had run.
    std::vector<std::string> left;
    for (const auto& path : Fs().AllPaths())
        if (path.rfind(kBase + std::u16string(u"\\"), 0) == 0) left.push_back(sim::Narrow(path.substr(std::u16string(kBase).size())));
    EXPECT_EQ(left, (std::vector<std::string>{"\\Plugins", "\\Plugins\\OnDemandCM", "\\Readme.txt"}));
    EXPECT_FALSE(sim::machine().registry.Exists(win::HKEY_CURRENT_USER, u"Software\\Orvik Software\\Orvik Pendrel\\Updates List\\OnDemandCM"));
    EXPECT_TRUE(sim::machine().registry.Exists(win::HKEY_CURRENT_USER, kUpdates));
    ASSERT_EQ(sim::machine().system.processes.size(), 1u);
}

TEST(AddOnRemover, TrailingBackslashesOfTheInstallPath) {
    EXPECT_EQ(Remover(u"C:\\Apps\\Orvik\\")->BaseDirectory(), u"C:\\Apps\\Orvik");
    EXPECT_EQ(Remover(u"C:\\Apps\\Orvik")->BaseDirectory(), u"C:\\Apps\\Orvik");
    EXPECT_EQ(Remover(u"C:\\Apps\\Orvik\\\\")->BaseDirectory(), u"C:\\Apps\\Orvik\\");
    Fs().AddDirectory(u"C:\\Apps\\Orvik");
    Remover(u"C:\\Apps\\Orvik\\")->RemoveCjkSupport();
    EXPECT_EQ(sim::machine().DeletionsTried("file"), (std::vector<std::string>{"C:\\Apps\\Orvik\\kpdfcjk.bin"}));
}

TEST(AddOnRemover, ForeignFilesKeepTheirDirectories) {
    InstallEverything();
    Fs().AddFile(At(u"\\lex\\custom.tlx"));
    Fs().AddFile(At(u"\\Stamps\\Sign Here\\my signature.png"));
    Fs().AddFile(At(u"\\lang\\notes.txt"));

    Remover(kInstall)->RemoveAll();

    EXPECT_EQ(Fs().List(At(u"\\lex")), (std::vector<std::u16string>{u"custom.tlx"}));
    EXPECT_EQ(Fs().List(At(u"\\Stamps\\Sign Here")), (std::vector<std::u16string>{u"my signature.png"}));
    EXPECT_FALSE(Fs().Exists(At(u"\\Stamps\\Standard Stamps")));
    EXPECT_EQ(Fs().List(At(u"\\lang")), (std::vector<std::u16string>{u"notes.txt"}));
    auto reports = Reports();
    EXPECT_NE(std::find(reports.begin(), reports.end(), Report("Stamps", "Delete stamps directory failed!")),
              reports.end());
    EXPECT_NE(std::find(reports.begin(), reports.end(), Report("language", "Delete language directory failed!")),
              reports.end());
}

TEST(AddOnRemover, RecordWithSubkeyStaysWhileItsSiblingsGo) {
    InstallEverything();
    auto& reg = sim::machine().registry;
    reg.Create(win::HKEY_CURRENT_USER, kUpdates + std::u16string(u"\\Firefox Plugin\\Files"));

    Remover(kInstall)->RemoveAll();

    EXPECT_TRUE(reg.Exists(win::HKEY_CURRENT_USER, kUpdates + std::u16string(u"\\Firefox Plugin\\Files")));
    EXPECT_FALSE(reg.Exists(win::HKEY_CURRENT_USER, kUpdates + std::u16string(u"\\OnDemandCM")));
    EXPECT_FALSE(reg.Exists(win::HKEY_CURRENT_USER, kUpdates + std::u16string(u"\\Orvik Spell Check Language")));
    EXPECT_EQ(sim::machine().CountCalls("NtDeleteKey"), 5u);
}

// The user's processes can write the records while the removal runs elevated: a link planted as
// a record, or in place of "Updates List", is removed itself and the key it names stays.
TEST(AddOnRemover, RegistryLinksAmongTheRecordsAreNotFollowed) {
    const win::HKEY LM = win::HKEY_LOCAL_MACHINE, CU = win::HKEY_CURRENT_USER;
    auto& reg = sim::machine().registry;
    reg.SetString(LM, u"Software\\Victim", u"Data", u"keep");
    reg.SetString(LM, u"Software\\Victim\\OnDemandCM", u"Data", u"keep");
    InstallEverything();
    reg.CreateLink(CU, kUpdates + std::u16string(u"\\Firefox Plugin"), LM, u"Software\\Victim");

    Remover(kInstall)->RemoveAll();

    EXPECT_TRUE(reg.HasValue(LM, u"Software\\Victim", u"Data"));
    EXPECT_FALSE(reg.Exists(CU, kUpdates + std::u16string(u"\\Firefox Plugin")));
    EXPECT_FALSE(reg.Exists(CU, kUpdates + std::u16string(u"\\OnDemandCM")));

    sim::Reset();
    auto& fresh = sim::machine().registry;
    fresh.SetString(LM, u"Software\\Victim\\OnDemandCM", u"Data", u"keep");
    fresh.CreateLink(CU, kUpdates, LM, u"Software\\Victim");

    Remover(kInstall)->RemoveAll();

    EXPECT_TRUE(fresh.HasValue(LM, u"Software\\Victim\\OnDemandCM", u"Data"));
    EXPECT_TRUE(fresh.Exists(CU, kUpdates));  // the link goes with the product's records later
}

TEST(AddOnRemover, LinksInsideTheInstallDirectoryAreNotFollowed) {
    const std::u16string documents = u"C:\\Users\\user\\Documents";
    Fs().AddFile(documents + u"\\accent.tlx");
    Fs().AddFile(documents + u"\\Standard Stamps\\contract.pdf");
    Fs().AddFile(documents + u"\\OCR\\KV_Abbyy_OCR.Dll");
    Fs().AddFile(documents + u"\\curl\\curl.exe");
    Fs().AddJunction(At(u"\\lex"), documents);
    Fs().AddJunction(At(u"\\Stamps"), documents);
    Fs().AddJunction(At(u"\\plugins"), documents);

    Remover(kInstall)->RemoveAll();

    EXPECT_TRUE(Fs().Exists(documents + u"\\accent.tlx"));
    EXPECT_TRUE(Fs().Exists(documents + u"\\Standard Stamps\\contract.pdf"));
    EXPECT_TRUE(Fs().Exists(documents + u"\\OCR\\KV_Abbyy_OCR.Dll"));
    EXPECT_TRUE(Fs().Exists(documents + u"\\curl\\curl.exe"));
    // The links themselves are the product's and go.
    EXPECT_FALSE(Fs().Exists(At(u"\\lex")));
    EXPECT_FALSE(Fs().Exists(At(u"\\Stamps")));
}

TEST(AddOnRemover, WithoutInstallPathOnlyTheRecordsGo) {
    InstallEverything();
    Fs().AddFile(u"C:\\kpdfcjk.bin");

    Remover(u"")->RemoveAll();

    EXPECT_TRUE(Fs().Exists(u"C:\\kpdfcjk.bin"));
    EXPECT_EQ(sim::machine().DeletionsTried("file").size(), 0u);
    EXPECT_EQ(sim::machine().DeletionsTried("directory").size(), 0u);
    EXPECT_EQ(sim::machine().CountCalls("FindFirstFileW"), 0u);
    EXPECT_TRUE(sim::machine().shell.launches.empty());
    EXPECT_EQ(sim::machine().CountCalls("NtDeleteKey"), 5u);
}

}  // namespace
