// Recursive removal by pattern and of whole trees, against the simulated file system.
#include <gtest/gtest.h>

#include "engine/files/directory_handle.h"
#include "engine/files/directory_tree.h"
#include "engine/removal_report.h"
#include "platform/files.h"
#include "platform/sim/machine.h"

namespace {

// The removal of a tree as a step makes it, its lines heard by nobody.
void RemoveDirectoryTree(const std::u16string& pattern) {
    engine::RemovalContext context;
    engine::files::RemoveDirectoryTree(context, pattern);
}

constexpr char16_t kBase[] = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel";

std::u16string At(const std::u16string& relative) { return kBase + relative; }
sim::FileSystem& Fs() { return sim::machine().files; }

TEST(DirectoryTree, PatternDeletesMatchingFilesOnlyAndKeepsTheDirectory) {
    Fs().AddFile(At(u"\\Stamps\\Standard Stamps\\Approved.pdf"));
    Fs().AddFile(At(u"\\Stamps\\Standard Stamps\\DRAFT.PDF"));
    Fs().AddFile(At(u"\\Stamps\\Standard Stamps\\mine.png"));
    Fs().AddFile(At(u"\\Stamps\\Standard Stamps\\notes.pdf.txt"));
    Fs().AddFile(At(u"\\Stamps\\Sign Here\\Sign.pdf"));

    RemoveDirectoryTree(At(u"\\Stamps\\Standard Stamps\\*.pdf"));

    EXPECT_FALSE(Fs().Exists(At(u"\\Stamps\\Standard Stamps\\Approved.pdf")));
    EXPECT_FALSE(Fs().Exists(At(u"\\Stamps\\Standard Stamps\\DRAFT.PDF")));
    EXPECT_TRUE(Fs().Exists(At(u"\\Stamps\\Standard Stamps\\mine.png")));
    EXPECT_TRUE(Fs().Exists(At(u"\\Stamps\\Standard Stamps\\notes.pdf.txt")));
    EXPECT_TRUE(Fs().IsDirectory(At(u"\\Stamps\\Standard Stamps")));
    EXPECT_TRUE(Fs().Exists(At(u"\\Stamps\\Sign Here\\Sign.pdf")));
}

// A pattern that names files says nothing of a directory that fits it: "setup.lnk" may be a
// folder of the user's in the product's Start-menu folder, and its tree is not the shortcuts'.
TEST(DirectoryTree, DirectoryThatAFilePatternFitsIsNeitherEnteredNorRemoved) {
    Fs().AddFile(At(u"\\lang\\old.xml\\en.txt"));
    Fs().AddFile(At(u"\\lang\\old.xml\\deeper\\fr.bin"));
    Fs().AddFile(At(u"\\lang\\keep\\de.xml"));
    Fs().AddFile(At(u"\\lang\\en.xml"));

    RemoveDirectoryTree(At(u"\\lang\\*.xml"));

    EXPECT_FALSE(Fs().Exists(At(u"\\lang\\en.xml")));
    EXPECT_TRUE(Fs().Exists(At(u"\\lang\\old.xml\\en.txt")));
    EXPECT_TRUE(Fs().Exists(At(u"\\lang\\old.xml\\deeper\\fr.bin")));
    EXPECT_TRUE(Fs().Exists(At(u"\\lang\\keep\\de.xml")));

    // "*.*" and "*" name everything, directories with their trees included.
    RemoveDirectoryTree(At(u"\\lang\\*.*"));
    EXPECT_FALSE(Fs().Exists(At(u"\\lang\\old.xml")));
    EXPECT_FALSE(Fs().Exists(At(u"\\lang\\keep")));
}

TEST(DirectoryTree, DirectoryPathWithOrWithoutTrailingBackslashRemovesTheDirectory) {
    for (const std::u16string suffix : {u"", u"\\"}) {
        Fs().AddFile(At(u"\\Tree\\a.txt"));
        Fs().AddFile(At(u"\\Tree\\sub\\b.txt"));
        RemoveDirectoryTree(At(u"\\Tree") + suffix);
        EXPECT_FALSE(Fs().Exists(At(u"\\Tree")));
        EXPECT_TRUE(Fs().IsDirectory(kBase));
    }
}

TEST(DirectoryTree, ReadOnlyFileThreeLevelsDownKeepsItsParentsOnly) {
    Fs().AddFile(At(u"\\Tree\\one\\two\\three\\locked.dat")).attributes |= win::FILE_ATTRIBUTE_READONLY;
    Fs().AddFile(At(u"\\Tree\\one\\two\\three\\sibling.dat"));
    Fs().AddFile(At(u"\\Tree\\one\\two\\other\\x.dat"));
    Fs().AddFile(At(u"\\Tree\\one\\y.dat"));
    Fs().AddFile(At(u"\\Tree\\elsewhere\\z.dat")).inUse = true;

    RemoveDirectoryTree(At(u"\\Tree\\*.*"));

    EXPECT_TRUE(Fs().Exists(At(u"\\Tree\\one\\two\\three\\locked.dat")));
    EXPECT_FALSE(Fs().Exists(At(u"\\Tree\\one\\two\\three\\sibling.dat")));
    EXPECT_FALSE(Fs().Exists(At(u"\\Tree\\one\\two\\other")));
    EXPECT_FALSE(Fs().Exists(At(u"\\Tree\\one\\y.dat")));
    EXPECT_TRUE(Fs().Exists(At(u"\\Tree\\elsewhere\\z.dat")));  // in use
    EXPECT_EQ(sim::machine().files.pendingDeletes.size(), 0u);
}

// A link in the tree is removed as itself and never listed. Were it listed, a file system that
// follows a link to list it would give what the link leads to, and those entries would be opened
// through it; before Vista no final path would tell them from the tree's own.
TEST(DirectoryTree, JunctionIsRemovedAsALinkAndItsTargetStaysIntact) {
    struct Case {
        const char* name;
        bool listingsFollowLinks;
        bool finalPathMissing;
    };
    const Case cases[] = {
        {"a link lists as itself", false, false},
        {"a link lists what it leads to", true, false},
        {"a link lists what it leads to, no final paths", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        Fs().listingsFollowLinks = c.listingsFollowLinks;
        sim::machine().system.finalPathMissing = c.finalPathMissing;
        Fs().AddFile(u"C:\\Users\\user\\Documents\\thesis.pdf");
        Fs().AddFile(u"C:\\Users\\user\\Documents\\sub\\data.xml");
        Fs().AddJunction(At(u"\\Stamps\\Standard Stamps\\linked.pdf"), u"C:\\Users\\user\\Documents");
        Fs().AddJunction(At(u"\\Tree\\docs"), u"C:\\Users\\user\\Documents");
        Fs().AddFile(At(u"\\Tree\\a.txt"));

        RemoveDirectoryTree(At(u"\\Stamps\\Standard Stamps\\*.*"));
        RemoveDirectoryTree(At(u"\\Tree"));

        EXPECT_FALSE(Fs().Exists(At(u"\\Stamps\\Standard Stamps\\linked.pdf")));
        EXPECT_FALSE(Fs().Exists(At(u"\\Tree")));
        EXPECT_TRUE(Fs().Exists(u"C:\\Users\\user\\Documents\\thesis.pdf"));
        EXPECT_TRUE(Fs().Exists(u"C:\\Users\\user\\Documents\\sub\\data.xml"));
    }
}

// The directory a pattern searches is the product's only where it lies: a link at its name, to
// the user's documents, leaves both the link and everything it leads to as they are.
TEST(DirectoryTree, SearchedDirectoryThatIsALinkIsNotWalked) {
    struct Case {
        const char* name;
        void (*plant)(const std::u16string& at, const std::u16string& target);
    };
    const Case cases[] = {
        {"a junction", [](const std::u16string& at, const std::u16string& to) { Fs().AddJunction(at, to); }},
        {"a Unix link", [](const std::u16string& at, const std::u16string& to) { Fs().AddUnixLink(at, to); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        Fs().AddFile(u"C:\\Users\\user\\Documents\\thesis.pdf");
        Fs().AddFile(u"C:\\Users\\user\\Documents\\sub\\data.xml");
        c.plant(At(u"\\lang"), u"C:\\Users\\user\\Documents");

        RemoveDirectoryTree(At(u"\\lang\\*.*"));

        EXPECT_TRUE(Fs().Exists(u"C:\\Users\\user\\Documents\\thesis.pdf"));
        EXPECT_TRUE(Fs().Exists(u"C:\\Users\\user\\Documents\\sub\\data.xml"));
        EXPECT_TRUE(Fs().Exists(At(u"\\lang")));
    }
}

TEST(DirectoryTree, RootsEmptyAndRelativePathsAreRefused) {
    Fs().AddFile(u"C:\\boot.ini");
    Fs().AddFile(u"C:\\Data\\x.pdf");
    Fs().currentDirectory = u"C:\\Data";
    for (const std::u16string path :
         {u"", u"\\", u"C:", u"C:\\", u"C:\\*.*", u"C:\\\\", u"\\*.*", u"*.*", u"x.pdf", u"C:*.pdf", u"C:\\Data\\..\\*.*",
          u"\\\\server\\share\\*.*"}) {
        RemoveDirectoryTree(path);
    }
    EXPECT_TRUE(Fs().Exists(u"C:\\boot.ini"));
    EXPECT_TRUE(Fs().Exists(u"C:\\Data\\x.pdf"));
    EXPECT_TRUE(sim::machine().calls.empty());
}

// Entries are opened relative to their directory's handle, so a full path beyond MAX_PATH is
// never formed, let alone cut short into another name: the deep tree goes with the rest.
TEST(DirectoryTree, EntriesBeyondThePathLimitGoThroughTheirDirectorysHandle) {
    const std::u16string deep = At(u"\\Tree\\") + std::u16string(200, u'd');
    Fs().AddFile(deep + u"\\" + std::u16string(60, u'f'));
    Fs().AddFile(At(u"\\Tree\\short.txt"));
    Fs().AddFile(At(u"\\Tree\\") + std::u16string(200, u'd').substr(0, 100));

    RemoveDirectoryTree(At(u"\\Tree\\*.*"));

    EXPECT_EQ(Fs().List(At(u"\\Tree")), std::vector<std::u16string>{});
}

TEST(DirectoryTree, NamesFoundOnlyThroughTheirShortAliasStay) {
    Fs().AddFile(At(u"\\Stamps\\Standard Stamps\\Notes.pdfx")).shortName = u"NOTES~1.PDF";
    Fs().AddFile(At(u"\\Stamps\\Standard Stamps\\Approved.pdf")).shortName = u"APPROVED.PDF";
    Fs().AddDirectory(At(u"\\Stamps\\Standard Stamps\\Archive.pdfs")).shortName = u"ARCHIV~1.PDF";
    Fs().AddFile(At(u"\\Stamps\\Standard Stamps\\Archive.pdfs\\old.pdf"));

    RemoveDirectoryTree(At(u"\\Stamps\\Standard Stamps\\*.pdf"));

    EXPECT_TRUE(Fs().Exists(At(u"\\Stamps\\Standard Stamps\\Notes.pdfx")));
    EXPECT_TRUE(Fs().Exists(At(u"\\Stamps\\Standard Stamps\\Archive.pdfs\\old.pdf")));
    EXPECT_FALSE(Fs().Exists(At(u"\\Stamps\\Standard Stamps\\Approved.pdf")));
}

TEST(DirectoryTree, DirectoryGivenByItsShortAliasIsRemoved) {
    Fs().AddDirectory(At(u"\\Long Directory Name")).shortName = u"LONGDI~1";
    Fs().AddFile(At(u"\\Long Directory Name\\a.txt"));

    RemoveDirectoryTree(At(u"\\LONGDI~1"));

    EXPECT_FALSE(Fs().Exists(At(u"\\Long Directory Name")));
}

}  // namespace

namespace {

// Wine presents a Unix link as a plain file or directory that every open follows: deleting it
// by name, or through a handle opened on it, would delete what it leads to. The walk tells it by
// its handle's final path and leaves it; all else of the tree goes.
TEST(DirectoryTree, UnixLinksInTheTreeAreLeftAndWhatTheyLeadToSurvives) {
    Fs().AddFile(u"C:\\windows\\system32\\victim.dll", "MZ");
    Fs().AddFile(u"C:\\Program Files\\Other Vendor\\Tool\\tool.exe", "MZ");
    Fs().AddDirectory(u"C:\\Program Files\\Other Vendor\\Empty");
    Fs().AddUnixLink(At(u"\\Tree\\Readme.txt"), u"C:\\windows\\system32\\victim.dll");
    Fs().AddUnixLink(At(u"\\Tree\\lex"), u"C:\\Program Files\\Other Vendor\\Tool");
    Fs().AddUnixLink(At(u"\\Tree\\sub\\empty"), u"C:\\Program Files\\Other Vendor\\Empty");
    Fs().AddFile(At(u"\\Tree\\sub\\mine.dat"));
    Fs().AddFile(At(u"\\Tree\\own.dat"));

    RemoveDirectoryTree(At(u"\\Tree"));

    ASSERT_NE(sim::machine().files.Find(u"C:\\windows\\system32\\victim.dll"), nullptr);
    EXPECT_EQ(sim::machine().files.Find(u"C:\\windows\\system32\\victim.dll")->content, "MZ");
    EXPECT_TRUE(Fs().Exists(u"C:\\Program Files\\Other Vendor\\Tool\\tool.exe"));
    EXPECT_TRUE(Fs().IsDirectory(u"C:\\Program Files\\Other Vendor\\Empty"));
    EXPECT_FALSE(Fs().Exists(At(u"\\Tree\\own.dat")));
    EXPECT_FALSE(Fs().Exists(At(u"\\Tree\\sub\\mine.dat")));
    EXPECT_TRUE(Fs().Exists(At(u"\\Tree\\sub\\empty")));  // the link itself, and so its directories
}

// A symbolic link to a file is opened as itself and deleted as itself.
TEST(DirectoryTree, SymbolicLinkToAFileIsDeletedAsALink) {
    Fs().AddFile(u"C:\\windows\\system32\\victim.dll", "MZ");
    Fs().AddFileLink(At(u"\\Tree\\Readme.txt"), u"C:\\windows\\system32\\victim.dll");

    RemoveDirectoryTree(At(u"\\Tree"));

    EXPECT_TRUE(Fs().Exists(u"C:\\windows\\system32\\victim.dll"));
    EXPECT_FALSE(Fs().Exists(At(u"\\Tree")));
}

// A junction above the directory walked (the user's own folders are the user's to replace)
// leads elsewhere: the handle's final path tells, and nothing there is touched. Before Vista no
// handle tells its final path, and the directories on the way are judged by their names.
TEST(DirectoryTree, JunctionAboveTheDirectoryIsNeverPassedWithOrWithoutFinalPaths) {
    for (const bool finalPathMissing : {false, true}) {
        sim::Reset();
        sim::machine().system.finalPathMissing = finalPathMissing;
        Fs().AddFile(u"C:\\windows\\Orvik Pendrel\\system.lnk");
        Fs().AddJunction(u"C:\\Users\\user\\Start Menu", u"C:\\windows");

        RemoveDirectoryTree(u"C:\\Users\\user\\Start Menu\\Orvik Pendrel\\*.lnk");
        engine::RemovalContext context;
        engine::files::RemoveProductDirectory(context, u"C:\\Users\\user\\Start Menu\\Orvik Pendrel\\system.lnk");
        engine::files::DeleteFileBelow(context, u"C:\\Users\\user", u"\\Start Menu\\Orvik Pendrel\\system.lnk");

        EXPECT_TRUE(Fs().Exists(u"C:\\windows\\Orvik Pendrel\\system.lnk")) << finalPathMissing;
        EXPECT_TRUE(sim::machine().DeletionsTried("file").empty()) << finalPathMissing;
    }
}

// The listing goes on through the directory's handle while entries are deleted: many entries,
// more than one listing call returns, all go.
TEST(DirectoryTree, EveryEntryOfALongListingGoesWhileItIsListed) {
    for (int i = 0; i < 300; ++i)
        Fs().AddFile(At(u"\\Tree\\a rather long name for the entry number " + std::u16string(1, u'A' + i % 26) +
                        std::u16string(1, u'a' + i / 26) + u".dat"));

    RemoveDirectoryTree(At(u"\\Tree\\*.*"));

    EXPECT_TRUE(Fs().List(At(u"\\Tree")).empty());
    EXPECT_GT(sim::machine().CountCalls("NtQueryDirectoryFile"), 3u);
}

}  // namespace

// A file made in a directory judged earlier is judged in turn: where the directory has been
// renamed since (its handle shared that), the file is not where it was asked for and goes again;
// a name already taken, a link included, is neither opened nor followed.
TEST(OpenEntryCreate, AFileIsMadeOnlyWhereItsDirectoryWasJudgedToBe) {
    sim::Reset();
    auto& files = sim::machine().files;
    files.AddDirectory(u"C:\\Users\\user\\Work");
    files.AddFile(u"C:\\windows\\system32\\victim.dll", "MZ");
    files.AddFileLink(u"C:\\Users\\user\\Work\\taken.log", u"C:\\windows\\system32\\victim.dll");

    engine::files::OpenEntry directory;
    ASSERT_TRUE(directory.OpenDirectory(u"C:\\Users\\user\\Work", engine::files::kListAccess));
    engine::files::OpenEntry file;
    EXPECT_TRUE(file.CreateChild(directory, u"new.log", win::GENERIC_WRITE, win::FILE_SHARE_READ));
    file.Close();
    EXPECT_TRUE(files.Exists(u"C:\\Users\\user\\Work\\new.log"));

    const engine::Outcome taken = file.CreateChild(directory, u"taken.log", win::GENERIC_WRITE, win::FILE_SHARE_READ);
    EXPECT_FALSE(taken);
    EXPECT_EQ(taken.error(), static_cast<win::DWORD>(win::ERROR_ALREADY_EXISTS));
    ASSERT_TRUE(files.Exists(u"C:\\windows\\system32\\victim.dll"));
    EXPECT_EQ(files.Find(u"C:\\windows\\system32\\victim.dll")->content, "MZ");

    ASSERT_TRUE(win::MoveFileW(u"C:\\Users\\user\\Work", u"C:\\Users\\user\\Moved"));
    EXPECT_FALSE(file.CreateChild(directory, u"late.log", win::GENERIC_WRITE, win::FILE_SHARE_READ));
    EXPECT_FALSE(files.Exists(u"C:\\Users\\user\\Moved\\late.log"));
}
