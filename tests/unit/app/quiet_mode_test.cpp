// The administrators' mode: "/quiet" (or "/S") runs the removal with no window ever, ends with an
// exit code that tells the truth, and writes a log; the other modes end with the same codes,
// but the installer's silent mode, which keeps ending with 0.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/uninstall_app.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "support/full_footprint.h"

namespace {

using testing_support::kInstallDir;
using testing_support::kProductExe;

const std::u16string kDefaultLog = u"C:\\Users\\user\\AppData\\Local\\Temp\\Orvik Pendrel Uninstall.log";

void ArrangeCopy() {
    sim::Reset();
    testing_support::LayDownForeignItems();
    testing_support::LayDownProduct();
    testing_support::PlaceTemporaryCopy();
    sim::machine().files.pipe.exists = false;  // no installer in these runs
}

struct Ended {
    win::DWORD exitCode = 0;
    std::vector<std::string> log;  // the lines of the log file, when there is one
    std::vector<std::u16string> scheduledAtRestart;  // the files the run left for the next restart
};

Ended RunWith(const std::u16string& commandLine, const std::u16string& logPath = kDefaultLog) {
    app::UninstallApp app;
    app.SetCommandLine(commandLine);
    app.InitInstance();
    Ended ended{app.ExitCode() & ~app::kCopyRanRemoval, {}, app.Context().scheduledAtRestart};
    if (const sim::FileNode* log = sim::machine().files.Find(logPath)) {
        std::string line;
        for (char c : log->content) {
            if (c == '\n') {
                ended.log.push_back(line);
                line.clear();
            } else if (c != '\r') {
                line += c;
            }
        }
    }
    return ended;
}

bool LogHas(const Ended& ended, const std::string& start) {
    for (const std::string& line : ended.log)
        if (line.compare(0, start.size(), start) == 0) return true;
    return false;
}

TEST(QuietSwitches, AreWordsOfTheirOwnInAnyLetterCase) {
    for (const char16_t* line : {u"/quiet", u"/QUIET", u"/S", u"/s", u"-DeletingNow /Quiet /log x.log"})
        EXPECT_TRUE(app::ParseSwitches(line).quiet) << sim::Narrow(line);
    for (const char16_t* line : {u"/quieter", u"C:/S", u"-quiet", u"quiet", u"/S1", u"\"/quiet\"x"})
        EXPECT_FALSE(app::ParseSwitches(line).quiet) << sim::Narrow(line);
    EXPECT_EQ(app::ParseSwitches(u"/quiet /log C:\\Logs\\run.log").logPath, u"C:\\Logs\\run.log");
    EXPECT_EQ(app::ParseSwitches(u"/LOG \"C:\\My Logs\\run.log\" /S").logPath, u"C:\\My Logs\\run.log");
    EXPECT_EQ(app::ParseSwitches(u"/log").logPath, u"");
}

TEST(QuietMode, WholeRunShowsNothingRemovesEverythingAndEndsWithZero) {
    ArrangeCopy();
    const Ended ended = RunWith(u"-DeletingNow /quiet");
    EXPECT_EQ(ended.exitCode, 0u);
    EXPECT_TRUE(sim::machine().windows.boxes.empty());
    EXPECT_TRUE(sim::machine().windows.windows.empty()) << "no window ever";
    EXPECT_FALSE(sim::machine().files.Exists(kProductExe));
    EXPECT_FALSE(sim::machine().files.Exists(kInstallDir));
    EXPECT_TRUE(sim::machine().files.pipe.writes.empty());
    EXPECT_EQ(sim::machine().CountCalls("WaitNamedPipeW"), 0u);
    ASSERT_FALSE(ended.log.empty());
    EXPECT_TRUE(LogHas(ended, "start: Orvik Pendrel Uninstall")) << ended.log.front();
    EXPECT_NE(ended.log.front().find(", administrator, "), std::string::npos) << ended.log.front();
    // Every deletion tried, with what became of it.
    for (const char* name : {"Readme.txt", "config.xml", "Orvik Pendrel.exe", "lex\\accent.tlx"})
        EXPECT_TRUE(LogHas(ended, "removed: file C:\\Program Files\\Orvik Software\\Orvik Pendrel\\" + std::string(name)))
            << name;
    EXPECT_TRUE(LogHas(ended, "removed: directory C:\\Program Files\\Orvik Software\\Orvik Pendrel\\lex"));
    EXPECT_TRUE(LogHas(ended, "not there: file "));
    // Each step named before what it tried.
    std::vector<std::string> steps;
    for (const std::string& line : ended.log)
        if (line.compare(0, 6, "step: ") == 0) steps.push_back(line.substr(6));
    EXPECT_EQ(steps, (std::vector<std::string>{"desktop shortcuts", "Quick Launch shortcut", "Start menu folders", "add-ons",
                                               "virtual printer", "program files", "file associations",
                                               "registry records"}));
    EXPECT_EQ(ended.log.back(), "outcome: 0 (everything of the product is removed)");
}

// A clean removal's log reads as one: what a later step or the run's end resolves is written as
// deferred, not as a failure, and the last line says in words what the code means.
TEST(QuietMode, ACleanRemovalsLogHoldsNoFailure) {
    ArrangeCopy();
    // The installed copy runs while its copy removes the product.
    sim::machine().system.runningImages.push_back(kInstallDir + u"Uninstall.exe");
    sim::machine().files.AddFile(kInstallDir + u"Plugins\\OnDemandCM\\OnDemandPlugin.dll");
    const Ended ended = RunWith(u"-DeletingNow /quiet");
    EXPECT_EQ(ended.exitCode, 0u);
    for (const std::string& line : ended.log) EXPECT_NE(line.compare(0, 12, "not removed:"), 0) << line;
    EXPECT_TRUE(LogHas(ended, "deferred: file C:\\Program Files\\Orvik Software\\Orvik Pendrel\\Uninstall.exe (the running"));
    EXPECT_TRUE(LogHas(ended, "deferred: directory ")) << "the install directory holds the running uninstaller";
    EXPECT_EQ(ended.log.back(), "outcome: 0 (everything of the product is removed)");
}

// Every box a run may show becomes a line of the log and an exit code.
TEST(QuietMode, EachPlaceOfABoxBecomesACodeAndALine) {
    {
        SCOPED_TRACE("the product in use: try later, nothing removed");
        ArrangeCopy();
        ASSERT_NE(sim::machine().files.Find(kProductExe), nullptr);
        sim::machine().files.Find(kProductExe)->inUse = true;
        const Ended ended = RunWith(u"-DeletingNow /S");
        EXPECT_EQ(ended.exitCode, 1618u);
        EXPECT_TRUE(sim::machine().windows.boxes.empty());
        EXPECT_TRUE(sim::machine().files.Exists(kProductExe));
        EXPECT_TRUE(LogHas(ended, "message (not shown): Orvik Pendrel is being used"));
    }
    {
        SCOPED_TRACE("not an administrator: failed");
        ArrangeCopy();
        ASSERT_NE(sim::machine().registry.Find(win::HKEY_LOCAL_MACHINE, u"Software"), nullptr);
        sim::machine().registry.Find(win::HKEY_LOCAL_MACHINE, u"Software")->denyWrite = true;
        const Ended ended = RunWith(u"-DeletingNow /quiet");
        EXPECT_EQ(ended.exitCode, 1603u);
        EXPECT_TRUE(sim::machine().windows.boxes.empty());
        EXPECT_TRUE(sim::machine().files.Exists(kProductExe));
        ASSERT_FALSE(ended.log.empty());
        EXPECT_NE(ended.log.front().find(", not an administrator, "), std::string::npos) << ended.log.front();
    }
    {
        SCOPED_TRACE("the printer driver in use: the retry counts as Cancel, and the code says so");
        ArrangeCopy();
        for (auto& driver : sim::machine().spooler.drivers) driver.failDeletes = -1;
        const Ended ended = RunWith(u"-DeletingNow /quiet");
        EXPECT_EQ(ended.exitCode, 1603u);
        EXPECT_TRUE(sim::machine().windows.boxes.empty());
        EXPECT_TRUE(LogHas(ended, "left: printer driver"));
        EXPECT_FALSE(sim::machine().files.Exists(kProductExe));
    }
}

TEST(QuietMode, NothingInstalledEndsWith1605AndTouchesNothing) {
    sim::Reset();
    testing_support::PlaceTemporaryCopy();
    const Ended ended = RunWith(u"-DeletingNow /quiet");
    EXPECT_EQ(ended.exitCode, 1605u);
    EXPECT_TRUE(sim::machine().DeletionsTried("file").empty());
    EXPECT_TRUE(sim::machine().CallsTo("NtDeleteKey").empty());
}

TEST(QuietMode, AnotherRemovalHoldingTheMutexEndsWith1618) {
    ArrangeCopy();
    sim::machine().system.modulePath = kInstallDir + u"Uninstall.exe";
    sim::machine().system.existingMutexes.insert(u"ORVIK_PENDREL_UNINSTALL_MUTEX");
    const Ended ended = RunWith(u"/quiet");
    EXPECT_EQ(ended.exitCode, 1618u);
    EXPECT_TRUE(sim::machine().system.processes.empty());
    EXPECT_TRUE(sim::machine().files.Exists(kProductExe));
}

// A driver file the spooler holds goes at the next restart: removed, but a restart is needed.
TEST(QuietMode, AFileLeftForTheRestartEndsWith3010) {
    ArrangeCopy();
    ASSERT_NE(sim::machine().files.Find(u"C:\\windows\\system32\\spool\\drivers\\w32x86\\3\\ozrvpr_drv.dll"), nullptr);
    sim::machine().files.Find(u"C:\\windows\\system32\\spool\\drivers\\w32x86\\3\\ozrvpr_drv.dll")->inUse = true;
    const Ended ended = RunWith(u"-DeletingNow /quiet");
    ASSERT_FALSE(ended.scheduledAtRestart.empty());
    EXPECT_EQ(ended.exitCode, 3010u);
}

// A directory made for the product that keeps another program's file stays, and is no failure of
// the removal's, whatever that file is called: a name beginning with a dot is a name.
TEST(QuietMode, AParentKeptForAnotherProgramsDotFileIsNoLeftover) {
    // Without the other programs laid down: the vendor's directory holds nothing else.
    sim::Reset();
    testing_support::LayDownProduct();
    testing_support::PlaceTemporaryCopy();
    sim::machine().files.pipe.exists = false;
    sim::machine().files.AddFile(u"C:\\Program Files\\Orvik Software\\.keep", "another program's");
    const Ended ended = RunWith(u"-DeletingNow /quiet");
    EXPECT_EQ(ended.exitCode, 0u);
    EXPECT_TRUE(sim::machine().files.Exists(u"C:\\Program Files\\Orvik Software\\.keep"));
    EXPECT_FALSE(LogHas(ended, "left: directory"));
}

// What the user saved in the install directory is not the product's: the run keeps it, with the
// directories that hold it, says so in the log, and ends 0; a file of the product's that stays is
// still left.
TEST(QuietMode, TheUsersOwnFilesInTheInstallDirectoryAreKeptAndNoFailure) {
    const std::u16string product = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel";
    // The after-run look spells the install directory as recorded.
    const std::string inLog = "C:\\Program Files\\Orvik Software\\Orvik Pendrel";
    struct Case {
        const char* what;
        std::vector<const char16_t*> files, directories;  // the user's, below the install directory
        std::vector<std::string> kept;                    // the log's lines
    };
    const Case cases[] = {
        {"a PDF saved beside the program", {u"\\Statement 2023.pdf"}, {}, {"file \\Statement 2023.pdf"}},
        {"folders of the user's", {u"\\My Forms\\form.pdf"}, {u"\\Empty Folder"},
         {"directory \\My Forms", "directory \\Empty Folder"}},
        {"files of the user's in directories of the product's",
         {u"\\Stamps\\Sign Here\\my stamp.png", u"\\lang\\notes.txt"}, {},
         {"file \\Stamps\\Sign Here\\my stamp.png", "file \\lang\\notes.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ArrangeCopy();
        for (const char16_t* name : c.files) sim::machine().files.AddFile(product + name, "the user's");
        for (const char16_t* name : c.directories) sim::machine().files.AddDirectory(product + name);
        const Ended ended = RunWith(u"-DeletingNow /quiet");
        EXPECT_EQ(ended.exitCode, 0u);
        for (const char16_t* name : c.files) EXPECT_TRUE(sim::machine().files.Exists(product + name)) << sim::Narrow(name);
        for (const char16_t* name : c.directories) EXPECT_TRUE(sim::machine().files.IsDirectory(product + name));
        for (const std::string& kept : c.kept) {
            const std::size_t cut = kept.find(' ');
            EXPECT_TRUE(LogHas(ended, "kept: " + kept.substr(0, cut + 1) + inLog + kept.substr(cut + 1))) << kept;
        }
        EXPECT_TRUE(LogHas(ended, "kept: directory " + inLog + " ("));
        EXPECT_FALSE(LogHas(ended, "left: ")) << "nothing of the product's is left";
        EXPECT_FALSE(sim::machine().files.Exists(kProductExe));
        EXPECT_FALSE(sim::machine().files.Exists(kInstallDir + u"Readme.txt"));
        EXPECT_EQ(ended.log.back(), "outcome: 0 (everything of the product is removed)");
    }
    {
        SCOPED_TRACE("a file of the product's that stays beside the user's is left");
        ArrangeCopy();
        sim::machine().files.AddFile(product + u"\\Statement 2023.pdf", "the user's");
        sim::machine().files.AddFile(product + u"\\Stamps\\Sign Here\\Sign.pdf").inUse = true;
        const Ended ended = RunWith(u"-DeletingNow /quiet");
        EXPECT_EQ(ended.exitCode, 1603u);
        EXPECT_TRUE(LogHas(ended, "left: file C:\\Program Files\\Orvik Software\\Orvik Pendrel\\Stamps\\Sign Here\\Sign.pdf"));
        EXPECT_TRUE(LogHas(ended, "kept: file C:\\Program Files\\Orvik Software\\Orvik Pendrel\\Statement 2023.pdf"));
    }
}

// The product installed through a subst drive, its log asked for on a drive mapped to a share:
// the handles' final paths name other places than the letters, and the whole removal still goes.
TEST(QuietMode, AProductOnASubstDriveIsRemovedWholeAndLogged) {
    ArrangeCopy();
    auto& m = sim::machine();
    m.files.AddDriveAlias(u'P', u"C:\\Program Files\\Orvik Software");
    m.files.AddShare(u"\\\\logs\\admin");
    m.files.AddDirectory(u"\\\\logs\\admin\\runs");
    m.files.AddDriveAlias(u'L', u"\\\\logs\\admin");
    m.registry.SetString(win::HKEY_LOCAL_MACHINE, testing_support::kProductKey, u"InstallPath", u"P:\\Orvik Pendrel\\");
    m.registry.SetString(win::HKEY_LOCAL_MACHINE, testing_support::kProductKey, u"ExistPath", u"P:\\");
    const Ended ended = RunWith(u"-DeletingNow /quiet /log \"L:\\runs\\orvik.log\"", u"L:\\runs\\orvik.log");
    EXPECT_EQ(ended.exitCode, 0u);
    EXPECT_FALSE(m.files.Exists(kInstallDir)) << "the product's directory went";
    EXPECT_TRUE(m.files.Exists(u"C:\\Program Files\\Orvik Software\\Orvik Scan\\scan.exe"));
    ASSERT_FALSE(ended.log.empty()) << "the log is written where it was asked for";
    EXPECT_EQ(ended.log.back(), "outcome: 0 (everything of the product is removed)");
}

// The installed copy passes the switches on, hands over the log it made open, waits, and ends
// with its copy's code. No path reaches the copy's command line, where its text could read as a
// switch.
TEST(QuietMode, InstalledCopyEndsWithItsCopysCode) {
    ArrangeCopy();
    sim::machine().system.modulePath = kInstallDir + u"Uninstall.exe";
    sim::machine().system.exitCodes.push_back(3010);
    sim::machine().files.AddDirectory(u"C:\\Logs");
    const Ended ended = RunWith(u"/S /log \"C:\\Logs\\-UninstForInst-InstallerPid=6666.log\"",
                                u"C:\\Logs\\-UninstForInst-InstallerPid=6666.log");
    EXPECT_EQ(ended.exitCode, 3010u);
    ASSERT_GE(sim::machine().system.processes.size(), 1u);
    const sim::StartedProcess& copy = sim::machine().system.processes[0];
    EXPECT_EQ(copy.commandLine.substr(copy.commandLine.find(u'"', 1) + 1), u"-DeletingNow /quiet");
    ASSERT_NE(copy.standardOutput, nullptr);
    EXPECT_TRUE(copy.inheritsHandles);
    EXPECT_TRUE(sim::machine().files.Exists(u"C:\\Logs\\-UninstForInst-InstallerPid=6666.log"));
    EXPECT_TRUE(ended.log.empty()) << "the log is the copy's";
}

// The copy takes the log it was handed as its standard output and its mode from its own words:
// a log path full of switch names changes nothing.
TEST(QuietMode, CopyWritesTheLogItWasHandedAndKeepsItsMode) {
    ArrangeCopy();
    const std::u16string path = u"C:\\Logs\\-UninstForInst-InstallerPid=6666.log";
    sim::machine().files.AddDirectory(u"C:\\Logs");
    sim::machine().system.standardOutput = win::CreateFileW(path.c_str(), win::GENERIC_WRITE, win::FILE_SHARE_READ,
                                                            nullptr, win::CREATE_NEW, 0, nullptr);
    const Ended ended = RunWith(u"-DeletingNow /quiet", path);
    EXPECT_EQ(ended.exitCode, 0u);
    EXPECT_TRUE(LogHas(ended, "start: Orvik Pendrel Uninstall 1.0.0.0, quiet"));
    EXPECT_TRUE(LogHas(ended, "outcome: 0"));
    EXPECT_TRUE(sim::machine().files.pipe.writes.empty());
}

TEST(ExitCodes, EveryModeTellsTheTruth) {
    {
        SCOPED_TRACE("declined");
        ArrangeCopy();
        sim::machine().windows.answers.push_back(win::IDNO);
        EXPECT_EQ(RunWith(u"-DeletingNow").exitCode, 1602u);
    }
    {
        SCOPED_TRACE("interactive, removed");
        ArrangeCopy();
        EXPECT_EQ(RunWith(u"-DeletingNow").exitCode, 0u);
        EXPECT_FALSE(sim::machine().files.Exists(kProductExe));
    }
    {
        SCOPED_TRACE("the installer's silent mode tells the truth too");
        ArrangeCopy();
        sim::machine().files.pipe.exists = true;
        ASSERT_NE(sim::machine().files.Find(kProductExe), nullptr);
        sim::machine().files.Find(kProductExe)->inUse = true;
        EXPECT_EQ(RunWith(u"-DeletingNow-UninstForInst-InstallerPid=4242").exitCode, 1618u);
    }
}

// The wizard's completion box says "removed" only when it is so; otherwise it says what is the
// matter and names the log, made for the purpose when none was asked for.
TEST(ExitCodes, TheCompletionBoxTellsWhenSomethingStayedAndWhereTheDetailsAre) {
    ArrangeCopy();
    for (auto& driver : sim::machine().spooler.drivers) driver.failDeletes = -1;
    const Ended ended = RunWith(u"-DeletingNow");
    EXPECT_EQ(ended.exitCode, 1603u);
    ASSERT_FALSE(sim::machine().windows.boxes.empty());
    EXPECT_EQ(sim::machine().windows.boxes.back().text,
              u"Orvik Pendrel has been removed, but some of its items could not be removed or will only be removed when "
              u"Windows restarts. The details are in the log.\n\n" + kDefaultLog);
    EXPECT_TRUE(LogHas(ended, "left: printer driver"));
    EXPECT_EQ(ended.log.back(), "outcome: 1603 (something of the product is left (the left: lines say what), or the run failed)");

    ArrangeCopy();
    EXPECT_EQ(RunWith(u"-DeletingNow").exitCode, 0u);
    EXPECT_EQ(sim::machine().windows.boxes.back().text, u"You have successfully removed Orvik Pendrel.");
    EXPECT_FALSE(sim::machine().files.Exists(kDefaultLog)) << "no log without a reason";
}

// The log's place may be the user's: a name taken by a link or a planted file is never written
// through; the log goes to a fresh name beside it.
TEST(RunLog, ANamePlantedAtTheLogsPlaceIsNeverWrittenThrough) {
    ArrangeCopy();
    sim::machine().files.AddFile(u"C:\\windows\\system32\\victim.dll", "MZ");
    sim::machine().files.AddFileLink(kDefaultLog, u"C:\\windows\\system32\\victim.dll");
    const Ended ended = RunWith(u"-DeletingNow /quiet", kDefaultLog + u".1");
    ASSERT_NE(sim::machine().files.Find(u"C:\\windows\\system32\\victim.dll"), nullptr);
    EXPECT_EQ(sim::machine().files.Find(u"C:\\windows\\system32\\victim.dll")->content, "MZ");
    ASSERT_FALSE(ended.log.empty());
    EXPECT_EQ(ended.log.back(), "outcome: 0 (everything of the product is removed)");
}

// A directory on the way to the log's place swapped for a junction to a system directory: the
// directory is not where the log was asked for, nothing is created there, and the run goes on
// without a log.
TEST(RunLog, AJunctionAboveTheLogsPlaceGetsNoFileWritten) {
    ArrangeCopy();
    const std::u16string logs = u"C:\\Users\\user\\AppData\\Local\\Temp\\logs";
    sim::machine().files.AddJunction(logs, u"C:\\windows\\system32");
    const Ended ended = RunWith(u"-DeletingNow /quiet /log \"" + logs + u"\\run.log\"", u"C:\\windows\\system32\\run.log");
    EXPECT_EQ(ended.exitCode, 0u) << "the removal does not depend on its log";
    EXPECT_TRUE(ended.log.empty());
    EXPECT_FALSE(sim::machine().files.Exists(u"C:\\windows\\system32\\run.log"));
    EXPECT_EQ(sim::machine().CountCalls("NtCreateFile"), 0u);
}

// A log named relative to the administrator's current directory goes there, not into the system
// directory the run works from.
TEST(RunLog, ARelativePathIsTakenFromTheCallersCurrentDirectory) {
    ArrangeCopy();
    const std::u16string work = u"C:\\Users\\admin\\work";
    sim::machine().files.AddDirectory(work);
    sim::machine().files.currentDirectory = work;
    const Ended ended = RunWith(u"-DeletingNow /quiet /log run.log", work + u"\\run.log");
    ASSERT_FALSE(ended.log.empty());
    EXPECT_EQ(ended.log.back(), "outcome: 0 (everything of the product is removed)");
    EXPECT_FALSE(sim::machine().files.Exists(u"C:\\windows\\system32\\run.log"));
}

// The log names each key and value the removal could not delete with the system's error and its
// text, the add-ons' own diagnostics, and what is still there afterwards; the code follows.
TEST(RunLog, NamesEveryKeyValueAndDiagnosticWithTheSystemsText) {
    ArrangeCopy();
    auto& registry = sim::machine().registry;
    ASSERT_NE(registry.Find(win::HKEY_LOCAL_MACHINE, u"Software\\Orvik Software\\Orvik Pendrel\\Settings"), nullptr);
    registry.Find(win::HKEY_LOCAL_MACHINE, u"Software\\Orvik Software\\Orvik Pendrel\\Settings")->refuseDelete = true;
    ASSERT_NE(registry.Find(win::HKEY_LOCAL_MACHINE, u"Software\\Classes\\.pdf\\OpenWithProgids"), nullptr);
    registry.Find(win::HKEY_LOCAL_MACHINE, u"Software\\Classes\\.pdf\\OpenWithProgids")->denyWrite = true;
    const Ended ended = RunWith(u"-DeletingNow /quiet");
    EXPECT_EQ(ended.exitCode, 1603u);
    EXPECT_TRUE(LogHas(ended, "removed: key HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvik Pendrel"));
    EXPECT_TRUE(LogHas(ended, "not removed: key HKLM\\SOFTWARE\\Orvik Software\\Orvik Pendrel\\Settings "
                              "(Windows error 5: Access is denied.)"));
    EXPECT_TRUE(LogHas(ended, "left: key HKLM\\SOFTWARE\\Orvik Software\\Orvik Pendrel"));
    EXPECT_TRUE(LogHas(ended, "removed: value HKLM\\Software\\Classes\\.pdf\\(default)"));
    EXPECT_TRUE(LogHas(ended, "removed: value HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\"
                              ".pdf\\UserChoice\\Progid"));
    EXPECT_TRUE(LogHas(ended, "not removed: value HKLM\\Software\\Classes\\.pdf\\OpenWithProgids\\OrvikPendrel.Document "
                              "(Windows error 5: Access is denied.)"));
    EXPECT_TRUE(LogHas(ended, "left: value HKLM\\Software\\Classes\\.pdf\\OpenWithProgids\\OrvikPendrel.Document"));
    EXPECT_TRUE(LogHas(ended, "diagnostic: Firefox Plugin: "));
    EXPECT_EQ(ended.log.back(), "outcome: 1603 (something of the product is left (the left: lines say what), or the run failed)");
}

// Associations the run cannot judge are not removed, and not passed over either: a user's choice
// that cannot be read stays and ends the run 1603, while every value that names the product goes.
TEST(RunLog, AnAssociationStepThatCouldNotLookIsNoSuccess) {
    ArrangeCopy();
    auto& registry = sim::machine().registry;
    registry.Find(win::HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pdf\\"
                                          u"UserChoice")->denyOpen = true;
    const Ended ended = RunWith(u"-DeletingNow /quiet");
    EXPECT_EQ(ended.exitCode, 1603u);
    EXPECT_TRUE(LogHas(ended, "not removed: value HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\"
                              ".pdf\\UserChoice\\Progid (Windows error 5: Access is denied.)"));
    EXPECT_TRUE(LogHas(ended, "left: value HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\"
                              ".pdf\\UserChoice\\Progid (not known: Windows error 5: Access is denied.)"));
    EXPECT_TRUE(LogHas(ended, "removed: value HKLM\\Software\\Classes\\.pdf\\(default)"));
    EXPECT_FALSE(registry.HasValue(win::HKEY_LOCAL_MACHINE, u"Software\\Classes\\.pdf\\OpenWithProgids",
                                   u"OrvikPendrel.Document"));
}

// What happens before the run knows it is the one doing the removal is kept for its log: the
// copy's run logs the removal of the VirtualStore copy, the installed copy that hands over
// writes nothing.
TEST(RunLog, HoldsTheLinesBeforeItsStartAndBeginsWithIt) {
    ArrangeCopy();
    const std::u16string store = u"C:\\Users\\user\\AppData\\Local\\VirtualStore\\Program Files\\Orvik Software\\Orvik Pendrel";
    sim::machine().files.AddDirectory(store);
    const Ended ended = RunWith(u"-DeletingNow /quiet");
    ASSERT_GE(ended.log.size(), 2u);
    EXPECT_EQ(ended.log.front().compare(0, 6, "start:"), 0) << ended.log.front();
    EXPECT_TRUE(LogHas(ended, "removed: directory " + sim::Narrow(store)));
    EXPECT_EQ(ended.log.back(), "outcome: 0 (everything of the product is removed)");
}

}  // namespace
