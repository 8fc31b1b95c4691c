// The installed copy hands the work to a copy in the temporary directory, waits for it to end
// and deletes it through the handle it holds on it; a run that removed the product ends with
// the installed copy handing its own deletion to the command interpreter.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>

#include "app/uninstall_app.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "platform/files.h"
#include "platform/scoped.h"
#include "platform/system.h"
#include "platform/window.h"
#include "support/full_footprint.h"
#include "support/product_machine.h"

namespace {

const std::u16string kInstalled = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\Uninstall.exe";
const std::u16string kTemp = u"C:\\Users\\user\\AppData\\Local\\Temp\\";
const std::u16string kCopy = kTemp + u"orv1A2B.exe";  // the simulated system's first free number

std::string N(const std::u16string& text) { return sim::Narrow(text); }

class Relaunch : public testing::Test {
protected:
    void SetUp() override {
        sim::machine().files.AddFile(kInstalled, "MZ uninstaller");
        RunFrom(kInstalled);
    }
    void RunFrom(const std::u16string& module) { sim::machine().system.modulePath = module; }
    // The whole start-up with `commandLine`; the copy, when one is started, ends with `copyCode`.
    void StartUp(const std::u16string& commandLine, win::DWORD copyCode = app::kExitTryLater) {
        sim::machine().system.exitCodes.push_back(copyCode);
        app.SetCommandLine(commandLine);
        app.InitInstance();
    }
    const std::vector<sim::StartedProcess>& Started() { return sim::machine().system.processes; }

    app::UninstallApp app;
};

TEST_F(Relaunch, InstalledCopyStartsAnOrvExeCopyOfItselfFromTheTemporaryDirectory) {
    EXPECT_TRUE(app.RelaunchFromTempCopy());

    auto& m = sim::machine();
    EXPECT_EQ(m.CallsTo("NtCreateFile"), std::vector<std::string>{N(kCopy)}) << "made relative to the judged directory";
    EXPECT_TRUE(m.CallsTo("DeleteFileW").empty()) << "nothing in the temporary directory is deleted by name";

    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].image, "MZ uninstaller");
    EXPECT_EQ(N(Started()[0].application), "");
    EXPECT_EQ(N(Started()[0].commandLine), N(u"\"" + kCopy + u"\"-DeletingNow"));
    EXPECT_EQ(N(Started()[0].currentDirectory), N(kTemp.substr(0, kTemp.size() - 1))) << "must not hold the install directory";
    // None of this process's standard handles: a console program's output file would be taken
    // for the log.
    EXPECT_TRUE(Started()[0].standardHandlesGiven);
    EXPECT_EQ(Started()[0].standardOutput, nullptr);
    // It waits for the copy to end, then deletes it through the handle it holds.
    EXPECT_EQ(m.system.processWaits, 1);
    EXPECT_EQ(m.system.waitTimeouts, std::vector<win::DWORD>{win::INFINITE});
    EXPECT_FALSE(m.files.Exists(kCopy));
    ASSERT_FALSE(m.CallsTo("NtSetInformationFile").empty());
    EXPECT_EQ(m.CallsTo("NtSetInformationFile").back(), N(kCopy));
    EXPECT_EQ(m.system.openProcessHandles, 0);
    EXPECT_EQ(sim::OpenFileCount(), 0u);
}

// The temporary directory is the user's to name and to link: it is judged before anything is
// written in it. One that fails runs the removal in place, with nothing created there; one whose
// name holds every switch's text still gives the copy nothing but this program's own words.
TEST_F(Relaunch, TheTemporaryDirectoryIsJudgedBeforeAnythingIsWrittenInIt) {
    const std::u16string kSystem = u"C:\\windows\\system32\\";
    struct Case {
        const char* name;
        std::u16string temp;
        void (*plant)(const std::u16string& temp);
        bool used;
    };
    const Case cases[] = {
        {"the usual one", kTemp, nullptr, true},
        {"on another drive", u"D:\\Temp\\", [](const std::u16string& t) { sim::machine().files.AddDirectory(t); }, true},
        {"every switch in its name", kTemp + u"-UninstForInst-DeletingNow-InstallerPid=6666 %TEMP%\\",
         [](const std::u16string& t) { sim::machine().files.AddDirectory(t); }, true},
        {"a junction to the system directory",
         u"C:\\Users\\user\\AppData\\Local\\Linked\\",
         [](const std::u16string& t) { sim::machine().files.AddJunction(t.substr(0, t.size() - 1), u"C:\\windows\\system32"); },
         false},
        {"a Unix link to the system directory",
         u"C:\\Users\\user\\AppData\\Local\\Linked\\",
         [](const std::u16string& t) { sim::machine().files.AddUnixLink(t.substr(0, t.size() - 1), u"C:\\windows\\system32"); },
         false},
        {"a junction above it", u"C:\\Users\\user\\Linked\\Temp\\",
         [](const std::u16string&) { sim::machine().files.AddJunction(u"C:\\Users\\user\\Linked", u"C:\\windows"); },
         false},
        {"the system directory", kSystem, nullptr, false},
        {"a program's folder", u"C:\\Program Files\\Other Vendor\\",
         [](const std::u16string& t) { sim::machine().files.AddDirectory(t); }, false},
        {"a drive root", u"D:\\", [](const std::u16string& t) { sim::machine().files.AddDirectory(t); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        SetUp();
        auto& m = sim::machine();
        m.registry.SetString(win::HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows\\CurrentVersion", u"ProgramFilesDir",
                             u"C:\\Program Files");
        m.system.tempPath = c.temp;
        if (c.plant) c.plant(c.temp);
        const std::vector<std::u16string> systemBefore = m.files.List(kSystem);
        app::UninstallApp run;
        EXPECT_EQ(run.RelaunchFromTempCopy(), c.used);
        EXPECT_EQ(m.files.List(kSystem), systemBefore) << "nothing written in the system directory";
        ASSERT_EQ(Started().size(), c.used ? 1u : 0u);
        if (c.used) {
            const std::u16string& line = Started()[0].commandLine;
            EXPECT_EQ(N(line.substr(line.rfind(u'"') + 1)), "-DeletingNow");
        }
    }
}

// Judged once, the directory is held: a user who, after the judgement, would move the
// temporary directory away and put a junction to the system directory at its name cannot move
// it, and nothing is made in the system directory.
TEST_F(Relaunch, TheTemporaryDirectoryCannotBeSwappedForAJunctionOnceJudged) {
    auto& m = sim::machine();
    const std::u16string kSystem = u"C:\\windows\\system32\\";
    const std::u16string tempName = kTemp.substr(0, kTemp.size() - 1);
    const std::vector<std::u16string> systemBefore = m.files.List(kSystem);
    int tries = 0;
    bool moved = false;
    m.onCall = [&](const std::string& function, const std::string& argument) {
        // Reading the installed file comes after the judgement and before anything is made.
        if (function != "CreateFileW" || argument != N(kInstalled)) return;
        ++tries;
        moved = win::MoveFileW(tempName.c_str(), u"C:\\Users\\user\\AppData\\Local\\Moved") != 0;
        if (moved) m.files.AddJunction(tempName, u"C:\\windows\\system32");
    };
    EXPECT_TRUE(app.RelaunchFromTempCopy());
    m.onCall = nullptr;
    ASSERT_EQ(tries, 1);
    EXPECT_FALSE(moved);
    EXPECT_EQ(m.files.List(kSystem), systemBefore) << "nothing made in the system directory";
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(N(Started()[0].commandLine), N(u"\"" + kCopy + u"\"-DeletingNow"));
    EXPECT_TRUE(m.files.List(kTemp).empty()) << "the copy deleted through its handle";
}

// A directory above the temporary one is not held: renamed at the last moment, with a link put
// at its old name that leads to a folder where the user has planted a file of the copy's name.
// The copy is started where the held file lies, never by the name judged earlier.
TEST_F(Relaunch, TheCopyIsStartedWhereItLiesWhenADirectoryAboveWasRenamed) {
    auto& m = sim::machine();
    const std::u16string local = u"C:\\Users\\user\\AppData\\Local";
    const std::u16string moved = u"C:\\Users\\user\\AppData\\Moved";
    const std::u16string planted = u"C:\\Users\\user\\Planted";
    m.files.AddFile(planted + u"\\Temp\\orv1A2B.exe", "planted");
    const std::u16string log = u"C:\\Logs\\run.log";
    m.files.AddDirectory(u"C:\\Logs");
    bool swapped = false;
    m.onCall = [&](const std::string& function, const std::string& argument) {
        // The log is made after the copy has been held, just before the copy starts.
        if (swapped || function != "NtCreateFile" || argument != N(log)) return;
        swapped = win::MoveFileW(local.c_str(), moved.c_str()) != 0;
        m.files.AddJunction(local, planted);
    };
    StartUp(u"/log " + log);
    m.onCall = nullptr;
    EXPECT_EQ(app.ExitCode(), app::kExitTryLater) << "the run ends with its copy's outcome";
    ASSERT_TRUE(swapped);
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].image, "MZ uninstaller");
    EXPECT_EQ(N(Started()[0].commandLine), N(u"\"" + moved + u"\\Temp\\orv1A2B.exe\"-DeletingNow"));
}

TEST_F(Relaunch, SilentModePassesItsSwitchesRightAfterDeletingNow) {
    sim::machine().system.parentProcessId = 4242;  // the installer
    StartUp(u"-UninstForInst");
    EXPECT_EQ(app.ExitCode(), app::kExitTryLater) << "the run ends with its copy's outcome";
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(N(Started()[0].commandLine), N(u"\"" + kCopy + u"\"-DeletingNow-UninstForInst-InstallerPid=4242"));
}

TEST_F(Relaunch, ExecutableDirectlyInTheTemporaryDirectoryDoesTheWorkItself) {
    sim::machine().files.AddFile(kCopy);
    RunFrom(kCopy);
    EXPECT_FALSE(app.RelaunchFromTempCopy());
    EXPECT_TRUE(Started().empty());
    EXPECT_EQ(sim::machine().CountCalls("CopyFileW"), 0u);
    EXPECT_EQ(sim::machine().CountCalls("GetTempFileNameW"), 0u);
}

TEST_F(Relaunch, SameTemporaryDirectoryInShortLongOrOtherCaseFormIsRecognised) {
    auto& m = sim::machine();
    sim::FileNode* appData = m.files.Find(u"C:\\Users\\user\\AppData");
    ASSERT_NE(appData, nullptr);
    appData->shortName = u"APPDAT~1";
    m.files.AddFile(kCopy);
    struct Forms {
        std::u16string temp, module;
    } cases[] = {
        {u"C:\\Users\\user\\APPDAT~1\\Local\\Temp\\", kCopy},                   // short TMP, long module
        {kTemp, u"C:\\Users\\user\\APPDAT~1\\Local\\Temp\\orv1A2B.exe"},        // long TMP, short module
        {u"c:\\users\\USER\\appdata\\local\\temp\\", kCopy},                    // letter case
        {u"C:\\Users\\user\\AppData\\Local\\Temp", kCopy},                      // no final backslash
    };
    for (const auto& forms : cases) {
        m.system.tempPath = forms.temp;
        RunFrom(forms.module);
        EXPECT_FALSE(app.RelaunchFromTempCopy()) << N(forms.temp) << " / " << N(forms.module);
    }
    EXPECT_TRUE(Started().empty());
}

TEST_F(Relaunch, ExecutableInASubdirectoryOfTheTemporaryDirectoryIsStillRelaunched) {
    const std::u16string unpacked = kTemp + u"OrvikSetup\\Uninstall.exe";
    sim::machine().files.AddFile(unpacked);
    RunFrom(unpacked);
    EXPECT_TRUE(app.RelaunchFromTempCopy());
    EXPECT_EQ(Started().size(), 1u);
}

TEST_F(Relaunch, ACopyStartedWithDeletingNowNeverStartsAnother) {
    // For instance a temporary directory reached through a path that does not normalise to the
    // executable's own: the switch still ends the chain.
    sim::machine().windows.answers.push_back(win::IDNO);
    StartUp(u"-DeletingNow");
    // It goes on itself: the user is asked here.
    ASSERT_EQ(sim::machine().windows.boxes.size(), 1u);
    EXPECT_EQ(sim::machine().windows.boxes[0].text, u"Are you sure you want to uninstall Orvik Pendrel?");
    EXPECT_EQ(app.ExitCode(), app::kExitDeclined);
    EXPECT_TRUE(Started().empty());
}

// A copy that cannot be made or started is no reason to end without a word: the removal runs
// from the install directory, as where no temporary directory exists, and says so in its log.
TEST_F(Relaunch, FailuresRunTheRemovalInPlaceAndLeaveNothingBehind) {
    auto& m = sim::machine();
    {
        SCOPED_TRACE("no file can be made in the temporary directory");
        m.faults.failFunction = "NtCreateFile";
        EXPECT_FALSE(app.RelaunchFromTempCopy());
        m.faults.failFunction.clear();
    }
    EXPECT_EQ(m.CountCalls("CreateProcessW"), 0u);
    {
        SCOPED_TRACE("start fails: the useless copy goes again");
        m.system.createProcessFails = true;
        EXPECT_FALSE(app.RelaunchFromTempCopy());
        EXPECT_EQ(m.CountCalls("CreateProcessW"), 1u);
    }
    EXPECT_TRUE(m.files.List(kTemp).empty());
    EXPECT_TRUE(Started().empty());
    EXPECT_TRUE(m.windows.boxes.empty());
}

// Every run stopped before its end leaves its "orvXXXX.exe" behind: a name taken is passed over
// for a fresh one, the earlier file neither overwritten nor started, and nothing else is left.
TEST_F(Relaunch, NamesOfEarlierCopiesArePassedOverForFreshOnes) {
    auto& m = sim::machine();
    m.files.AddFile(kCopy, "an earlier version").inUse = true;
    m.files.AddFile(kTemp + u"orv1A2C.exe", "another earlier one");

    EXPECT_TRUE(app.RelaunchFromTempCopy());

    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(N(Started()[0].commandLine), N(u"\"" + kTemp + u"orv1A2D.exe\"-DeletingNow"));
    EXPECT_EQ(Started()[0].image, "MZ uninstaller");
    const sim::FileNode* earlier = m.files.Find(kCopy);
    const sim::FileNode* another = m.files.Find(kTemp + u"orv1A2C.exe");
    ASSERT_NE(earlier, nullptr);
    ASSERT_NE(another, nullptr);
    EXPECT_EQ(earlier->content, "an earlier version");
    EXPECT_EQ(another->content, "another earlier one");
    EXPECT_EQ(m.files.List(kTemp), (std::vector<std::u16string>{u"orv1A2B.exe", u"orv1A2C.exe"}));

    // A directory full of them: the relaunch gives up after a bounded number of names.
    sim::Reset();
    SetUp();
    for (unsigned n = 0x1A2B; n < 0x1A2B + 40; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "orv%X.exe", n);
        sim::machine().files.AddFile(kTemp + sim::Widen(name), "earlier");
    }
    EXPECT_FALSE(app.RelaunchFromTempCopy());
    EXPECT_TRUE(Started().empty());
    EXPECT_LE(sim::machine().CountCalls("NtCreateFile"), 16u);
    EXPECT_EQ(sim::machine().files.List(kTemp).size(), 40u) << "nothing left";
}

// A virus scanner looks at the new copy for a moment: the hold is tried again.
TEST_F(Relaunch, ABriefSharingViolationOnTheNewCopyIsWaitedOut) {
    auto& m = sim::machine();
    win::HANDLE scanner = nullptr;
    int holds = 0;
    m.onCall = [&](const std::string& function, const std::string& argument) {
        // The hold, after the copy was written.
        if (function != "NtOpenFile" || argument != "delete file " + N(kCopy)) return;
        if (++holds == 1)
            scanner = win::CreateFileW(kCopy.c_str(), win::GENERIC_READ | win::GENERIC_WRITE, 0, nullptr,
                                       win::OPEN_EXISTING, 0, nullptr);
        else if (holds == 3)
            win::CloseHandle(scanner);
    };
    EXPECT_TRUE(app.RelaunchFromTempCopy());
    m.onCall = nullptr;
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].image, "MZ uninstaller");
    EXPECT_EQ(m.system.sleeps.size(), 2u);
}

TEST_F(Relaunch, TemporaryDirectoryTooLongForACopyLeavesTheWorkToTheInstalledCopy) {
    auto& m = sim::machine();
    const std::u16string deep = u"C:\\T\\" + std::u16string(230, u'x') + u"\\";
    for (std::u16string temp : {deep + std::u16string(12, u'y') + u"\\", deep + std::u16string(300, u'z') + u"\\"}) {
        m.files.AddDirectory(temp);
        m.system.tempPath = temp;
        EXPECT_FALSE(app.RelaunchFromTempCopy()) << temp.size();
    }
    EXPECT_EQ(m.CountCalls("NtCreateFile"), 0u);
    EXPECT_TRUE(Started().empty());
}

TEST_F(Relaunch, CommandLineLongerThanAPathIsPassedWhole) {
    // The longest temporary directory that still holds a copy name.
    auto& m = sim::machine();
    const std::u16string temp = u"C:\\T\\" + std::u16string(240, u'x') + u"\\";
    ASSERT_EQ(temp.size(), 246u);
    m.files.AddDirectory(temp);
    m.system.tempPath = temp;
    m.system.parentProcessId = 4242;  // the installer
    StartUp(u"-UninstForInst");
    EXPECT_EQ(app.ExitCode(), app::kExitTryLater) << "the run ends with its copy's outcome";
    ASSERT_EQ(Started().size(), 1u);
    const std::u16string expected = u"\"" + temp + u"orv1A2B.exe\"-DeletingNow-UninstForInst-InstallerPid=4242";
    EXPECT_GT(expected.size(), 262u);
    EXPECT_EQ(N(Started()[0].commandLine), N(expected));
}

TEST_F(Relaunch, ExecutablePathTooLongToCopyLeavesTheWorkToItself) {
    const std::u16string deep = u"C:\\" + std::u16string(250, u'd') + u"\\Uninstall.exe";
    RunFrom(deep);
    EXPECT_FALSE(app.RelaunchFromTempCopy());
    EXPECT_TRUE(Started().empty());
}

// Every process of the user can write to the temporary directory, and the copy runs elevated:
// another process that replaces, rewrites or renames it at any moment must never get its own
// file started in its place.
class CopyProtection : public Relaunch {
protected:
    // Another process of the user with its hands on the copy's name.
    enum class Attack { Rewrite, SwapByRename, SwapByDelete };
    static bool Tamper(Attack attack) {
        const std::u16string name = kCopy;
        const std::string evil = "MZ someone else's program";
        if (attack == Attack::SwapByRename && !win::MoveFileW(name.c_str(), (kTemp + u"moved.exe").c_str()))
            return false;
        if (attack == Attack::SwapByDelete && !win::DeleteFileW(name.c_str())) return false;
        const win::DWORD all = win::FILE_SHARE_READ | win::FILE_SHARE_WRITE | win::FILE_SHARE_DELETE;
        const win::DWORD disposition = attack == Attack::Rewrite ? win::OPEN_EXISTING : win::CREATE_NEW;
        win::HANDLE file = win::CreateFileW(name.c_str(), win::GENERIC_WRITE, all, nullptr, disposition, 0, nullptr);
        if (file == win::INVALID_HANDLE_VALUE) return false;
        sim::FileNode* node = sim::machine().files.Find(name);
        if (!node) {
            win::CloseHandle(file);
            return false;
        }
        if (attack == Attack::Rewrite) node->content.clear();
        win::DWORD written = 0;
        win::WriteFile(file, evil.data(), static_cast<win::DWORD>(evil.size()), &written, nullptr);
        win::CloseHandle(file);
        return true;
    }
};

TEST_F(CopyProtection, TheCopyIsWrittenAsANewFileAndStartedWhileNobodyCanChangeIt) {
    auto& m = sim::machine();
    bool triedWhileStarting = false;
    m.onCall = [&](const std::string& function, const std::string&) {
        if (function != "CreateProcessW") return;
        triedWhileStarting = true;
        for (Attack attack : {Attack::Rewrite, Attack::SwapByRename, Attack::SwapByDelete})
            EXPECT_FALSE(Tamper(attack)) << static_cast<int>(attack);
    };
    EXPECT_TRUE(app.RelaunchFromTempCopy());
    EXPECT_TRUE(triedWhileStarting);
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_TRUE(Started()[0].imageFound);
    EXPECT_EQ(Started()[0].image, "MZ uninstaller");
    EXPECT_FALSE(m.files.Exists(kCopy)) << "deleted through its handle once it ended";
    EXPECT_EQ(m.CountCalls("CopyFileW"), 0u) << "a copy by name would write through a planted link";
}

TEST_F(CopyProtection, ASecondWriterAtAnyMomentNeverGetsItsFileStarted) {
    for (Attack attack : {Attack::Rewrite, Attack::SwapByRename, Attack::SwapByDelete}) {
        int tampered = 0;
        for (std::size_t moment = 0;; ++moment) {
            sim::Reset();
            SetUp();
            auto& m = sim::machine();
            std::size_t call = 0;
            bool done = false;
            m.onCall = [&](const std::string&, const std::string&) {
                if (call++ == moment) done = Tamper(attack);
            };
            app::UninstallApp fresh;
            EXPECT_TRUE(fresh.RelaunchFromTempCopy());
            if (moment >= call) break;  // past the last call: every moment was tried
            tampered += done;
            for (const auto& started : Started())
                EXPECT_EQ(started.image, "MZ uninstaller") << "attack " << static_cast<int>(attack) << " at call "
                                                           << moment << ": " << m.calls[moment];
            // A name taken before the copy is made is passed over for a fresh one; a copy changed
            // after it was written is never started.
            if (done) {
                for (const auto& started : Started())
                    EXPECT_EQ(N(started.commandLine).find(N(kCopy)), std::string::npos)
                        << "the tampered copy is started at call " << moment;
            }
        }
        // The name is free before the copy is made and in the moment between writing and holding
        // it: the second writer does get its hands on it, and is caught.
        EXPECT_GT(tampered, 0) << static_cast<int>(attack);
    }
}

TEST_F(CopyProtection, ANamePlantedBeforeTheCopyIsMadeIsNeitherWrittenThroughNorStarted) {
    auto& m = sim::machine();
    m.onCall = [&](const std::string& function, const std::string&) {
        // The moment the name is chosen, someone puts a file at it.
        if (function == "NtCreateFile" && !m.files.Exists(kCopy)) m.files.AddFile(kCopy, "planted");
    };
    EXPECT_TRUE(app.RelaunchFromTempCopy());
    m.onCall = nullptr;
    ASSERT_TRUE(m.files.Exists(kCopy));
    EXPECT_EQ(m.files.Find(kCopy)->content, "planted");
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(N(Started()[0].commandLine).find(N(kCopy)), std::string::npos);
    EXPECT_EQ(Started()[0].image, "MZ uninstaller");
}

TEST_F(CopyProtection, ACopyHeldOpenForWritingByAnotherProcessIsNotStartedButMadeAgain) {
    auto& m = sim::machine();
    win::HANDLE other = nullptr;
    m.onCall = [&](const std::string& function, const std::string& argument) {
        // Between the writing and the holding open, another process opens it for writing.
        if (function == "NtOpenFile" && argument == "delete file " + N(kCopy) && !other)
            other = win::CreateFileW(kCopy.c_str(), win::GENERIC_WRITE, win::FILE_SHARE_READ | win::FILE_SHARE_WRITE,
                                     nullptr, win::OPEN_EXISTING, 0, nullptr);
    };
    EXPECT_TRUE(app.RelaunchFromTempCopy());
    ASSERT_NE(other, win::INVALID_HANDLE_VALUE);
    EXPECT_NE(other, nullptr);
    // That copy is never started; one made again under a fresh name is.
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(N(Started()[0].commandLine).find(N(kCopy)), std::string::npos);
    EXPECT_EQ(Started()[0].image, "MZ uninstaller");
    win::CloseHandle(other);
}

class DeleteSelf : public testing::Test {
protected:
    void RunFrom(const std::u16string& module) {
        sim::machine().files.AddFile(module);
        sim::machine().system.modulePath = module;
    }
    app::UninstallApp app;
};

const char kInterpreter[] = "C:\\windows\\system32\\cmd.exe";

// What the command interpreter makes of the command line it is given, as far as the deletion
// goes: its words before "/c" and the commands "/c" runs, split at each '&' outside quotes (a
// redirection's ">&" aside) into words. A quoted word is one word, without its quotes, whatever
// blanks, '&', '!', '(' or ')' it holds; outside quotes '(' and ')' only group commands.
struct InterpreterRun {
    std::vector<std::string> switches;               // the program's own name first
    std::vector<std::vector<std::string>> commands;  // what "/c" runs, in order
    bool quotesBalanced = true;
};

InterpreterRun ReadInterpreterLine(const std::string& line) {
    std::vector<std::vector<std::string>> pieces(1);  // the line split at each command separator
    std::string word;
    bool quoted = false, inWord = false;
    const auto endWord = [&] {
        if (inWord) pieces.back().push_back(word);
        word.clear();
        inWord = false;
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (quoted) {
            word += c;
        } else if (c == '&' && !(i > 0 && line[i - 1] == '>')) {
            endWord();
            pieces.emplace_back();
        } else if (c == ' ' || c == '(' || c == ')') {
            endWord();
        } else {
            word += c;
            inWord = true;
        }
    }
    endWord();
    InterpreterRun run;
    run.quotesBalanced = !quoted;
    const std::vector<std::string>& first = pieces.front();
    const auto c = std::find(first.begin(), first.end(), "/c");
    run.switches.assign(first.begin(), c);
    if (c != first.end() && c + 1 != first.end()) run.commands.emplace_back(c + 1, first.end());
    for (std::size_t i = 1; i < pieces.size(); ++i)
        if (!pieces[i].empty()) run.commands.push_back(pieces[i]);
    return run;
}

// The words that follow `verb` anywhere in the commands run.
std::vector<std::string> WordsAfter(const InterpreterRun& run, const std::string& verb) {
    std::vector<std::string> found;
    for (const auto& command : run.commands)
        for (std::size_t i = 0; i + 1 < command.size(); ++i)
            if (command[i] == verb) found.push_back(command[i + 1]);
    return found;
}

// The index of the last command (or the first, with `first`) that holds `verb`, or -1.
int CommandWith(const InterpreterRun& run, const std::string& verb, bool first) {
    int at = -1;
    for (std::size_t i = 0; i < run.commands.size(); ++i)
        if (std::find(run.commands[i].begin(), run.commands[i].end(), verb) != run.commands[i].end()) {
            at = static_cast<int>(i);
            if (first) break;
        }
    return at;
}

// The interpreter started is the system's, runs no AutoRun command (/d) and expands no '!'
// (/v:off); it first waits for a line from its input (which ends when this process has ended),
// then deletes `file` and nothing else, then removes each of `directories` and nothing else.
void ExpectDeletes(const sim::StartedProcess& started, const std::u16string& file,
                   const std::vector<std::string>& directories = {}) {
    EXPECT_EQ(N(started.application), kInterpreter);
    const InterpreterRun run = ReadInterpreterLine(N(started.commandLine));
    ASSERT_TRUE(run.quotesBalanced) << N(started.commandLine);
    ASSERT_GE(run.switches.size(), 1u) << N(started.commandLine);
    EXPECT_EQ(run.switches[0], kInterpreter);
    EXPECT_NE(std::find(run.switches.begin(), run.switches.end(), "/d"), run.switches.end());
    EXPECT_NE(std::find(run.switches.begin(), run.switches.end(), "/v:off"), run.switches.end());
    ASSERT_FALSE(run.commands.empty()) << N(started.commandLine);
    EXPECT_EQ(run.commands[0], (std::vector<std::string>{"set", "/p", "ended="})) << "waits for this process's end";
    const std::vector<std::string> deleted = WordsAfter(run, "del");
    EXPECT_FALSE(deleted.empty()) << N(started.commandLine);
    for (const std::string& path : deleted) EXPECT_EQ(path, N(file));
    for (const std::string& path : WordsAfter(run, "exist")) EXPECT_EQ(path, N(file));
    EXPECT_EQ(WordsAfter(run, "rd"), directories);
    if (!directories.empty()) {
        EXPECT_GT(CommandWith(run, "rd", true), CommandWith(run, "del", false)) << "the file goes first";
    }
}

TEST_F(DeleteSelf, HandsAQuotedDeletionOfTheShortPathToTheSystemInterpreterWithoutAConsole) {
    auto& m = sim::machine();
    RunFrom(u"C:\\Users\\John Smith\\AppData\\Local\\Temp\\orv1A2B.exe");
    sim::FileNode* user = m.files.Find(u"C:\\Users\\John Smith");
    ASSERT_NE(user, nullptr);
    user->shortName = u"JOHNSM~1";
    const std::u16string shortPath = u"C:\\Users\\JOHNSM~1\\AppData\\Local\\Temp\\orv1A2B.exe";

    EXPECT_TRUE(app.DeleteSelf());
    ASSERT_EQ(m.system.processes.size(), 1u);
    const auto& started = m.system.processes[0];
    ExpectDeletes(started, shortPath);
    // Not the user's temporary directory, where anybody may plant a program.
    EXPECT_EQ(N(started.currentDirectory), "C:\\windows\\system32\\");
    // Without a console: the interpreter costs no console host, and nothing shows.
    EXPECT_EQ(started.creationFlags, win::DETACHED_PROCESS);
    // Its input is the read end of a pipe whose write end only this process holds, till the
    // system closes it as the process ends: the deletion waits for that.
    EXPECT_TRUE(started.inheritsHandles);
    ASSERT_NE(started.standardInput, nullptr);
    EXPECT_FALSE(sim::IsInheritable(started.standardInput)) << "the read end is given back here";
    const std::vector<win::HANDLE> pipeEnds = sim::OpenAnonymousPipeEnds();
    ASSERT_EQ(pipeEnds.size(), 1u) << "the write end alone stays here";
    EXPECT_NE(pipeEnds[0], started.standardInput);
    EXPECT_FALSE(sim::IsInheritable(pipeEnds[0])) << "the interpreter must not hold the write end";
    EXPECT_EQ(sim::OpenFileCount(), 1u) << "nothing but the write end";
    EXPECT_EQ(m.system.openProcessHandles, 0);
    EXPECT_TRUE(m.shell.launches.empty());
    ASSERT_EQ(m.shell.notifications.size(), 1u);
    EXPECT_EQ(m.shell.notifications[0].event, win::SHCNE_DELETE);
    EXPECT_EQ(m.shell.notifications[0].flags, win::SHCNF_PATHW);
    EXPECT_EQ(N(m.shell.notifications[0].path), N(shortPath));
}

// Quoted, the image's path is one word to the interpreter whatever its name holds: blanks where
// the volume has no short names, '&' and parentheses that would end or group a command, '!'
// that the interpreter does not expand.
TEST_F(DeleteSelf, PathThatHoldsTheInterpretersOwnCharactersStaysOneArgument) {
    for (const char16_t* user : {u"John Smith", u"Tom & Jerry", u"Work (old)", u"Bang!Bang", u"a^b"}) {
        SCOPED_TRACE(N(user));
        sim::Reset();
        const std::u16string path = u"C:\\Users\\" + std::u16string(user) + u"\\AppData\\Local\\Temp\\orv1A2B.exe";
        RunFrom(path);
        EXPECT_TRUE(app.DeleteSelf());
        ASSERT_EQ(sim::machine().system.processes.size(), 1u);
        ExpectDeletes(sim::machine().system.processes[0], path);
    }
}

TEST_F(DeleteSelf, WhateverCOMSPECNamesTheSystemsInterpreterRuns) {
    // The variable is the user's to set; this process runs elevated.
    for (const char16_t* comspec : {u"C:\\Users\\user\\AppData\\Local\\Temp\\marker.exe", u"", u"cmd.exe"}) {
        sim::Reset();
        RunFrom(kCopy);
        if (*comspec) sim::machine().system.environment[u"COMSPEC"] = comspec;
        else sim::machine().system.environment.clear();
        EXPECT_TRUE(app.DeleteSelf()) << N(comspec);
        ASSERT_EQ(sim::machine().system.processes.size(), 1u);
        ExpectDeletes(sim::machine().system.processes[0], kCopy);
    }
}

TEST_F(DeleteSelf, SystemDirectoryWithAFinalBackslashGetsNoSecondOne) {
    sim::machine().system.systemDirectory = u"C:\\windows\\system32\\";
    RunFrom(kCopy);
    EXPECT_TRUE(app.DeleteSelf());
    ASSERT_EQ(sim::machine().system.processes.size(), 1u);
    EXPECT_EQ(N(sim::machine().system.processes[0].application), kInterpreter);
}

TEST_F(DeleteSelf, NothingIsStartedOrAnnouncedWhenTheCommandCannotBeMadeOrRun) {
    struct Case {
        const char* what;
        void (*arrange)(sim::Machine&);
        bool interpreterCalled;
    } cases[] = {
        {"system directory unknown", [](sim::Machine& m) { m.system.systemDirectory.clear(); }, false},
        {"system directory too long",
         [](sim::Machine& m) { m.system.systemDirectory = u"C:\\" + std::u16string(300, u's'); }, false},
        {"interpreter fails to start", [](sim::Machine& m) { m.system.createProcessFails = true; }, true},
        {"short path fails", [](sim::Machine& m) { m.system.failShortPath = true; }, false},
        {"module path unknown", [](sim::Machine& m) { m.system.modulePath.clear(); }, false},
        {"module path too long",
         [](sim::Machine& m) { m.system.modulePath = u"C:\\" + std::u16string(300, u'p'); }, false},
        {"path the interpreter would expand",
         [](sim::Machine& m) {
             const std::u16string odd = u"C:\\Users\\%TEMP%\\orv1A2B.exe";
             m.files.AddFile(odd);
             m.system.modulePath = odd;
         },
         false},
        {"path with a quote, which would end the quoted argument",
         [](sim::Machine& m) {
             const std::u16string odd = u"C:\\Users\\a\"b\\orv1A2B.exe";
             m.files.AddFile(odd);
             m.system.modulePath = odd;
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        RunFrom(kCopy);
        c.arrange(sim::machine());
        EXPECT_FALSE(app.DeleteSelf());
        EXPECT_EQ(sim::machine().CountCalls("CreateProcessW"), c.interpreterCalled ? 1u : 0u);
        EXPECT_TRUE(sim::machine().shell.notifications.empty());
    }
}

// Start-up with both roles.

TEST(RelaunchAtStartUp, InstalledCopyEndsAsSoonAsItsCopyIsStarted) {
    auto& m = sim::machine();
    m.files.AddFile(kInstalled);
    app::UninstallApp app;
    app.SetCommandLine(u"-UninstForInst");
    m.files.pipe.exists = true;
    app.InitInstance();
    EXPECT_EQ(m.system.processes.size(), 1u);
    EXPECT_EQ(m.CountCalls("WaitNamedPipeW"), 0u) << "only the copy connects";
    EXPECT_TRUE(m.windows.boxes.empty());
    EXPECT_TRUE(m.shell.launches.empty());
}

// The installed copy's own file follows its copy's outcome, never one file's absence. For the
// installer it makes way before the copy starts (the installer writes the new version the moment
// it has its last code) and comes back when nothing was removed; otherwise it goes only once the
// product has gone. What goes is moved aside into the machine's temporary directory through its
// handle and deleted there by the interpreter after this process; the install directory and
// those created for it go through judged handles, and only when empty.
TEST(RelaunchAtStartUp, InstalledCopyFollowsItsCopysOutcome) {
    const std::u16string kAside = u"C:\\windows\\Temp\\orv1A2B.tmp";
    const std::u16string kUserFile = testing_support::kInstallDir + u"my notes.pdf";
    struct Case {
        const char* name;
        const char16_t* commandLine;
        win::DWORD copyCode;
        bool userFile;      // the user keeps a file of their own in the install directory
        bool asideAtStart;  // the installed file is out of the way while the copy runs
        bool deleted;       // handed to the interpreter from the machine's temporary directory
    };
    const Case cases[] = {
        {"removed", u"", app::kCopyRanRemoval | 0, false, false, true},
        {"removed, a restart pending", u"/quiet", app::kCopyRanRemoval | 3010, false, false, true},
        {"removed, a user's file kept", u"", app::kCopyRanRemoval | 0, true, false, true},
        {"something left", u"/quiet", app::kCopyRanRemoval | 1603, false, false, false},
        {"declined, the product's executable already gone", u"", 1602, false, false, false},
        {"failed before the removal", u"/quiet", 1603, false, false, false},
        {"a crash of the copy", u"", 0xC0000005, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        auto& m = sim::machine();
        testing_support::InstallProduct(testing_support::kInstallDir, u"C:\\Program Files\\");
        m.system.modulePath = kInstalled;
        m.files.pipe.exists = true;
        if (c.userFile) m.files.AddFile(kUserFile, "%PDF");
        m.system.exitCodes.push_back(c.copyCode);
        // The copy's work as far as the installed copy can see it: every file of the product's
        // but the installed uninstaller gone when the removal ran.
        bool asideWhileCopyRan = false;
        m.onCall = [&](const std::string& function, const std::string& argument) {
            if (function != "CreateProcessW" || argument.find("\"-DeletingNow") == std::string::npos) return;
            asideWhileCopyRan = !m.files.Exists(kInstalled);
            if (!(c.copyCode & app::kCopyRanRemoval) || (c.copyCode & 0xFFFF) == 1603) return;
            for (const std::u16string& path : m.files.AllPaths())
                if (path.rfind(testing_support::kInstallDir, 0) == 0 && path != kInstalled && path != kUserFile &&
                    !m.files.IsDirectory(path))
                    win::DeleteFileW(path.c_str());
            sim::FileNode* installDir = m.files.Find(testing_support::kInstallDir);
            ASSERT_NE(installDir, nullptr);
            auto& entries = installDir->children;
            entries.erase(std::remove_if(entries.begin(), entries.end(), [](const auto& n) { return n->directory; }),
                          entries.end());
        };
        app::UninstallApp app;
        app.SetCommandLine(c.commandLine);
        app.InitInstance();
        m.onCall = nullptr;

        EXPECT_EQ(asideWhileCopyRan, c.asideAtStart);
        EXPECT_EQ(app.ExitCode(), c.copyCode & ~app::kCopyRanRemoval);
        EXPECT_EQ(m.files.Exists(kInstalled), !c.deleted);
        EXPECT_FALSE(m.files.Exists(kCopy));
        // The interpreter: for the installer started before the copy, and ended unrun when the
        // file came back; otherwise started after it, only when the file goes.
        std::vector<const sim::StartedProcess*> interpreters;
        for (const sim::StartedProcess& process : m.system.processes)
            if (process.commandLine.find(u"cmd.exe") != std::u16string::npos) interpreters.push_back(&process);
        ASSERT_EQ(m.system.processes.size(), 1 + interpreters.size());
        ASSERT_EQ(interpreters.size(), c.deleted || c.asideAtStart ? 1u : 0u);
        if (!c.deleted) {
            EXPECT_FALSE(m.files.Exists(kAside));
            if (c.asideAtStart) {
                EXPECT_TRUE(interpreters[0]->terminated) << "ended before it could delete anything";
            }
            continue;
        }
        EXPECT_FALSE(interpreters[0]->terminated);
        EXPECT_EQ(&m.system.processes[c.asideAtStart ? 0 : 1], interpreters[0]);
        EXPECT_TRUE(m.files.Exists(kAside));
        ExpectDeletes(*interpreters[0], kAside);  // no directory by name
        EXPECT_EQ(m.files.Exists(kUserFile), c.userFile);
        // For the installer its copy took the directories before the last code.
        if (!c.asideAtStart) {
            EXPECT_EQ(m.files.Exists(testing_support::kInstallDir), c.userFile);
            EXPECT_EQ(m.files.Exists(u"C:\\Program Files\\Orvik Software"), c.userFile);
        }
        EXPECT_EQ(sim::OpenFileCount(), 1u) << "nothing held but the write end the interpreter waits on";
    }
}

// For the installer the installed copy makes way into the machine's temporary directory before
// anything is removed, and runs the removal there itself: no copy is made in the user's temporary
// directory. The interpreter that deletes the moved file starts first, and is ended unrun when
// nothing was removed and the file comes back under its name; the install directory goes
// before the last code.
TEST(RelaunchAtStartUp, ForTheInstallerTheInstalledCopyMakesWayAndRunsTheRemovalItself) {
    const std::u16string kAside = u"C:\\windows\\Temp\\orv1A2B.tmp";
    struct Case {
        const char* name;
        const char16_t* held;  // a file of the product's another process runs
        win::DWORD code;
        std::vector<std::string> codes;  // what the installer heard
    };
    const std::vector<std::string> all{"1", "2", "4", "6", "7", "8", "9", "10"};
    const Case cases[] = {
        {"removed", nullptr, 0, all},
        {"a program file left", u"InOther.exe", 1603, all},
        {"the product running: nothing removed", u"Orvik Pendrel.exe", 1618, {"-1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        auto& m = sim::machine();
        testing_support::LayDownProduct();
        m.system.modulePath = kInstalled;
        if (c.held) m.system.runningImages.push_back(testing_support::kInstallDir + std::u16string(c.held));
        long waitsAtTermination = -1;
        m.onCall = [&](const std::string& function, const std::string&) {
            if (function == "TerminateProcess") waitsAtTermination = static_cast<long>(m.system.processWaits);
        };
        app::UninstallApp app;
        app.SetCommandLine(u"-UninstForInst");
        app.InitInstance();
        m.onCall = nullptr;

        const bool removalRan = c.code != 1618;
        EXPECT_EQ(app.ExitCode(), c.code);
        EXPECT_EQ(m.files.pipe.writes, c.codes);
        EXPECT_EQ(m.files.Exists(kInstalled), !removalRan);
        EXPECT_EQ(m.files.Exists(kAside), removalRan);
        EXPECT_EQ(m.files.Exists(testing_support::kInstallDir), c.held != nullptr);
        // The interpreter first; then, when the removal ran, the plug-in's uninstaller. No copy.
        for (const auto& process : m.system.processes)
            EXPECT_EQ(process.commandLine.find(u"-DeletingNow"), std::u16string::npos) << N(process.commandLine);
        ASSERT_FALSE(m.system.processes.empty());
        const sim::StartedProcess& interpreter = m.system.processes[0];
        EXPECT_EQ(interpreter.terminated, !removalRan);
        // Ended unrun, it is waited for before its wake-up is given: woken first, it would try
        // its deletion again once the file is back under its name.
        if (!removalRan) {
            EXPECT_GT(static_cast<long>(m.system.processWaits), waitsAtTermination);
        }
        if (removalRan) ExpectDeletes(interpreter, kAside);  // no directory by name: the installer owns them
        // Nothing held but the write end the interpreter waits on; without a removal, the
        // installer's pipe, which closes as the process ends, once the file is back.
        EXPECT_EQ(sim::OpenFileCount(), removalRan ? 1u : 2u);
    }
}

// The moment its pipe closes, the installer may make the install directory again for the new
// version: the run looked at what it left before that, does not take the installer's new, still
// empty directory for one it could not remove, and names nothing there afterwards.
TEST(RelaunchAtStartUp, TheInstallersNewDirectoryIsNotTakenForOneLeft) {
    for (const bool installedCopy : {true, false}) {
        SCOPED_TRACE(installedCopy ? "installed copy in place" : "temporary copy");
        sim::Reset();
        auto& m = sim::machine();
        testing_support::LayDownProduct();
        if (!installedCopy) testing_support::PlaceTemporaryCopy();
        else m.system.modulePath = kInstalled;
        bool closed = false;
        std::vector<std::string> afterClose;  // calls that named the install directory since
        const std::string installDir = N(testing_support::kInstallDir);
        m.onCall = [&](const std::string& function, const std::string& argument) {
            if (closed && argument.find(installDir.substr(0, installDir.size() - 1)) != std::string::npos)
                afterClose.push_back(function + " " + argument);
            if (function == "CloseHandle" && argument == "pipe") {
                closed = true;
                m.files.AddDirectory(testing_support::kInstallDir);
            }
        };
        app::UninstallApp app;
        app.SetCommandLine(installedCopy ? u"-UninstForInst" : u"-DeletingNow-UninstForInst-InstallerPid=4242");
        app.InitInstance();
        m.onCall = nullptr;
        EXPECT_EQ(app.ExitCode() & ~app::kCopyRanRemoval, 0u);
        EXPECT_EQ(m.files.pipe.writes.size(), 8u);
        EXPECT_TRUE(m.files.IsDirectory(testing_support::kInstallDir)) << "the installer's";
        for (const std::string& call : afterClose) ADD_FAILURE() << "after the pipe closed: " << call;
    }
}

// Installed on another volume than the Windows directory, the file cannot move into the machine's
// temporary directory: it takes a fresh name in its own directory instead, and the interpreter
// deletes that name and then the emptied directories; for the installer, which owns them, no
// directory. The system's reservation in the machine's temporary directory is given back.
TEST(RelaunchAtStartUp, OnAnotherVolumeTheUninstallerMakesWayInItsOwnDirectory) {
    const std::u16string kInstallDir = u"D:\\Orvik Pendrel\\";
    const std::u16string kAside = kInstallDir + u"Uninstall.exe.1000.old";
    for (const bool installer : {false, true}) {
        SCOPED_TRACE(installer ? "installer" : "quiet");
        sim::Reset();
        auto& m = sim::machine();
        testing_support::InstallProduct(kInstallDir, u"D:\\");
        m.files.AddFile(kInstallDir + u"Uninstall.exe", "MZ");
        m.system.modulePath = kInstallDir + u"Uninstall.exe";
        m.files.pipe.exists = true;
        m.system.exitCodes.push_back(app::kCopyRanRemoval | 0);
        app::UninstallApp app;
        app.SetCommandLine(installer ? u"-UninstForInst" : u"/quiet");
        app.InitInstance();
        EXPECT_EQ(app.ExitCode(), 0u);
        EXPECT_FALSE(m.files.Exists(kInstallDir + u"Uninstall.exe")) << "its own name is free";
        EXPECT_TRUE(m.files.Exists(kAside));
        EXPECT_TRUE(m.files.List(u"C:\\windows\\Temp").empty()) << "no reservation left";
        ASSERT_EQ(m.system.processes.size(), 2u);
        // The installer owns the directory.
        ExpectDeletes(m.system.processes.back(), kAside,
                      installer ? std::vector<std::string>{} : std::vector<std::string>{"D:\\Orvik Pendrel"});
    }
}

// A reader holding the installed uninstaller without sharing its deletion keeps it from moving:
// once the product has gone it is left for the next restart (the install directory is the
// machine's), and the run says 3010; for the installer, whose new version it is in the way of,
// the run says 1603. Nothing is handed to the interpreter.
TEST(RelaunchAtStartUp, AHeldInstalledUninstallerGoesAtTheRestartOrIsReported) {
    for (const bool installer : {false, true}) {
        SCOPED_TRACE(installer ? "installer" : "quiet");
        sim::Reset();
        auto& m = sim::machine();
        testing_support::InstallProduct(testing_support::kInstallDir, u"C:\\Program Files\\");
        win::DeleteFileW(testing_support::kProductExe.c_str());
        m.system.modulePath = kInstalled;
        m.files.pipe.exists = true;
        m.system.exitCodes.push_back(app::kCopyRanRemoval | 0);
        const win::ScopedFile reader(win::CreateFileW(kInstalled.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ, nullptr,
                                                      win::OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader);
        app::UninstallApp app;
        app.SetCommandLine(installer ? u"-UninstForInst /log C:\\installer.log" : u"/quiet");
        app.InitInstance();
        EXPECT_EQ(app.ExitCode(), installer ? 1603u : 3010u);
        EXPECT_TRUE(m.files.Exists(kInstalled));
        EXPECT_EQ(m.system.processes.size(), 1u) << "no interpreter";
        if (installer) {
            EXPECT_TRUE(m.files.pendingDeletes.empty()) << "the installer's new version must not go at the restart";
            // The log the copy took says why the outcome is not the copy's.
            const sim::FileNode* log = m.files.Find(u"C:\\installer.log");
            ASSERT_NE(log, nullptr);
            EXPECT_NE(log->content.find("left: file " + N(kInstalled) + " (it could not make way for the installer: "),
                      std::string::npos)
                << log->content;
            EXPECT_NE(log->content.find("outcome: 1603 ("), std::string::npos) << log->content;
        } else {
            ASSERT_FALSE(m.files.pendingDeletes.empty());
            EXPECT_EQ(N(m.files.pendingDeletes.front()), N(kInstalled));
            // The log the copy wrote gets what the installed copy's end changed, and the outcome.
            const sim::FileNode* log = m.files.Find(kTemp + u"Orvik Pendrel Uninstall.log");
            ASSERT_NE(log, nullptr);
            EXPECT_NE(log->content.find("scheduled at restart: file " + N(kInstalled)), std::string::npos) << log->content;
            EXPECT_NE(log->content.find("outcome: 3010 ("), std::string::npos) << log->content;
        }
    }
}

// The installed copy deletes its temporary copy once that has ended, whatever the user answered:
// the copy starts nothing to delete itself.
TEST(RelaunchAtStartUp, CopyDeclinedByTheUserLeavesItsDeletionToTheInstalledCopy) {
    auto& m = sim::machine();
    m.files.AddFile(kCopy);
    m.system.modulePath = kCopy;
    m.system.existingMutexes.insert(u"ORVIK_PENDREL_UNINSTALL_MUTEX");  // the installed copy's
    m.windows.answers.push_back(win::IDNO);
    app::UninstallApp app;
    app.SetCommandLine(u"-DeletingNow");
    app.InitInstance();
    ASSERT_EQ(m.windows.boxes.size(), 1u);
    EXPECT_TRUE(m.system.processes.empty());
    EXPECT_TRUE(m.files.Exists(kCopy));
}

}  // namespace

namespace {

TEST(CommandLine, SwitchesRightAfterAQuotedProgramNameAreKept) {
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(u"\"C:\\Temp\\orv1A2B.exe\"-DeletingNow-UninstForInst")),
              "-DeletingNow-UninstForInst");
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(u"\"C:\\Program Files\\O P\\Uninstall.exe\"  -UninstForInst")),
              "-UninstForInst");
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(u"C:\\Temp\\Uninstall.exe\t-UninstForInst x")), "-UninstForInst x");
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(u"Uninstall.exe")), "");
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(u"\"unterminated -DeletingNow")), "");
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(u"")), "");
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(nullptr)), "");
}

}  // namespace
