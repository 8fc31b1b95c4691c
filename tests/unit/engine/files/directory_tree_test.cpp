// Recursive removal by pattern and of whole trees, against the simulated file system.
#include <gtest/gtest.h>

#include "engine/files/directory_tree.h"
#include "platform/files.h"
#include "platform/sim/machine.h"

namespace {

using engine::files::RemoveDirectoryTree;

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
    for (const auto& call : sim::machine().CallsTo("FindFirstFileW"))
        EXPECT_EQ(call.find("old.xml\\"), std::string::npos) << call;

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

TEST(DirectoryTree, JunctionIsRemovedAsALinkAndItsTargetStaysIntact) {
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
    for (const auto& call : sim::machine().CallsTo("FindFirstFileW"))
        EXPECT_EQ(call.find("docs\\"), std::string::npos) << call;
}

TEST(DirectoryTree, SearchedDirectoryThatIsALinkIsNotWalked) {
    Fs().AddFile(u"C:\\Users\\user\\Documents\\thesis.pdf");
    Fs().AddJunction(At(u"\\lang"), u"C:\\Users\\user\\Documents");

    RemoveDirectoryTree(At(u"\\lang\\*.*"));

    EXPECT_TRUE(Fs().Exists(u"C:\\Users\\user\\Documents\\thesis.pdf"));
    EXPECT_EQ(sim::machine().CountCalls("FindFirstFileW"), 0u);
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
