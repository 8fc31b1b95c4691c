// A place reached through a name of another volume's: a subst drive, a drive mapped to a share,
// a share named itself, a volume mounted in a folder. The handles' final paths name the place,
// not the letter it was opened by; removals there work, and a link planted below the root is
// still never followed.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/files/directory_handle.h"
#include "engine/files/directory_tree.h"
#include "engine/files/file.h"
#include "engine/removal_report.h"
#include "platform/files.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace {

sim::FileSystem& Fs() { return sim::machine().files; }

struct Volume {
    const char* what;
    std::function<void()> arrange;
    std::u16string named;  // the product's directory as the removal names it
    std::u16string place;  // where it lies, as its final path says
};

std::vector<Volume> Volumes() {
    return {
        {"subst drive", [] { Fs().AddDriveAlias(u'S', u"C:\\Data"); }, u"S:\\Orvik", u"C:\\Data\\Orvik"},
        {"drive mapped to a share's folder",
         [] {
             Fs().AddShare(u"\\\\server\\share");
             Fs().AddDriveAlias(u'H', u"\\\\server\\share\\home");
         },
         u"H:\\Orvik", u"\\\\server\\share\\home\\Orvik"},
        {"share by its own name", [] { Fs().AddShare(u"\\\\server\\share"); }, u"\\\\server\\share\\Orvik",
         u"\\\\server\\share\\Orvik"},
        {"letter whose name is its own", [] {}, u"C:\\Orvik", u"C:\\Orvik"},
    };
}

const std::u16string kVictims = u"C:\\Windows\\victims";

void LayDown(const Volume& volume) {
    sim::Reset();
    volume.arrange();
    for (const char16_t* name : {u"\\Readme.txt", u"\\lang\\en.xml", u"\\Plugins\\x.dll", u"\\Plugins\\Deep\\y.dll"})
        Fs().AddFile(volume.named + name, "product");
    for (const char16_t* name : {u"\\Readme.txt", u"\\x.dll", u"\\en.xml", u"\\Deep\\y.dll"})
        Fs().AddFile(kVictims + name, "victim");
}

TEST(VolumeNames, RemovalsWorkWhereTheRootHasAnotherName) {
    for (const Volume& volume : Volumes()) {
        SCOPED_TRACE(volume.what);
        LayDown(volume);
        ASSERT_TRUE(Fs().Exists(volume.place + u"\\Readme.txt"));
        engine::RemovalContext context;

        EXPECT_TRUE(engine::files::DeleteProductFile(context, volume.named + u"\\Readme.txt"));
        engine::files::RemoveDirectoryTree(context, volume.named + u"\\lang\\*.xml");
        EXPECT_TRUE(engine::files::RemoveProductDirectory(context, volume.named + u"\\lang"));
        engine::files::RemoveDirectoryTree(context, volume.named + u"\\Plugins");

        EXPECT_EQ(Fs().List(volume.place), std::vector<std::u16string>{}) << "everything went";
    }
}

TEST(VolumeNames, ALinkBelowTheRenamedRootIsNeverFollowed) {
    enum class Link { Junction, Unix };
    // Swapped: the product's directory itself, or its subdirectory.
    for (const Volume& volume : Volumes()) {
        for (const Link link : {Link::Junction, Link::Unix}) {
            for (const bool whole : {true, false}) {
                SCOPED_TRACE(std::string(volume.what) + (link == Link::Junction ? ", junction" : ", Unix link") +
                             (whole ? ", at the product's directory" : ", at Plugins"));
                LayDown(volume);
                const std::u16string swapped = whole ? volume.place : volume.place + u"\\Plugins";
                ASSERT_TRUE(win::MoveFileW(swapped.c_str(), u"C:\\Moved"));
                if (link == Link::Junction) Fs().AddJunction(swapped, kVictims);
                else Fs().AddUnixLink(swapped, kVictims);
                const std::u16string base = whole ? volume.named : volume.named + u"\\Plugins";
                engine::RemovalContext context;

                engine::files::DeleteProductFile(context, base + u"\\Readme.txt");
                engine::files::DeleteProductFile(context, base + u"\\x.dll");
                engine::files::RemoveDirectoryTree(context, base + u"\\*.*");
                engine::files::RemoveDirectoryTree(context, base + u"\\Deep");

                for (const char16_t* name : {u"\\Readme.txt", u"\\x.dll", u"\\en.xml", u"\\Deep\\y.dll"})
                    EXPECT_TRUE(Fs().Exists(kVictims + name)) << sim::Narrow(name);
            }
        }
    }
}

// The log is created by its name and judged through its handle as the directories are.
TEST(VolumeNames, AFileCreatedThroughTheRenamedRootIsJudgedWhereItLies) {
    for (const Volume& volume : Volumes()) {
        SCOPED_TRACE(volume.what);
        LayDown(volume);
        const std::u16string path = volume.named + u"\\run.log";
        const win::ScopedFile log(win::CreateFileW(path.c_str(), win::GENERIC_WRITE, 0, nullptr, win::CREATE_NEW,
                                                   win::FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(log);
        EXPECT_TRUE(engine::files::IsOpenAt(log.get(), path));

        // Created through a junction planted on the way, it lies elsewhere.
        Fs().AddJunction(volume.place + u"\\Logs", kVictims);
        const std::u16string planted = volume.named + u"\\Logs\\run.log";
        const win::ScopedFile elsewhere(win::CreateFileW(planted.c_str(), win::GENERIC_WRITE, 0, nullptr, win::CREATE_NEW,
                                                         win::FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(elsewhere);
        const engine::Outcome judged = engine::files::IsOpenAt(elsewhere.get(), planted);
        EXPECT_FALSE(judged);
        EXPECT_EQ(judged.error(), engine::files::kErrorNotTheEntryNamed);
    }
}

// A mount point looks as a junction does through its handle: a path through the folder is refused
// as one through a link would be, and the machine's records are taken where they lead instead.
TEST(VolumeNames, AVolumeMountedInAFolderIsWorkedOnByTheVolumesOwnName) {
    Fs().AddMountedVolume(u"C:\\Mounted\\Data", u'D');
    Fs().AddFile(u"D:\\Orvik\\Readme.txt");
    Fs().AddFile(u"D:\\Orvik\\config.xml");
    engine::RemovalContext context;

    const engine::Outcome deleted = engine::files::DeleteProductFile(context, u"C:\\Mounted\\Data\\Orvik\\Readme.txt");
    EXPECT_FALSE(deleted);
    EXPECT_EQ(deleted.error(), engine::files::kErrorNotTheEntryNamed);
    EXPECT_TRUE(Fs().Exists(u"D:\\Orvik\\Readme.txt"));

    const std::u16string resolved = engine::files::ResolvedDirectory(u"C:\\Mounted\\Data\\Orvik");
    EXPECT_EQ(sim::Narrow(resolved), "D:\\Orvik");
    EXPECT_TRUE(engine::files::DeleteProductFile(context, resolved + u"\\Readme.txt"));
    EXPECT_TRUE(engine::files::DeleteProductFile(context, resolved + u"\\config.xml"));
    EXPECT_FALSE(Fs().Exists(u"D:\\Orvik\\Readme.txt"));
}

}  // namespace
