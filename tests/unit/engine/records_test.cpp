// The product records, the in-use check and the registry reader they rest on.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/install_record.h"
#include "engine/files/known_folders.h"
#include "engine/files/path.h"
#include "engine/registry/read_registry_string.h"
#include "engine/uninstaller.h"
#include "support/product_machine.h"

using namespace testing_support;

namespace {

const char16_t kKey[] = u"Software\\Test";

// Every deletion tried, of files, directories and entries of either kind.
std::vector<std::string> DeletionsTried() {
    std::vector<std::string> paths;
    for (const char* kind : {"file", "directory", "either"}) {
        const std::vector<std::string> tried = sim::machine().DeletionsTried(kind);
        paths.insert(paths.end(), tried.begin(), tried.end());
    }
    return paths;
}

TEST(ReadRegistryString, ReadsStringsAndFallsBackToTheDefaultForEverythingElse) {
    auto& reg = sim::machine().registry;
    reg.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"text", u"value");
    reg.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"expand", u"%TEMP%\\x", win::REG_EXPAND_SZ);
    reg.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"empty", u"");
    reg.SetDword(win::HKEY_LOCAL_MACHINE, kKey, u"number", 42);

    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"text", u"d"), u"value");
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"expand", u"d"), u"%TEMP%\\x");
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"empty", u"d"), u"d");
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"number", u"d"), u"d");
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"missing", u"d"), u"d");
    EXPECT_EQ(sim::machine().registry.OpenHandleCount(), 0u);
}

TEST(ReadRegistryString, NeverCreatesAKey) {
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_CURRENT_USER, u"Software\\New\\Key", u"v", u"d"), u"d");
    EXPECT_FALSE(sim::machine().registry.Exists(win::HKEY_CURRENT_USER, u"Software\\New"));
    EXPECT_TRUE(sim::machine().CallsTo("RegCreateKeyExW").empty());
    // A key that cannot be written is read all the same.
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"text", u"value");
    ASSERT_NE(sim::machine().registry.Find(win::HKEY_LOCAL_MACHINE, kKey), nullptr);
    sim::machine().registry.Find(win::HKEY_LOCAL_MACHINE, kKey)->denyWrite = true;
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"text"), u"value");
}

TEST(ReadRegistryString, TreatsTooLongAndUnterminatedValuesSafely) {
    auto& reg = sim::machine().registry;
    reg.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"long", std::u16string(260, u'a'));
    reg.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"fits", std::u16string(259, u'a'));
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"long", u"d"), u"d");
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"fits", u"d"), std::u16string(259, u'a'));

    // Data without terminator, of odd length, and with text after an embedded terminator.
    auto* key = reg.Find(win::HKEY_LOCAL_MACHINE, kKey);
    key->values.push_back({u"raw", win::REG_SZ, {'a', 0, 'b', 0, 'c'}});
    key->values.push_back({u"embedded", win::REG_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0}});
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"raw", u"d"), u"ab");
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"embedded", u"d"), u"a");
}

TEST(ReadRegistryString, HonoursASmallerBufferOffered) {
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"v", std::u16string(63, u'x'));
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"w", std::u16string(64, u'x'));
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"v", u"", 128), std::u16string(63, u'x'));
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"w", u"", 128), u"");
}

// The removal works in the directory the records name: the in-use check deletes the product's
// executable there, the program files go from there, and the directories created for it go up
// to the one that existed before (which stays, even empty).
TEST(InstallRecords, AppendOneBackslashWhereTheStoredPathLacksIt) {
    FakeHost host;
    InstallProduct(u"C:\\Programs\\Orvik Pendrel", u"C:\\Programs");
    auto& files = sim::machine().files;
    files.AddFile(u"C:\\Programs\\Orvik Pendrel\\Orvik Pendrel.exe", "MZ");
    files.AddFile(u"C:\\Programs\\Orvik Pendrel\\Readme.txt");
    engine::Uninstaller uninstaller(host);
    ASSERT_TRUE(uninstaller.PrepareUninstall());
    EXPECT_EQ(sim::machine().DeletionsTried("file"), std::vector<std::string>{"C:\\Programs\\Orvik Pendrel\\Orvik Pendrel.exe"});

    // Read once: a record changed while the run goes on does not move it elsewhere.
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, kProductKey, u"InstallPath", kInstallDir);
    uninstaller.LoadProductRecords();
    uninstaller.RemoveProgramFiles();
    EXPECT_FALSE(files.Exists(u"C:\\Programs\\Orvik Pendrel"));
    EXPECT_TRUE(files.IsDirectory(u"C:\\Programs")) << "the directory that existed before";
    EXPECT_TRUE(files.Exists(kProductExe)) << "the place the record names now";
}

// Without the record of the directory that existed before, every directory above the install
// directory may have been created for it: they go, when empty, up to a folder of the system's.
TEST(InstallRecords, MissingExistPathBecomesALoneBackslash) {
    FakeHost host;
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, kProductKey, u"InstallPath", kInstallDir);
    EXPECT_EQ(engine::ReadExistPath(), u"\\");
    sim::machine().files.AddFile(u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\Readme.txt");
    engine::Uninstaller uninstaller(host);
    uninstaller.LoadProductRecords();
    uninstaller.RemoveProgramFiles();
    EXPECT_FALSE(sim::machine().files.Exists(u"C:\\Program Files\\Orvik Software"));
    EXPECT_TRUE(sim::machine().files.IsDirectory(u"C:\\Program Files"));
}

// Records in the spellings Windows opens name the directory the product was installed to: the
// product's executable there is the one the in-use check deletes.
TEST(InstallRecords, AreUsedInTheFormWindowsOpens) {
    const std::u16string expected = kInstallDir;
    for (std::u16string stored : {u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\\\",
                                  u"C:/Program Files/Orvik Software/Orvik Pendrel/",
                                  u"C:\\Program Files\\\\Orvik Software\\Orvik Pendrel",
                                  u"C:\\Program Files\\Orvik Software\\.\\Orvik Pendrel\\",
                                  u"C:\\Program Files\\Other\\..\\Orvik Software\\Orvik Pendrel",
                                  u"C:\\Program Files\\Orvik Software\\Orvik Pendrel.",
                                  u"C:\\Program Files\\Orvik Software. \\Orvik Pendrel \\",
                                  u"\\\\?\\C:\\Program Files\\Orvik Software\\Orvik Pendrel\\"}) {
        sim::Reset();
        FakeHost host;
        InstallProduct(stored);
        engine::Uninstaller uninstaller(host);
        EXPECT_TRUE(uninstaller.PrepareUninstall()) << sim::Narrow(stored);
        EXPECT_EQ(sim::machine().DeletionsTried("file"), std::vector<std::string>{sim::Narrow(expected + u"Orvik Pendrel.exe")})
            << sim::Narrow(stored);
        EXPECT_FALSE(sim::machine().files.Exists(kProductExe)) << sim::Narrow(stored);
    }
}

TEST(InstallRecords, ExistPathIsNormalisedLikeTheInstallPath) {
    FakeHost host;
    InstallProduct(u"C:/Program Files/Orvik Software/Orvik Pendrel//", u"C:/Program Files//");
    EXPECT_EQ(engine::ReadExistPath(), u"C:\\Program Files\\");
    // The walk up the created directories stops there, where no folder of the system's would.
    sim::Reset();
    InstallProduct(u"C:/Programs/Orvik Software/Orvik Pendrel//", u"C:/Programs//");
    sim::machine().files.AddDirectory(u"C:\\Programs\\Orvik Software\\Orvik Pendrel");
    engine::Uninstaller uninstaller(host);
    uninstaller.LoadProductRecords();
    uninstaller.RemoveProgramFiles();
    EXPECT_FALSE(sim::machine().files.Exists(u"C:\\Programs\\Orvik Software"));
    EXPECT_TRUE(sim::machine().files.IsDirectory(u"C:\\Programs"));
}

// The installer may have written the record through a link: the removal works at the place the
// link leads to, which is judged like any record; one that leads to a system folder is unusable.
TEST(InstallRecords, RecordThroughALinkIsTakenWhereTheLinkLeads) {
    FakeHost host;
    InstallProduct(kInstallDir, u"C:\\Linked\\");
    sim::machine().files.AddJunction(u"C:\\Linked", u"C:\\Program Files\\Orvik Software");
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, kProductKey, u"InstallPath", u"C:\\Linked\\Orvik Pendrel\\");
    EXPECT_EQ(engine::ReadInstallLocation().recorded, u"C:\\Linked\\Orvik Pendrel\\");
    engine::Uninstaller uninstaller(host);
    ASSERT_TRUE(uninstaller.PrepareUninstall());
    uninstaller.RemoveProgramFiles();
    // Everything went where the link leads, named as that place, up to the directory that
    // existed before, found there too.
    const std::vector<std::string> deletions = DeletionsTried();
    ASSERT_FALSE(deletions.empty());
    for (const std::string& deleted : deletions)
        EXPECT_EQ(deleted.rfind(sim::Narrow(kInstallDir.substr(0, kInstallDir.size() - 1)), 0), 0u) << deleted;
    EXPECT_FALSE(sim::machine().files.Exists(kInstallDir));
    EXPECT_TRUE(sim::machine().files.IsDirectory(u"C:\\Program Files\\Orvik Software"));

    sim::machine().files.AddJunction(u"C:\\Elsewhere", u"C:\\windows");
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, kProductKey, u"InstallPath", u"C:\\Elsewhere\\");
    EXPECT_EQ(engine::ReadInstallRecord().state, engine::InstallRecordState::Unusable);
}

// A record that is there but names no directory of the product's: nothing is touched, the
// installer hears of a failed preparation, a user is told.
const std::u16string kUnusableRecords[] = {
    u"\\", u"C:", u"C:\\", u"C:\\\\", u"C:/", u"\\\\?\\C:\\", u"C:\\*", u"C:\\Program Files\\Orvik?",
    u"C:\\Windows\\", u"c:\\windows\\system32", u"C:\\Program Files\\", u"C:\\Users\\", u"C:\\Users\\user\\Desktop",
    u"C:\\Users\\user\\AppData\\Local\\Temp\\", u".", u"..\\..\\", u"Orvik Pendrel", u"\\Orvik Pendrel", u"C:Orvik",
    u"C:\\Program Files\\..", u"C:\\Program Files\\..\\..\\Orvik", u"\\\\server\\share", u"\\\\server\\share\\",
    u"\\\\.\\C:\\Orvik", u"C:\\Orvik\\file.txt:stream", u"C:\\...\\Orvik", u"   ",
    u"C:\\" + std::u16string(256, u'a'), u"C:\\" + std::u16string(257, u'a'), u"C:\\" + std::u16string(297, u'a'),
};

TEST(InstallRecords, UnusableRecordFailsThePreparationAndTouchesNothing) {
    for (const std::u16string& stored : kUnusableRecords) {
        for (bool silent : {true, false}) {
            sim::Reset();
            FakeHost host;
            host.silent = silent;
            InstallProduct(stored);
            sim::machine().files.AddFile(u"C:\\Orvik Pendrel.exe");
            const auto before = sim::machine().files.AllPaths();
            engine::Uninstaller uninstaller(host);
            EXPECT_FALSE(uninstaller.PrepareUninstall()) << sim::Narrow(stored);
            uninstaller.RemoveProgramFiles();  // works in no directory
            EXPECT_EQ(sim::machine().files.AllPaths(), before) << sim::Narrow(stored);
            EXPECT_EQ(sim::machine().DeletionsTried("file").size(), 0u) << sim::Narrow(stored);
            EXPECT_EQ(sim::machine().CountCalls("SetFileAttributesW"), 0u) << sim::Narrow(stored);
            // The box tells why in either mode, as the in-use box does.
            const auto& boxes = sim::machine().windows.boxes;
            ASSERT_EQ(boxes.size(), 1u) << sim::Narrow(stored);
            EXPECT_EQ(boxes[0].text, u"The install location recorded for Orvik Pendrel cannot be used, so nothing has been removed.");
            EXPECT_EQ(boxes[0].caption, u"Orvik Pendrel Uninstall Wizard");
            EXPECT_EQ(boxes[0].type, win::MB_OK | win::MB_ICONWARNING);
        }
    }
}

// Without a record the directory is unknown, and the steps that do not need it still run.
TEST(InstallRecords, MissingOrEmptyRecordLeavesTheDirectoryUnknown) {
    for (bool present : {true, false}) {
        sim::Reset();
        FakeHost host;
        if (present) InstallProduct(u"");
        sim::machine().files.AddFile(u"C:\\Orvik Pendrel.exe");
        engine::Uninstaller uninstaller(host);
        EXPECT_TRUE(uninstaller.PrepareUninstall());
        // Missing: the program files cannot be looked for while the product's records are there.
        EXPECT_EQ(uninstaller.Outcome().programFilesUnknown, present);
        uninstaller.RemoveProgramFiles();  // works in no directory
        EXPECT_EQ(DeletionsTried().size(), 0u);
        EXPECT_TRUE(sim::machine().files.Exists(u"C:\\Orvik Pendrel.exe"));
        EXPECT_TRUE(sim::machine().windows.boxes.empty());
    }
    // A value that is not text counts as missing.
    sim::Reset();
    FakeHost host;
    sim::machine().registry.SetDword(win::HKEY_LOCAL_MACHINE, kProductKey, u"InstallPath", 1);
    engine::Uninstaller uninstaller(host);
    EXPECT_TRUE(uninstaller.PrepareUninstall());
    EXPECT_TRUE(uninstaller.Outcome().programFilesUnknown);
}

// Without a record of the directory while the product's records are there, its program files
// cannot be looked for: the run may not say that nothing is left. Without any record of the
// product there is nothing to say so of.
TEST(InstallRecords, WithoutADirectoryTheRunCannotSayTheProgramFilesAreGone) {
    const std::u16string item = u"program files (no install record names their directory)";
    struct Case {
        const char* name;
        bool productKey;
        const char16_t* record;
        bool unknown;
    };
    const Case cases[] = {
        {"empty record", true, u"", true},
        {"record not text", true, nullptr, true},
        {"no record at all", false, nullptr, false},
        {"usable record", true, kInstallDir.c_str(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        if (c.productKey) InstallProduct(c.record ? c.record : u"");
        if (c.productKey && !c.record)
            sim::machine().registry.SetDword(win::HKEY_LOCAL_MACHINE, kProductKey, u"InstallPath", 1);
        FakeHost host;
        engine::Uninstaller uninstaller(host);
        ASSERT_TRUE(uninstaller.PrepareUninstall());
        uninstaller.RunUninstall();
        const std::vector<std::u16string> left = uninstaller.Outcome().left;
        EXPECT_EQ(std::count(left.begin(), left.end(), item), c.unknown ? 1 : 0);
        // Only what could not be looked for: the rest of the product went.
        if (c.unknown) {
            EXPECT_EQ(left.size(), 1u);
        }
    }
}

// The product's executable must be nameable inside the directory, or the in-use check cannot be
// made: such a directory is unusable however it is spelt. 242 characters with the backslash
// leave exactly room for "Orvik Pendrel.exe" in a path buffer.
TEST(InstallRecords, LongestUsableDirectoryLeavesRoomForTheExecutable) {
    const std::u16string fits = u"C:\\" + std::u16string(238, u'a') + u"\\";
    ASSERT_EQ(fits.size(), 242u);
    EXPECT_EQ(engine::JudgeInstallRecord(fits).state, engine::InstallRecordState::Usable);
    EXPECT_EQ(engine::JudgeInstallRecord(u"C:\\" + std::u16string(239, u'a')).state, engine::InstallRecordState::Unusable);
    // Spelt longer than a path buffer, a record is unusable even when it would normalise short.
    EXPECT_EQ(engine::JudgeInstallRecord(u"C:\\Orvik" + std::u16string(260, u'\\')).state,
              engine::InstallRecordState::Unusable);
    // A value far beyond any buffer is read as unusable, not as missing.
    FakeHost host;
    InstallProduct(u"C:\\" + std::u16string(40000, u'a'));
    engine::Uninstaller uninstaller(host);
    EXPECT_FALSE(uninstaller.PrepareUninstall());
    // Unusable, not missing: the box says so.
    ASSERT_EQ(sim::machine().windows.boxes.size(), 1u);
    EXPECT_EQ(sim::machine().windows.boxes[0].text,
              u"The install location recorded for Orvik Pendrel cannot be used, so nothing has been removed.");
}

// A record whose text does not fit the room the reader offers is unusable, not missing, whether
// or not its data ends in a terminator.
TEST(InstallRecords, ARecordTooLongToReadIsUnusableWithOrWithoutItsTerminator) {
    struct Case {
        std::size_t characters;
        bool terminated;
    };
    const Case cases[] = {{32767, true}, {32768, false}, {32768, true}, {40000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.characters) + (c.terminated ? " terminated" : " unterminated"));
        sim::Reset();
        InstallProduct(kInstallDir);
        sim::RegValue* value = sim::machine().registry.Find(win::HKEY_LOCAL_MACHINE, kProductKey)->Value(u"InstallPath");
        ASSERT_NE(value, nullptr);
        const std::u16string text = u"C:\\" + std::u16string(c.characters - 3, u'a');
        value->data.assign(reinterpret_cast<const win::BYTE*>(text.data()),
                           reinterpret_cast<const win::BYTE*>(text.data() + text.size()));
        if (c.terminated) value->data.insert(value->data.end(), {0, 0});
        EXPECT_EQ(engine::ReadInstallRecord().state, engine::InstallRecordState::Unusable);
    }
}

// A record that is there but cannot be read (the key refused, the registry failing) is no
// missing record: the removal would otherwise delete the records and orphan the files.
TEST(InstallRecords, ARecordThatCannotBeReadIsUnusableNotMissing) {
    struct Case {
        const char* failing;
        engine::InstallRecordState expected;
    };
    const Case cases[] = {
        {"RegOpenKeyExW", engine::InstallRecordState::Unusable},
        {"RegQueryValueExW", engine::InstallRecordState::Missing},  // the simulated value gone meanwhile
        {nullptr, engine::InstallRecordState::Usable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing ? c.failing : "none");
        sim::Reset();
        InstallProduct(kInstallDir);
        if (c.failing) sim::machine().faults.failFunction = c.failing;
        EXPECT_EQ(engine::ReadInstallRecord().state, c.expected);
    }
}

TEST(InstallRecords, UsableInstallPaths) {
    EXPECT_TRUE(engine::files::IsSafeInstallDirectory(u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\"));
    EXPECT_TRUE(engine::files::IsSafeInstallDirectory(u"d:\\Orvik"));
    EXPECT_TRUE(engine::files::IsSafeInstallDirectory(u"\\\\server\\share\\Orvik Pendrel\\"));
    EXPECT_TRUE(engine::files::IsSafeInstallDirectory(u"C:\\Programme\\Orvik Pendrel 8.0\\"));
    for (const char16_t* stored : {u"d:\\Orvik", u"\\\\server\\share\\Orvik Pendrel\\", u"C:\\Programme\\Orvik Pendrel 8.0",
                                   u"C:\\Users\\user\\AppData\\Local\\Orvik Pendrel"}) {
        const engine::InstallRecord record = engine::JudgeInstallRecord(stored);
        EXPECT_EQ(record.state, engine::InstallRecordState::Usable) << sim::Narrow(stored);
        EXPECT_EQ(record.directory, engine::files::WithTrailingBackslash(stored)) << sim::Narrow(stored);
    }
}

TEST(InstallRecords, SystemAndShellFoldersAreNoProductDirectory) {
    EXPECT_TRUE(engine::files::IsSystemOrShellFolder(u"C:\\windows"));
    EXPECT_TRUE(engine::files::IsSystemOrShellFolder(u"C:\\WINDOWS\\System32"));
    EXPECT_TRUE(engine::files::IsSystemOrShellFolder(u"C:\\Users"));  // the parent of the profile
    EXPECT_TRUE(engine::files::IsSystemOrShellFolder(u"C:\\ProgramData\\Microsoft"));
    EXPECT_TRUE(engine::files::IsSystemOrShellFolder(u"C:\\Users\\user\\AppData\\Roaming"));
    EXPECT_FALSE(engine::files::IsSystemOrShellFolder(u"C:\\Program Files\\Orvik Software"));
    EXPECT_FALSE(engine::files::IsSystemOrShellFolder(u"C:\\Users\\user\\AppData\\Local\\Orvik Pendrel"));
    EXPECT_FALSE(engine::files::IsSystemOrShellFolder(u"C:\\windows2"));
    // The short form of a folder is the folder.
    ASSERT_NE(sim::machine().files.Find(u"C:\\Program Files"), nullptr);
    sim::machine().files.Find(u"C:\\Program Files")->shortName = u"PROGRA~1";
    EXPECT_TRUE(engine::files::IsSystemOrShellFolder(u"C:\\PROGRA~1"));
    EXPECT_EQ(engine::JudgeInstallRecord(u"C:\\progra~1\\").state, engine::InstallRecordState::Unusable);
}

// The user's "Shell Folders" values are the user's to write: a value no path buffer holds (its name
// or its text too long) is passed over, and the folders recorded after it still count.
TEST(InstallRecords, AShellFolderValueTooLongToReadHidesNoFolderAfterIt) {
    const std::u16string shellFolders = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    for (const std::u16string& name : {std::u16string(300, u'n'), std::u16string(u"Long Text")}) {
        SCOPED_TRACE(sim::Narrow(name.substr(0, 10)));
        sim::Reset();
        auto& registry = sim::machine().registry;
        registry.SetString(win::HKEY_CURRENT_USER, shellFolders, name,
                           name.size() > 255 ? u"C:\\Data\\Named" : u"C:\\" + std::u16string(300, u'x'));
        registry.SetString(win::HKEY_CURRENT_USER, shellFolders, u"My Data", u"C:\\Data\\Mine");
        EXPECT_TRUE(engine::files::IsSystemOrShellFolder(u"C:\\Data\\Mine"));
        EXPECT_EQ(engine::JudgeInstallRecord(u"C:\\Data\\Mine\\").state, engine::InstallRecordState::Unusable);
    }
}

// The machine's program-files records are read as "Shell Folders" is: a folder's text up to 258
// characters, with or without its terminator; a longer one counts as no folder.
TEST(InstallRecords, AProgramFilesRecordIsReadUpToTheRoomOfAPath) {
    struct Case {
        std::size_t characters;
        bool terminated;
        bool read;
    };
    const Case cases[] = {{258, true, true}, {258, false, true}, {259, true, false}, {259, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.characters) + (c.terminated ? " terminated" : " unterminated"));
        sim::Reset();
        const std::u16string folder = u"C:\\Progs\\" + std::u16string(c.characters - 9, u'p');
        auto& registry = sim::machine().registry;
        registry.SetString(win::HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows\\CurrentVersion",
                           u"CommonFilesDir (x86)", folder);
        sim::RegValue* value = registry.Find(win::HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows\\CurrentVersion")
                                   ->Value(u"CommonFilesDir (x86)");
        ASSERT_NE(value, nullptr);
        if (!c.terminated) value->data.resize(value->data.size() - 2);
        EXPECT_EQ(engine::files::IsSystemOrShellFolder(u"C:\\Progs"), c.read);
    }
}

TEST(NormaliseFullPath, CatalogueOfSpellings) {
    struct Case {
        std::u16string in;
        std::u16string out;  // empty: refused
    };
    const Case cases[] = {
        {u"C:\\Orvik", u"C:\\Orvik"},
        {u"C:\\Orvik\\", u"C:\\Orvik"},
        {u"c:/a//b\\\\c/", u"c:\\a\\b\\c"},
        {u"C:\\a\\.\\b\\..\\c", u"C:\\a\\c"},
        {u"C:\\a\\b\\..\\..", u"C:\\"},
        {u"C:\\a..\\b. .", u"C:\\a\\b"},
        {u"C:\\", u"C:\\"},
        {u"C:\\\\", u"C:\\"},
        {u"\\\\?\\C:\\a", u"C:\\a"},
        {u"\\\\?\\unc\\srv\\share\\a", u"\\\\srv\\share\\a"},
        {u"\\\\srv\\share", u"\\\\srv\\share"},
        {u"//srv//share//a/", u"\\\\srv\\share\\a"},
        {u"C:\\..", u""},
        {u"C:\\a\\..\\..\\b", u""},
        {u"\\\\srv\\share\\..", u""},
        {u"\\\\srv", u""},
        {u"\\\\.\\C:\\a", u""},
        {u"\\\\?\\", u""},
        {u"C:a", u""},
        {u"\\a", u""},
        {u"a\\b", u""},
        {u"", u""},
        {u"C:\\a*", u""},
        {u"C:\\a\\b?", u""},
        {u"C:\\a:b", u""},
        {u"C:\\a\\...", u""},
        {u"C:\\a\\ \\b", u""},
        {u"C:\\a<b", u""},
        {std::u16string(u"C:\\a\x01"), u""},
    };
    for (const Case& c : cases) {
        std::u16string normalised = u"untouched";
        EXPECT_EQ(engine::files::NormaliseFullPath(c.in, normalised), !c.out.empty()) << sim::Narrow(c.in);
        EXPECT_EQ(normalised, c.out.empty() ? u"untouched" : c.out) << sim::Narrow(c.in);
    }
}

TEST(InUseCheck, DeletesTheProductExecutableEvenWhenReadOnly) {
    FakeHost host;
    InstallProduct();
    ASSERT_NE(sim::machine().files.Find(kProductExe), nullptr);
    sim::machine().files.Find(kProductExe)->attributes = win::FILE_ATTRIBUTE_READONLY;
    engine::Uninstaller uninstaller(host);
    EXPECT_TRUE(uninstaller.PrepareUninstall());
    EXPECT_FALSE(sim::machine().files.Exists(kProductExe));
    EXPECT_TRUE(sim::machine().windows.boxes.empty());
}

TEST(InUseCheck, AnAbsentExecutableIsNotInUse) {
    FakeHost host;
    InstallProduct();
    ASSERT_NE(sim::machine().files.Find(kProductExe), nullptr);
    sim::machine().files.Find(kProductExe)->parent->children.clear();
    engine::Uninstaller uninstaller(host);
    EXPECT_TRUE(uninstaller.PrepareUninstall());
    EXPECT_TRUE(sim::machine().windows.boxes.empty());
}

TEST(InUseCheck, AnExecutableInUseStopsWithMessage6WithoutOwner) {
    FakeHost host;
    InstallProduct();
    ASSERT_NE(sim::machine().files.Find(kProductExe), nullptr);
    sim::machine().files.Find(kProductExe)->inUse = true;
    engine::Uninstaller uninstaller(host);
    EXPECT_FALSE(uninstaller.PrepareUninstall());
    ASSERT_EQ(sim::machine().windows.boxes.size(), 1u);
    const auto& box = sim::machine().windows.boxes[0];
    EXPECT_EQ(box.text, u"Orvik Pendrel is being used, please exit and retry.");
    EXPECT_EQ(box.caption, u"Orvik Pendrel Uninstall Wizard");
    EXPECT_EQ(box.type, win::MB_OK | win::MB_ICONWARNING);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(sim::machine().files.Exists(kProductExe));
}

}  // namespace
