// Start-up: switches, single instance, environment checks, confirmation, the installer link and
// the end of the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/uninstall_app.h"
#include "engine/product.h"
#include "engine/system_checks.h"
#include "i18n/string_catalog.h"
#include "platform/files.h"
#include "support/product_machine.h"

using namespace testing_support;

namespace {

const std::u16string kCaption = u"Orvik Pendrel Uninstall Wizard";

std::vector<std::string> PipeWrites() { return sim::machine().files.pipe.writes; }
std::vector<std::u16string> BoxTexts() {
    std::vector<std::u16string> texts;
    for (const auto& b : sim::machine().windows.boxes) texts.push_back(b.text);
    return texts;
}

// These cases run as the temporary copy, which does the work.
void RunAsTemporaryCopy() {
    auto& m = sim::machine();
    m.system.modulePath = m.system.tempPath + u"orv1A2B.exe";
    m.files.AddFile(m.system.modulePath, "MZ");
}

class Startup : public testing::Test {
protected:
    void SetUp() override {
        InstallProduct();
        RunAsTemporaryCopy();
        sim::machine().files.pipe.exists = true;
    }
    bool Run(const std::u16string& commandLine) {
        app.SetCommandLine(commandLine);
        return app.InitInstance();
    }
    bool ProductExecutableExists() { return sim::machine().files.Exists(kProductExe); }
    app::UninstallApp app;
};

// Silent, the run asks nobody anything; otherwise it asks the user first.
TEST_F(Startup, SilentModeFromUninstForInstAnywhereInTheCommandLine) {
    auto& m = sim::machine();
    for (std::u16string line : {u"UninstForInst", u"-UninstForInst", u"-DeletingNow-UninstForInst", u"xUninstForInsty"}) {
        app::UninstallApp a;
        a.SetCommandLine(line);
        m.system.existingMutexes.clear();
        m.windows.boxes.clear();
        a.InitInstance();
        EXPECT_TRUE(m.windows.boxes.empty()) << sim::Narrow(line);
    }
    for (std::u16string line : {u"", u"-uninstforinst", u"Uninst ForInst"}) {
        app::UninstallApp a;
        a.SetCommandLine(line);
        m.system.existingMutexes.clear();
        m.windows.boxes.clear();
        m.windows.answers.push_back(win::IDNO);
        a.InitInstance();
        ASSERT_FALSE(m.windows.boxes.empty()) << sim::Narrow(line);
        EXPECT_EQ(m.windows.boxes[0].text, u"Are you sure you want to uninstall Orvik Pendrel?") << sim::Narrow(line);
    }
}

TEST_F(Startup, SilentRunReportsEveryCodeInItsOwnWriteAndRemovesTheExecutable) {
    EXPECT_FALSE(Run(u"-UninstForInst"));
    EXPECT_EQ(PipeWrites(), (std::vector<std::string>{"1", "2", "4", "6", "7", "8", "9", "10"}));
    EXPECT_FALSE(ProductExecutableExists());
    EXPECT_TRUE(sim::machine().windows.boxes.empty());
    // The language file is looked for first; the pipe is the only other file opened, besides
    // the directories the removal works in.
    std::vector<std::string> files;
    for (const std::string& opened : sim::machine().CallsTo("CreateFileW"))
        if (opened.find(" [directory]") == std::string::npos) files.push_back(opened);
    EXPECT_EQ(files, (std::vector<std::string>{"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\lang\\uninst_lang_en_us.xml",
                                               "\\\\.\\pipe\\Orvik Pendrel"}));
}

// The temporary copy's end is its parent's to deal with: the pipe closes once the removal is
// done, and the copy starts nothing after it.
TEST_F(Startup, PipeClosesOnceTheRemovalIsDoneAndTheCopyStartsNothing) {
    Run(u"-UninstForInst");
    EXPECT_EQ(PipeWrites().size(), 8u);
    const auto& calls = sim::machine().calls;
    const auto closed = std::find(calls.begin(), calls.end(), "CloseHandle pipe");
    ASSERT_NE(closed, calls.end());
    EXPECT_EQ(sim::machine().CountCalls("CreateProcessW"), 0u);
    EXPECT_FALSE(sim::InstallerPipeOpen());
    EXPECT_TRUE(sim::OpenAnonymousPipeEnds().empty()) << "no self-deletion waits for this process";
}

// The shell's rereading of every file type is nothing the installer waits for: it is told once
// the pipe has closed.
TEST_F(Startup, TheShellHearsOfChangedFileTypesAfterThePipeHasClosed) {
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, u"Software\\Classes\\OrvikPendrel.Document", u"",
                                      u"PDF Document");
    Run(u"-UninstForInst");
    EXPECT_EQ(PipeWrites().size(), 8u);
    const auto& calls = sim::machine().calls;
    const auto closed = std::find(calls.begin(), calls.end(), "CloseHandle pipe");
    const auto told = std::find_if(calls.begin(), calls.end(),
                                   [](const std::string& call) { return call.rfind("SHChangeNotify ", 0) == 0; });
    ASSERT_NE(told, calls.end());
    EXPECT_LT(closed, told);
    EXPECT_EQ(sim::machine().shell.notifications.size(), 1u);
}

TEST_F(Startup, PipeIsOpenedSoThatItsCreatorCanIdentifyButNeverActAsThisProcess) {
    Run(u"-UninstForInst");
    const win::DWORD flags = sim::machine().files.pipe.openFlags;
    EXPECT_TRUE(flags & win::SECURITY_SQOS_PRESENT) << std::hex << flags;
    EXPECT_EQ(flags & win::SECURITY_IMPERSONATION_LEVEL_MASK, win::SECURITY_IDENTIFICATION) << std::hex << flags;
    EXPECT_EQ(PipeWrites().size(), 8u);
}

// The temporary copy runs from a directory every process of the user can write to.
TEST_F(Startup, LibrarySearchIsNarrowedToTheSystemDirectoryBeforeAnythingElse) {
    for (const char16_t* line : {u"-UninstForInst", u"", u"-DeletingNow-UninstForInst"}) {
        sim::Reset();
        SetUp();
        sim::machine().windows.answers = {win::IDNO};
        app::UninstallApp a;
        a.SetCommandLine(line);
        a.InitInstance();
        ASSERT_FALSE(sim::machine().calls.empty());
        EXPECT_EQ(sim::machine().calls.front(), "SetDefaultDllDirectories 0x800") << sim::Narrow(line);
        EXPECT_EQ(sim::machine().CountCalls("SetDllDirectoryW"), 0u);
    }
}

TEST_F(Startup, WithoutSetDefaultDllDirectoriesTheCurrentDirectoryLeavesTheSearchFirst) {
    sim::machine().system.dllSearchControls = sim::DllSearchControls::DllDirectoryOnly;
    Run(u"-UninstForInst");
    ASSERT_FALSE(sim::machine().calls.empty());
    EXPECT_EQ(sim::machine().calls.front(), "SetDllDirectoryW \"\"");
    EXPECT_EQ(PipeWrites().size(), 8u);
}

TEST_F(Startup, SystemsWithoutEitherSearchControlStillRun) {
    sim::machine().system.dllSearchControls = sim::DllSearchControls::None;
    Run(u"-UninstForInst");
    EXPECT_EQ(sim::machine().CountCalls("SetDefaultDllDirectories"), 0u);
    EXPECT_EQ(sim::machine().CountCalls("SetDllDirectoryW"), 0u);
    EXPECT_EQ(PipeWrites().size(), 8u);
}

TEST_F(Startup, CommonControlsAreSetUpForTheWizardOnly) {
    Run(u"-UninstForInst");
    EXPECT_EQ(sim::machine().windows.commonControls, 0u) << "a silent run shows no window";
    sim::machine().windows.answers = {win::IDYES};
    app::UninstallApp wizard;
    wizard.SetCommandLine(u"");
    InstallProduct();
    wizard.InitInstance();
    EXPECT_NE(sim::machine().windows.commonControls & win::ICC_PROGRESS_CLASS, 0u);
}

TEST_F(Startup, SilentRunWithoutPipeEndsAndRemovesNothing) {
    sim::machine().files.pipe.exists = false;
    Run(u"-UninstForInst");
    EXPECT_TRUE(ProductExecutableExists());
    EXPECT_EQ(sim::machine().DeletionsTried("file").size(), 0u);
    for (const std::string& directory : sim::machine().DeletionsTried("directory"))  // the VirtualStore copy only
        EXPECT_EQ(directory.rfind("C:\\Users\\user\\AppData\\Local\\VirtualStore\\", 0), 0u) << directory;
}

TEST_F(Startup, SilentRunWhosePipeRefusesTheConnectionRemovesNothing) {
    sim::machine().files.pipe.refuseConnect = true;
    Run(u"-UninstForInst");
    EXPECT_TRUE(ProductExecutableExists());
    EXPECT_FALSE(sim::InstallerPipeOpen());
}

TEST_F(Startup, ProductInUseReportsMinusOneAndRemovesNothingEvenWhenSilent) {
    ASSERT_NE(sim::machine().files.Find(kProductExe), nullptr);
    sim::machine().files.Find(kProductExe)->inUse = true;
    Run(u"-UninstForInst");
    EXPECT_EQ(PipeWrites(), (std::vector<std::string>{"-1"}));
    EXPECT_EQ(BoxTexts(), (std::vector<std::u16string>{u"Orvik Pendrel is being used, please exit and retry."}));
    EXPECT_TRUE(ProductExecutableExists());
    EXPECT_TRUE(sim::machine().files.Exists(kInstallDir + u"Uninstall.exe"));
    EXPECT_EQ(sim::machine().DeletionsTried("file").size(), 1u);  // the failed attempt
}

TEST_F(Startup, ProductInUseInteractivelyShowsMessage6AfterTheConfirmation) {
    ASSERT_NE(sim::machine().files.Find(kProductExe), nullptr);
    sim::machine().files.Find(kProductExe)->inUse = true;
    sim::machine().windows.answers = {win::IDYES};
    Run(u"");
    EXPECT_EQ(BoxTexts(), (std::vector<std::u16string>{u"Are you sure you want to uninstall Orvik Pendrel?",
                                                       u"Orvik Pendrel is being used, please exit and retry."}));
    EXPECT_TRUE(PipeWrites().empty());
}

TEST_F(Startup, SecondInstanceWithoutDeletingNowBringsTheWizardToTopAndEnds) {
    sim::machine().system.existingMutexes.insert(u"ORVIK_PENDREL_UNINSTALL_MUTEX");
    win::HWND wizard = sim::machine().windows.AddWindow(kCaption);
    Run(u"-UninstForInst");
    EXPECT_TRUE(sim::machine().windows.windows[wizard].broughtToTop);
    EXPECT_EQ(sim::machine().system.mutexReleases, 1);
    EXPECT_TRUE(sim::machine().windows.boxes.empty());
    EXPECT_TRUE(PipeWrites().empty());
    EXPECT_TRUE(ProductExecutableExists());
}

TEST_F(Startup, SecondInstanceFindsOnlyTheEnglishCaption) {
    sim::machine().system.existingMutexes.insert(u"ORVIK_PENDREL_UNINSTALL_MUTEX");
    win::HWND translated = sim::machine().windows.AddWindow(u"Orvik Pendrel Deinstallations-Assistent");
    Run(u"");
    EXPECT_FALSE(sim::machine().windows.windows[translated].broughtToTop);
    EXPECT_TRUE(sim::machine().windows.boxes.empty());
}

TEST_F(Startup, SecondInstanceWithDeletingNowContinues) {
    sim::machine().system.existingMutexes.insert(u"ORVIK_PENDREL_UNINSTALL_MUTEX");
    Run(u"-DeletingNow-UninstForInst-InstallerPid=4242");
    EXPECT_EQ(PipeWrites().size(), 8u);
    EXPECT_FALSE(ProductExecutableExists());
}

TEST_F(Startup, MutexThatCannotBeCreatedDoesNotStopTheRun) {
    sim::machine().system.mutexCreateFails = true;
    Run(u"-UninstForInst");
    EXPECT_EQ(PipeWrites().size(), 8u);
}

TEST_F(Startup, WindowsBeforeVersion5ShowsMessage2AndNothingElse) {
    sim::machine().system.majorVersion = 4;
    Run(u"-UninstForInst");
    ASSERT_EQ(BoxTexts(), (std::vector<std::u16string>{u"Orvik Pendrel Printer can't support operating systems "
                                                       u"before Windows 2000, the setup process will end."}));
    EXPECT_EQ(sim::machine().windows.boxes[0].caption, kCaption);
    EXPECT_EQ(sim::machine().windows.boxes[0].type, win::MB_OK | win::MB_ICONWARNING);
    EXPECT_TRUE(PipeWrites().empty());
    EXPECT_EQ(sim::machine().CountCalls("WaitNamedPipeW"), 0u);
    EXPECT_TRUE(ProductExecutableExists());
}

TEST_F(Startup, VersionQueryFallsBackToThePlainRecord) {
    sim::machine().system.versionQuery = sim::VersionQuery::ExtendedFails;
    Run(u"-UninstForInst");
    EXPECT_TRUE(sim::machine().windows.boxes.empty());
    EXPECT_EQ(PipeWrites().size(), 8u);
}

TEST_F(Startup, BothVersionQueriesFailingShowsMessage1) {
    sim::machine().system.versionQuery = sim::VersionQuery::BothFail;
    Run(u"");
    EXPECT_EQ(BoxTexts(), (std::vector<std::u16string>{u"Can't get the correct operating system information, "
                                                       u"the setup process will end."}));
    EXPECT_TRUE(ProductExecutableExists());
}

TEST_F(Startup, NoAdministratorRightsShowsMessage3) {
    sim::machine().registry.Create(win::HKEY_LOCAL_MACHINE, u"Software").denyWrite = true;
    Run(u"-UninstForInst");
    EXPECT_EQ(BoxTexts(), (std::vector<std::u16string>{u"You must have administrator access to run the Setup program."}));
    EXPECT_TRUE(PipeWrites().empty());
    EXPECT_TRUE(ProductExecutableExists());
}

TEST_F(Startup, ConfirmationAnsweredNoRemovesNothing) {
    sim::machine().windows.answers = {win::IDNO};
    Run(u"");
    ASSERT_EQ(sim::machine().windows.boxes.size(), 1u);
    const auto& box = sim::machine().windows.boxes[0];
    EXPECT_EQ(box.text, u"Are you sure you want to uninstall Orvik Pendrel?");
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.type, win::MB_YESNO | win::MB_ICONWARNING);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(ProductExecutableExists());
    EXPECT_EQ(sim::machine().CountCalls("DeleteFileW"), 0u);
}

TEST_F(Startup, ConfirmedInteractiveRunRemovesAndShowsTheCompletionBox) {
    sim::machine().windows.answers = {win::IDYES};
    Run(u"");
    EXPECT_EQ(BoxTexts(), (std::vector<std::u16string>{u"Are you sure you want to uninstall Orvik Pendrel?",
                                                       u"You have successfully removed Orvik Pendrel."}));
    EXPECT_FALSE(ProductExecutableExists());
    EXPECT_EQ(sim::machine().CountCalls("WaitNamedPipeW"), 0u);
}

TEST_F(Startup, InstallDirectoryIsRemovedOnlyWhenEmpty) {
    sim::machine().files.AddFile(kInstallDir + u"notes.txt");  // the user's, not the product's
    Run(u"-UninstForInst");
    EXPECT_TRUE(sim::machine().files.Exists(kInstallDir + u"notes.txt"));

    for (std::u16string stored : {u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\",
                                  u"C:\\Program Files\\Orvik Software\\Orvik Pendrel"}) {
        sim::Reset();
        InstallProduct(stored);
        RunAsTemporaryCopy();
        sim::machine().files.pipe.exists = true;
        win::DeleteFileW((kInstallDir + u"Uninstall.exe").c_str());  // the installed copy, gone already
        app::UninstallApp a;
        a.SetCommandLine(u"-UninstForInst");
        a.InitInstance();
        EXPECT_FALSE(sim::machine().files.Exists(kInstallDir)) << sim::Narrow(stored);
        // Start-up's last try, once the removal is done: the install directory's parent is
        // opened to remove it.
        const auto& calls = sim::machine().calls;
        const auto closed = std::find(calls.begin(), calls.end(), "CloseHandle pipe");
        EXPECT_NE(std::find(calls.begin(), closed, "CreateFileW C:\\Program Files\\Orvik Software [directory]"), closed);
    }
}

// The product's record as some installers spell it: the product goes whole, records last.
TEST_F(Startup, DoubledTrailingBackslashRecordRemovesTheWholeProduct) {
    sim::Reset();
    InstallProduct(kInstallDir + u"\\");
    RunAsTemporaryCopy();
    sim::machine().files.pipe.exists = true;
    win::DeleteFileW((kInstallDir + u"Uninstall.exe").c_str());
    Run(u"-UninstForInst");
    EXPECT_EQ(PipeWrites(), (std::vector<std::string>{"1", "2", "4", "6", "7", "8", "9", "10"}));
    EXPECT_FALSE(sim::machine().files.Exists(kInstallDir));
    EXPECT_FALSE(sim::machine().registry.Exists(win::HKEY_LOCAL_MACHINE, kProductKey));
}

TEST_F(Startup, UnusableRecordIsAFailedPreparationInEitherMode) {
    sim::Reset();
    InstallProduct(u"C:\\Windows\\");
    RunAsTemporaryCopy();
    sim::machine().files.pipe.exists = true;
    Run(u"-UninstForInst");
    EXPECT_EQ(PipeWrites(), std::vector<std::string>{"-1"});
    EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{
                              u"The install location recorded for Orvik Pendrel cannot be used, so nothing has been removed."});
    EXPECT_TRUE(sim::machine().registry.Exists(win::HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_TRUE(ProductExecutableExists());

    sim::Reset();
    InstallProduct(u"C:\\Windows\\");
    RunAsTemporaryCopy();
    sim::machine().windows.answers.push_back(win::IDYES);
    app::UninstallApp a;
    a.InitInstance();
    EXPECT_EQ(BoxTexts(), (std::vector<std::u16string>{i18n::BuiltInText(engine::product::kMsgConfirmUninstall),
                                                       i18n::BuiltInText(engine::product::kMsgInstallPathUnusable)}));
    EXPECT_EQ(sim::machine().CountCalls("DialogBoxParamW"), 0u);
    EXPECT_TRUE(sim::machine().registry.Exists(win::HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_TRUE(ProductExecutableExists());
}

// Every key of both hives, by full name.
void CollectKeys(const sim::RegKey& key, const std::string& path, std::set<std::string>& out) {
    for (const auto& child : key.subkeys) {
        const std::string name = path + "\\" + sim::Narrow(child->name);
        out.insert(name);
        CollectKeys(*child, name, out);
    }
}
std::set<std::string> AllKeys() {
    std::set<std::string> keys;
    CollectKeys(sim::machine().registry.machine, "HKLM", keys);
    CollectKeys(sim::machine().registry.user, "HKCU", keys);
    return keys;
}

// A whole run reads many keys that do not exist (another program's ProgID without an open verb,
// ".fdf", MIME types, user choices, the language key): none of them appears.
TEST_F(Startup, RunCreatesNoKeyAnywhere) {
    auto& reg = sim::machine().registry;
    reg.SetString(win::HKEY_LOCAL_MACHINE, u"Software\\Classes\\.pdf", u"", u"Other.Reader");
    reg.Create(win::HKEY_LOCAL_MACHINE, u"Software\\Classes\\Other.Reader");
    reg.SetString(win::HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pdf\\UserChoice",
                  u"Progid", u"Other.Reader");
    const std::set<std::string> before = AllKeys();

    Run(u"-UninstForInst");

    ASSERT_EQ(PipeWrites().size(), 8u);
    std::vector<std::string> created;
    for (const std::string& key : AllKeys())
        if (!before.count(key)) created.push_back(key);
    EXPECT_EQ(created, std::vector<std::string>{});
}

// A path directly at a drive root, or the root itself.
bool AtDriveRoot(const std::string& path) {
    if (path.size() < 2 || path[1] != ':') return path.empty() || path[0] == '\\';
    auto rest = path.substr(2);
    while (!rest.empty() && rest.back() == '\\') rest.pop_back();
    return rest.find('\\', 1) == std::string::npos;
}

TEST_F(Startup, NoInstallPathRemovesNothingAtTheDriveRoot) {
    for (std::u16string stored : {u"", u"\\", u"C:\\", u"C:"}) {
        SCOPED_TRACE(sim::Narrow(stored));
        sim::Reset();
        InstallProduct(stored);
        RunAsTemporaryCopy();
        sim::machine().files.pipe.exists = true;
        sim::machine().files.AddFile(u"C:\\Orvik Pendrel.exe");
        sim::machine().files.AddFile(u"C:\\Uninstall.exe");
        sim::machine().files.AddDirectory(u"C:\\lang");
        app::UninstallApp a;
        a.SetCommandLine(u"-UninstForInst");
        a.InitInstance();
        // Without a record the steps that need no directory run; a record naming a root is a
        // failed preparation.
        if (stored.empty())
            EXPECT_EQ(sim::machine().files.pipe.writes.size(), 8u);
        else
            EXPECT_EQ(sim::machine().files.pipe.writes, std::vector<std::string>{"-1"});
        EXPECT_TRUE(sim::machine().files.Exists(u"C:\\Orvik Pendrel.exe"));
        EXPECT_TRUE(sim::machine().files.Exists(u"C:\\Uninstall.exe"));
        EXPECT_TRUE(sim::machine().files.Exists(u"C:\\lang"));
        for (const char* function : {"DeleteFileW", "RemoveDirectoryW", "MoveFileW", "MoveFileExW"})
            for (const auto& call : sim::machine().CallsTo(function))
                EXPECT_FALSE(AtDriveRoot(call)) << function << " " << call;
        for (const char* kind : {"file", "directory", "either"})
            for (const auto& call : sim::machine().DeletionsTried(kind)) EXPECT_FALSE(AtDriveRoot(call)) << kind << " " << call;
    }
}

TEST_F(Startup, VirtualStoreCopyIsRemovedFromTheLocalApplicationData) {
    const std::u16string store = u"C:\\Users\\user\\AppData\\Local\\VirtualStore\\Program Files\\Orvik Software\\Orvik Pendrel";
    sim::machine().files.AddDirectory(store);
    Run(u"-UninstForInst");
    ASSERT_FALSE(sim::machine().DeletionsTried("directory").empty());
    EXPECT_EQ(sim::machine().DeletionsTried("directory")[0], sim::Narrow(store));
    EXPECT_FALSE(sim::machine().files.Exists(store));

    sim::Reset();
    InstallProduct();
    RunAsTemporaryCopy();
    sim::machine().system.wow64 = sim::Wow64::Yes;
    const std::u16string store86 =
        u"C:\\Users\\user\\AppData\\Local\\VirtualStore\\Program Files (x86)\\Orvik Software\\Orvik Pendrel";
    sim::machine().files.AddDirectory(store86);
    app::UninstallApp a;
    a.SetCommandLine(u"-UninstForInst");
    a.InitInstance();
    EXPECT_EQ(sim::machine().DeletionsTried("directory")[0], sim::Narrow(store86));
}

TEST(Wow64, AnyFailureMeansNotUnderWow64) {
    for (auto mode : {sim::Wow64::FunctionMissing, sim::Wow64::CallFails, sim::Wow64::No}) {
        sim::Reset();
        sim::machine().system.wow64 = mode;
        EXPECT_FALSE(engine::IsRunningUnderWow64());
        EXPECT_EQ(sim::machine().system.librariesLoaded, sim::machine().system.librariesFreed);
    }
    sim::machine().system.wow64 = sim::Wow64::Yes;
    EXPECT_TRUE(engine::IsRunningUnderWow64());
}

TEST(LanguageNumber, ReadsLeadingDigitsWithSignAndKeepsTheLow16Bits) {
    EXPECT_EQ(app::ParseLanguageId(u"40816"), 40816);
    EXPECT_EQ(app::ParseLanguageId(u"  40816xyz"), 40816);
    EXPECT_EQ(app::ParseLanguageId(u"106352"), 40816);  // 40816 + 65536
    EXPECT_EQ(app::ParseLanguageId(u"+40811"), 40811);
    EXPECT_EQ(app::ParseLanguageId(u"-1"), 65535);
    EXPECT_EQ(app::ParseLanguageId(u"German"), 0);
    EXPECT_EQ(app::ParseLanguageId(u""), 0);
    EXPECT_EQ(app::ParseLanguageId(u"99999999999999999999999"), app::ParseLanguageId(u"9999999999999999999"));
}

}  // namespace

namespace {

// Everything a run opens, creates or selects is given back before it ends, whatever the mode:
// keys, files, searches, processes, modules, spooler handles, OLE, GDI objects and contexts,
// and the pipe to the installer once the removal is done.
TEST_F(Startup, WholeRunGivesBackEverythingItOpened) {
    for (const char16_t* commandLine : {u"-UninstForInst", u""}) {
        SCOPED_TRACE(sim::Narrow(commandLine));
        sim::Reset();
        SetUp();
        auto& m = sim::machine();
        m.files.AddFile(kInstallDir + u"lang\\uninst_lang_en_us.xml", "<?xml version=\"1.0\"?><Strings/>");
        for (const char16_t* name : {u"kpdfcjk.bin", u"lex\\accent.tlx", u"Stamps\\Sign Here\\a.pdf",
                                     u"KPC_WordAddin.dll", u"UnPDFReaderPlugin.exe"})
            m.files.AddFile(kInstallDir + name, "x");
        m.spooler.AddDriver(u"Orvik Pendrel Printer Driver");
        m.spooler.ports.push_back(u"ORVIK_PENDREL:");
        m.spooler.AddPrinter(u"Orvik Pendrel PDF", u"Orvik Pendrel Printer Driver", u"ORVIK_PENDREL:");

        Run(commandLine);

        EXPECT_FALSE(ProductExecutableExists());
        EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
        EXPECT_EQ(sim::OpenFileCount(), 0u);
        EXPECT_EQ(sim::OpenSearchCount(), 0u);
        EXPECT_EQ(m.system.openProcessHandles, 0);
        EXPECT_EQ(m.system.librariesLoaded, m.system.librariesFreed);
        EXPECT_EQ(m.spooler.handlesOpened, m.spooler.handlesClosed);
        EXPECT_EQ(m.system.oleInitializeCalls, m.system.oleUninitializeCalls);
        EXPECT_TRUE(m.gdi.objects.empty()) << m.gdi.objects.size() << " GDI objects left";
        EXPECT_TRUE(m.gdi.dcs.empty());
    }
}

}  // namespace
