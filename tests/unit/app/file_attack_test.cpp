// An unelevated process of the same user beside a whole silent run: at each file-system call of
// the run that names a place the user can write (the profile's folders and, as under Wine, the
// install directory), it moves what is there away and puts a link in its place: a file becomes a
// link to a file of the system directory, a directory a link to another vendor's directory,
// with content or empty. It plays Windows' links (symbolic links and junctions, which an open
// can ask not to follow) and Wine's (Unix links, which every open follows). Whichever place it
// swaps, and when, every victim survives and the run comes to its end.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "support/full_footprint.h"
#include "support/machine_image.h"
#include "support/watched_run.h"

namespace {

using testing_support::Image;

const std::u16string kVictimFile = u"C:\\windows\\system32\\victim.dll";
const std::u16string kVictimTree = u"C:\\Program Files\\Other Vendor\\Tool";
const std::u16string kVictimEmpty = u"C:\\Program Files\\Other Vendor\\Empty";
const std::u16string kMovedAway = u"C:\\Users\\user\\Moved";

enum class Links { Windows, Wine };

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

// The temporary copy's whole run; the installed copy's, which makes the temporary copy, starts it,
// waits for it and deletes it; or the installed copy's for the installer, which makes way and
// runs the whole removal itself.
enum class Role { TemporaryCopy, InstalledCopy, InstalledCopyForInstaller };

const char16_t* CommandLine(Role role) {
    switch (role) {
    case Role::TemporaryCopy: return u"-DeletingNow-UninstForInst-InstallerPid=4242";
    case Role::InstalledCopy: return u"/quiet";
    case Role::InstalledCopyForInstaller: break;
    }
    return u"-UninstForInst";
}

void Arrange(Role role) {
    sim::Reset();
    testing_support::LayDownForeignItems();
    testing_support::LayDownProduct();
    if (role == Role::TemporaryCopy) testing_support::PlaceTemporaryCopy();
    sim::FileSystem& fs = sim::machine().files;
    fs.AddFile(kVictimFile, "MZ");
    fs.AddFile(kVictimTree + u"\\tool.exe", "MZ");
    fs.AddDirectory(kVictimEmpty);
    fs.AddDirectory(kMovedAway);
}

Image Victims() {
    Image victims;
    for (const auto& [place, state] : testing_support::TakeImage())
        if (place.find("system32\\victim.dll") != std::string::npos || place.find("Other Vendor") != std::string::npos)
            victims[place] = state;
    return victims;
}

// The path a file-system call is about to reach, when the user may write there.
std::string Target(const std::string& function, const std::string& argument) {
    std::string path;
    if (function == "NtOpenFile") {
        // "delete file C:\...", "open directory C:\..."
        const std::size_t first = argument.find(' ');
        path = argument.substr(argument.find(' ', first + 1) + 1);
    } else if (function == "CreateFileW" || function == "DeleteFileW" || function == "RemoveDirectoryW" ||
               function == "SetFileAttributesW") {
        path = argument.substr(0, argument.find(" ["));
    } else if (function == "MoveFileW" || function == "MoveFileExW") {
        path = argument.substr(0, argument.find(" -> "));
    } else {
        return "";
    }
    const bool writable = StartsWith(path, "C:\\Users\\user\\") || StartsWith(path, "C:\\Program Files\\Orvik Software\\Orvik Pendrel\\");
    return writable && path.find('*') == std::string::npos ? path : "";
}

// Moves what is at `path` away and links its name to a victim; false when nothing is there.
bool Swap(const std::u16string& path, Links links, std::size_t round) {
    sim::FileSystem& fs = sim::machine().files;
    sim::FileNode* node = fs.Find(path);
    if (!node || !node->parent || node->reparse || node->unixLink) return false;
    const bool directory = node->directory;
    const std::u16string away = kMovedAway + u"\\" + sim::Widen(std::to_string(round));
    if (!win::MoveFileW(path.c_str(), away.c_str())) return false;
    const std::u16string target = !directory ? kVictimFile : round % 2 ? kVictimEmpty : kVictimTree;
    if (links == Links::Wine) fs.AddUnixLink(path, target);
    else if (directory) fs.AddJunction(path, target);
    else fs.AddFileLink(path, target);
    return true;
}

struct RunResult {
    bool runaway = false;
    std::vector<std::string> codes;
    std::size_t fileCalls = 0;  // calls that named a place the user may write
    std::string swapped;
    Image victims;
    bool handedToCopy = false;  // a temporary copy was started, which the simulation does not run
};

RunResult RunWithSwapAt(std::size_t swapAt, Links links, Role role) {
    Arrange(role);
    RunResult result;
    const auto run = testing_support::RunSilentCopyWatched([&](const std::string& function, const std::string& argument) {
        const std::string target = Target(function, argument);
        if (target.empty() || ++result.fileCalls != swapAt) return;
        if (Swap(sim::Widen(target), links, swapAt)) result.swapped = function + " " + target;
    }, CommandLine(role));
    result.runaway = run.runaway;
    result.codes = run.codes;
    result.victims = Victims();
    for (const auto& process : sim::machine().system.processes)
        result.handedToCopy |= process.commandLine.find(u"-DeletingNow") != std::u16string::npos;
    return result;
}

void Sweep(Links links, const char* name, Role role = Role::TemporaryCopy) {
    Arrange(role);
    const Image victims = Victims();
    ASSERT_EQ(victims.size(), 5u);  // the file, the tree's directory and file, the empty directory
    const RunResult sound = RunWithSwapAt(0, links, role);
    ASSERT_FALSE(sound.runaway);
    // The installed copy that hands the run to a temporary copy reports nothing: the copy, which
    // the simulation does not run, would.
    const std::vector<std::string> allCodes{"1", "2", "4", "6", "7", "8", "9", "10"};
    ASSERT_EQ(sound.codes, role == Role::InstalledCopy ? std::vector<std::string>{} : allCodes);
    ASSERT_EQ(sound.victims, victims);

    std::size_t swaps = 0;
    std::vector<std::string> failures;
    for (std::size_t at = 1; at <= sound.fileCalls; ++at) {
        const RunResult run = RunWithSwapAt(at, links, role);
        if (run.swapped.empty()) continue;
        ++swaps;
        const std::string where = "call " + std::to_string(at) + " (" + run.swapped + "): ";
        if (run.runaway) failures.push_back(where + "the run did not end");
        // The one honest stop: the product's executable swapped for a link the system follows
        // cannot be deleted, and so reads as the product in use.
        const bool inUse = run.codes == std::vector<std::string>{"-1"} && run.swapped.find("Orvik Pendrel.exe") != std::string::npos;
        // The installed uninstaller swapped for a link cannot make way: a temporary copy runs the
        // removal instead.
        const bool handedOver = role == Role::InstalledCopyForInstaller && run.handedToCopy && run.codes.empty();
        if (!inUse && !handedOver && run.codes != sound.codes && (run.codes.empty() || run.codes.back() != "10"))
            failures.push_back(where + "the run stopped early");
        for (const auto& [place, state] : victims) {
            auto now = run.victims.find(place);
            if (now == run.victims.end()) failures.push_back(where + "removed " + place);
            else if (now->second != state) failures.push_back(where + "changed " + place);
        }
    }
    std::printf("file attack, %s links: %zu of %zu file calls had a place of the user's to swap, %s\n", name, swaps,
                sound.fileCalls, failures.empty() ? "all passing" : "FAILING");
    EXPECT_GT(swaps, role == Role::InstalledCopy ? 3u : 40u);
    for (std::size_t i = 0; i < failures.size() && i < 40; ++i) ADD_FAILURE() << failures[i];
    EXPECT_TRUE(failures.empty()) << failures.size() << " problems";
}

TEST(FileAttack, APlaceSwappedForAWindowsLinkAtAnyFileCallLeavesEveryVictim) { Sweep(Links::Windows, "Windows"); }

TEST(FileAttack, APlaceSwappedForAUnixLinkAtAnyFileCallLeavesEveryVictim) { Sweep(Links::Wine, "Wine's Unix"); }

// The reservation, the new copy before it is held, the copy at its deletion: whatever the
// installed copy made in the temporary directory is deleted through judged handles or left.
TEST(FileAttack, ThePlacesOfTheTemporaryCopySwappedForLinksLeaveEveryVictim) {
    Sweep(Links::Windows, "Windows, installed copy's", Role::InstalledCopy);
    Sweep(Links::Wine, "Wine's Unix, installed copy's", Role::InstalledCopy);
}

// For the installer the installed copy runs the removal itself, from the machine's temporary
// directory it made way into.
TEST(FileAttack, TheInstallersRunInPlaceLeavesEveryVictim) {
    Sweep(Links::Windows, "Windows, the installer's run in place", Role::InstalledCopyForInstaller);
    Sweep(Links::Wine, "Wine's Unix, the installer's run in place", Role::InstalledCopyForInstaller);
}

}  // namespace
