// The shortcut steps and the program-files step with the walk up to the existing path.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/files/shortcuts.h"
#include "engine/removal_report.h"
#include "engine/uninstaller.h"
#include "support/product_machine.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace {

sim::FileSystem& Fs() { return sim::machine().files; }
std::u16string Folder(int csidl) { return sim::machine().shell.folders.at(csidl); }

class Shortcuts : public testing::Test {
protected:
    testing_support::FakeHost host;
    engine::Uninstaller uninstaller{host};
};

TEST_F(Shortcuts, DesktopAndQuickLaunchShortcutsGoAndNothingElse) {
    const std::u16string quickLaunch = Folder(win::CSIDL_APPDATA) + u"\\Microsoft\\Internet Explorer\\Quick Launch";
    Fs().AddFile(quickLaunch + u"\\Orvik Pendrel.lnk");
    Fs().AddFile(quickLaunch + u"\\Browser.lnk");
    Fs().AddFile(Folder(win::CSIDL_COMMON_DESKTOPDIRECTORY) + u"\\Orvik Pendrel.lnk");
    Fs().AddFile(Folder(win::CSIDL_DESKTOPDIRECTORY) + u"\\Orvik Pendrel.lnk");
    Fs().AddFile(Folder(win::CSIDL_DESKTOPDIRECTORY) + u"\\Other.lnk");

    uninstaller.RemoveDesktopShortcuts();
    uninstaller.RemoveQuickLaunchShortcut();

    EXPECT_FALSE(Fs().Exists(quickLaunch + u"\\Orvik Pendrel.lnk"));
    EXPECT_TRUE(Fs().Exists(quickLaunch + u"\\Browser.lnk"));
    EXPECT_FALSE(Fs().Exists(Folder(win::CSIDL_COMMON_DESKTOPDIRECTORY) + u"\\Orvik Pendrel.lnk"));
    EXPECT_FALSE(Fs().Exists(Folder(win::CSIDL_DESKTOPDIRECTORY) + u"\\Orvik Pendrel.lnk"));
    EXPECT_TRUE(Fs().Exists(Folder(win::CSIDL_DESKTOPDIRECTORY) + u"\\Other.lnk"));
    EXPECT_EQ(sim::machine().shell.openIdLists, 0);
}

TEST_F(Shortcuts, UnresolvableOrRootFoldersFormNoPath) {
    Fs().AddFile(u"C:\\Orvik Pendrel.lnk");
    Fs().AddFile(u"C:\\Microsoft\\Internet Explorer\\Quick Launch\\Orvik Pendrel.lnk");
    Fs().AddFile(u"C:\\Orvik Pendrel\\a.lnk");
    auto& folders = sim::machine().shell.folders;
    folders.erase(win::CSIDL_COMMON_DESKTOPDIRECTORY);
    folders[win::CSIDL_DESKTOPDIRECTORY] = u"C:\\";
    folders[win::CSIDL_APPDATA] = u"";
    folders[win::CSIDL_PROGRAMS] = u"C:";
    folders.erase(win::CSIDL_COMMON_PROGRAMS);

    uninstaller.RemoveDesktopShortcuts();
    uninstaller.RemoveQuickLaunchShortcut();
    uninstaller.RemoveStartMenuFolder();

    EXPECT_TRUE(Fs().Exists(u"C:\\Orvik Pendrel.lnk"));
    EXPECT_TRUE(Fs().Exists(u"C:\\Microsoft\\Internet Explorer\\Quick Launch\\Orvik Pendrel.lnk"));
    EXPECT_TRUE(Fs().Exists(u"C:\\Orvik Pendrel\\a.lnk"));
    EXPECT_EQ(sim::machine().DeletionsTried("file").size(), 0u);
    EXPECT_EQ(sim::machine().DeletionsTried("directory").size(), 0u);
    EXPECT_EQ(sim::machine().shell.openIdLists, 0);
}

// The lines the removal report gives.
struct ReportLines : engine::RemovalListener {
    std::vector<std::string> lines;
    void Note(const std::u16string& line) override { lines.push_back(sim::Narrow(line)); }
};

// The shell resolves its folders from the user's own values, which any process of the user can
// point anywhere. A folder that is the system's, a program's or a drive root is not used for a
// deletion, and the log says which value was refused; a user's own folder anywhere else is used.
TEST_F(Shortcuts, ShellFoldersOfTheSystemOrOfProgramsAreRefusedAndTheUsersOwnAreUsed) {
    struct Case {
        const char16_t* folder;
        bool used;
    };
    const Case cases[] = {
        {u"C:\\Windows", false},
        {u"C:\\windows\\system32", false},
        {u"C:\\Windows\\Fonts", false},
        {u"C:\\Program Files", false},
        {u"C:\\Program Files\\Other Vendor\\menu", false},
        {u"C:\\PROGRA~1\\Other Vendor\\menu", false},
        {u"C:\\Users\\user\\Desktop\\..\\..\\..\\Windows", false},
        {u"C:\\", false},
        {u"C:\\Users\\user\\Desktop", true},
        {u"D:\\Desktop", true},
        {u"C:\\Users\\user\\Documents\\Redirected", true},
    };
    const std::pair<int, const char*> values[] = {{win::CSIDL_DESKTOPDIRECTORY, "Desktop"},
                                                  {win::CSIDL_COMMON_DESKTOPDIRECTORY, "Common Desktop"},
                                                  {win::CSIDL_APPDATA, "AppData"},
                                                  {win::CSIDL_PROGRAMS, "Programs"},
                                                  {win::CSIDL_COMMON_PROGRAMS, "Common Programs"}};
    ReportLines report;
    host.context = engine::RemovalContext(report);
    for (const Case& c : cases) {
        const std::u16string folder = c.folder;
        SCOPED_TRACE(sim::Narrow(folder));
        sim::Reset();
        Fs().AddDirectory(u"C:\\Program Files\\Other Vendor\\menu");
        ASSERT_NE(Fs().Find(u"C:\\Program Files"), nullptr);
        Fs().Find(u"C:\\Program Files")->shortName = u"PROGRA~1";
        const std::u16string base = folder.back() == u'\\' ? folder.substr(0, folder.size() - 1) : folder;
        const std::vector<std::u16string> shortcuts = {
            base + u"\\Orvik Pendrel.lnk", base + u"\\Microsoft\\Internet Explorer\\Quick Launch\\Orvik Pendrel.lnk",
            base + u"\\Orvik Pendrel\\Orvik Pendrel.lnk"};
        for (const std::u16string& shortcut : shortcuts) Fs().AddFile(shortcut);
        for (const auto& [csidl, name] : values) sim::machine().shell.folders[csidl] = folder;
        report.lines.clear();

        uninstaller.RemoveDesktopShortcuts();
        uninstaller.RemoveQuickLaunchShortcut();
        uninstaller.RemoveStartMenuFolder();

        for (const std::u16string& shortcut : shortcuts)
            EXPECT_EQ(Fs().Exists(shortcut), !c.used) << sim::Narrow(shortcut);
        for (const auto& [csidl, name] : values) {
            const std::string line = "refused: shell folder " + std::string(name) + " " + sim::Narrow(base);
            const bool logged = std::any_of(report.lines.begin(), report.lines.end(),
                                            [&](const std::string& l) { return l.rfind(line + " (", 0) == 0; });
            EXPECT_EQ(logged, !c.used) << line;
        }
        // What is in a refused folder is not the product's to count as left.
        EXPECT_EQ(engine::files::ShortcutsLeft(), std::vector<std::u16string>{});
        if (!c.used) {
            EXPECT_EQ(sim::machine().DeletionsTried("file").size(), 0u);
        }
    }
}

TEST_F(Shortcuts, StartMenuFolderGoesUnlessItHoldsSomethingElse) {
    const std::u16string mine = Folder(win::CSIDL_PROGRAMS) + u"\\Orvik Pendrel";
    const std::u16string common = Folder(win::CSIDL_COMMON_PROGRAMS) + u"\\Orvik Pendrel";
    Fs().AddFile(mine + u"\\Orvik Pendrel.lnk");
    Fs().AddFile(mine + u"\\Uninstall.lnk");
    Fs().AddFile(common + u"\\Orvik Pendrel.lnk");
    Fs().AddFile(common + u"\\Help.url");

    uninstaller.RemoveStartMenuFolder();

    EXPECT_FALSE(Fs().Exists(mine));
    EXPECT_FALSE(Fs().Exists(common + u"\\Orvik Pendrel.lnk"));
    EXPECT_TRUE(Fs().Exists(common + u"\\Help.url"));
    EXPECT_TRUE(Fs().IsDirectory(Folder(win::CSIDL_COMMON_PROGRAMS)));
}

class ProgramFiles : public Shortcuts {
protected:
    void Install(const std::u16string& installPath, const std::u16string& existPath) {
        host.PlaceProduct(installPath, existPath);
        Fs().AddDirectory(installPath);
    }
    std::vector<std::string> Removed() { return sim::machine().DeletionsTried("directory"); }
};

TEST_F(ProgramFiles, ProgramFilesAndEmptyPluginDirectoriesGo) {
    Install(u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\", u"C:\\Program Files\\");
    const std::u16string dir = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\";
    for (auto name : {u"Readme.txt", u"Uninstall.exe", u"config.xml", u"UnPDFReaderPlugin.exe", u"InOther.exe",
                      u"InComplete.exe"})
        Fs().AddFile(dir + name);
    Fs().AddDirectory(dir + u"plugins\\OnDemandCM");
    Fs().AddFile(u"C:\\Program Files\\Orvik Software\\Other Product\\x.exe");

    uninstaller.RemoveProgramFiles();

    EXPECT_FALSE(Fs().Exists(u"C:\\Program Files\\Orvik Software\\Orvik Pendrel"));
    EXPECT_TRUE(Fs().Exists(u"C:\\Program Files\\Orvik Software\\Other Product\\x.exe"));
    EXPECT_EQ(Removed(), (std::vector<std::string>{
                             "C:\\Program Files\\Orvik Software\\Orvik Pendrel\\plugins\\OnDemandCM",
                             "C:\\Program Files\\Orvik Software\\Orvik Pendrel\\Plugins",
                             "C:\\Program Files\\Orvik Software\\Orvik Pendrel",
                             "C:\\Program Files\\Orvik Software",
                         }));
    EXPECT_TRUE(Fs().IsDirectory(u"C:\\Program Files"));
    // The directories are named as recorded, and the records keep their spelling.
    const std::vector<std::string> files = sim::machine().DeletionsTried("file");
    ASSERT_FALSE(files.empty());
    for (const std::string& deleted : files)
        EXPECT_EQ(deleted.rfind("C:\\Program Files\\Orvik Software\\Orvik Pendrel\\", 0), 0u) << deleted;
}

// Installers and users mark files read-only, hidden or system; a program file goes whatever its
// attributes, while a file of the same name beside it that is not the product's keeps them.
TEST_F(ProgramFiles, ReadOnlyHiddenAndSystemProgramFilesGo) {
    const std::u16string dir = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\";
    const std::vector<win::DWORD> cases = {
        win::FILE_ATTRIBUTE_READONLY,
        win::FILE_ATTRIBUTE_HIDDEN,
        win::FILE_ATTRIBUTE_SYSTEM,
        win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_HIDDEN | win::FILE_ATTRIBUTE_SYSTEM,
        win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_ARCHIVE,
    };
    for (const win::DWORD attributes : cases) {
        SCOPED_TRACE(attributes);
        sim::Reset();
        Install(dir, u"C:\\Program Files\\");
        for (auto name : {u"Readme.txt", u"config.xml", u"InOther.exe"}) Fs().AddFile(dir + name).attributes = attributes;
        Fs().AddFile(dir + u"user.pdf").attributes = attributes;

        uninstaller.RemoveProgramFiles();

        for (auto name : {u"Readme.txt", u"config.xml", u"InOther.exe"}) EXPECT_FALSE(Fs().Exists(dir + name));
        ASSERT_NE(Fs().Find(dir + u"user.pdf"), nullptr);
        EXPECT_EQ(Fs().Find(dir + u"user.pdf")->attributes, attributes);
    }
}

// A program file held by a running program stays, and keeps the attributes it had.
TEST_F(ProgramFiles, ReadOnlyProgramFileThatStaysKeepsItsAttributes) {
    const std::u16string dir = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\";
    Install(dir, u"C:\\Program Files\\");
    const win::DWORD attributes = win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_HIDDEN;
    Fs().AddFile(dir + u"InComplete.exe").attributes = attributes;
    sim::machine().system.runningImages.push_back(dir + u"InComplete.exe");

    uninstaller.RemoveProgramFiles();

    ASSERT_TRUE(Fs().Exists(dir + u"InComplete.exe"));
    EXPECT_EQ(Fs().Find(dir + u"InComplete.exe")->attributes, attributes);
}

TEST_F(ProgramFiles, ExistingPathEqualExceptCaseMeansNoWalk) {
    Install(u"C:\\Apps\\Orvik Pendrel\\", u"c:\\apps\\ORVIK PENDREL\\");

    uninstaller.RemoveProgramFiles();

    EXPECT_TRUE(Fs().IsDirectory(u"C:\\Apps\\Orvik Pendrel"));
    // Only the plug-in directory is tried (the one below it is not there to be opened).
    EXPECT_EQ(Removed(), std::vector<std::string>{"C:\\Apps\\Orvik Pendrel\\Plugins"});
}

TEST_F(ProgramFiles, LoneBackslashTriesEveryParentButNeverTheDriveRoot) {
    Install(u"C:\\A\\B\\C\\", u"\\");
    Fs().AddFile(u"C:\\A\\keep.txt");
    Fs().currentDirectory = u"C:\\Users\\user\\Empty";
    Fs().AddDirectory(u"C:\\Users\\user\\Empty");

    uninstaller.RemoveProgramFiles();

    EXPECT_FALSE(Fs().Exists(u"C:\\A\\B"));
    EXPECT_TRUE(Fs().Exists(u"C:\\A\\keep.txt"));
    EXPECT_TRUE(Fs().IsDirectory(u"C:\\Users\\user\\Empty"));  // what a bare "c:" would name
    auto removed = Removed();
    ASSERT_EQ(removed.size(), 4u);  // Plugins, then every parent
    EXPECT_EQ(removed[1], "C:\\A\\B\\C");
    EXPECT_EQ(removed[2], "C:\\A\\B");
    EXPECT_EQ(removed[3], "C:\\A");
}

// The walk up asks about every directory on its way, and reads the system's and the user's
// folders once for all of them.
TEST_F(ProgramFiles, TheWalkUpReadsTheKnownFoldersOnce) {
    Install(u"C:\\A\\B\\C\\D\\", u"\\");
    sim::machine().registry.keyAccess.clear();

    uninstaller.RemoveProgramFiles();

    EXPECT_EQ(Removed().size(), 5u);  // Plugins, then the four parents
    const std::string userFolders = "RegOpenKeyExW HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const auto& accesses = sim::machine().registry.keyAccess;
    EXPECT_EQ(std::count(accesses.begin(), accesses.end(), userFolders), 1);
}

TEST_F(ProgramFiles, ShareRootEndsTheWalk) {
    host.PlaceProduct(u"\\\\server\\share\\Orvik\\", u"\\");

    uninstaller.RemoveProgramFiles();

    // The last directory opened to remove an entry of it is the share, for "orvik".
    auto opened = sim::machine().CallsTo("CreateFileW");
    ASSERT_FALSE(opened.empty());
    EXPECT_EQ(opened.back(), "\\\\server\\share [directory]");
}

TEST_F(ProgramFiles, NonEmptyParentStaysAndTheWalkGoesOn) {
    Install(u"C:\\Tools\\Orvik Software\\Orvik Pendrel\\", u"C:\\");
    Fs().AddFile(u"C:\\Tools\\Orvik Software\\Orvik Pendrel\\user.pdf");

    uninstaller.RemoveProgramFiles();

    EXPECT_TRUE(Fs().Exists(u"C:\\Tools\\Orvik Software\\Orvik Pendrel\\user.pdf"));
    EXPECT_EQ(Removed().back(), "C:\\Tools");
}

// An installer that recorded no existing path leaves the walk to go up to the root: an empty
// "Program Files" or profile folder on the way is the system's, and stays.
TEST_F(ProgramFiles, SystemAndUserFoldersEndTheWalk) {
    for (const char16_t* install : {u"C:\\Program Files\\Orvik Pendrel\\", u"C:\\Users\\user\\Orvik Pendrel\\"}) {
        sim::Reset();
        Install(install, u"\\");
        ASSERT_NE(Fs().Find(u"C:\\Users\\user"), nullptr);
        Fs().Find(u"C:\\Users\\user")->children.clear();  // an empty profile but for the product

        Fs().AddDirectory(install);
        uninstaller.RemoveProgramFiles();

        EXPECT_FALSE(Fs().Exists(install)) << sim::Narrow(install);
        EXPECT_TRUE(Fs().IsDirectory(u"C:\\Program Files"));
        EXPECT_TRUE(Fs().IsDirectory(u"C:\\Users\\user"));
        EXPECT_TRUE(Fs().IsDirectory(u"C:\\Users"));
    }
}

TEST_F(ProgramFiles, NoInstallPathTouchesNothing) {
    Fs().AddFile(u"C:\\Readme.txt");
    Fs().AddFile(u"C:\\Uninstall.exe");
    sim::machine().calls.clear();  // the record read when the removal was made

    uninstaller.RemoveProgramFiles();

    EXPECT_TRUE(Fs().Exists(u"C:\\Readme.txt"));
    EXPECT_TRUE(sim::machine().calls.empty());
}

}  // namespace
