// What the simulated file system's calls share (files.cpp defines it): the tree's lookups and
// changes, the table of open handles and searches, and the sharing rules. Only the simulation's
// own files include it; tests use files_state.h and machine.h.
#pragma once
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/sim/files_state.h"

namespace sim {

// The tree.
FileNode* Insert(FileNode* parent, const std::u16string& name, bool directory);  // in name order
std::unique_ptr<FileNode> Unlink(FileNode* node);  // out of its directory
// A path that goes on through a junction or symbolic link continues in its target, as on
// Windows; the link itself is what a path ending at it names. Null for a loop of links.
FileNode* ThroughLink(FileNode* node);
// What an open of the path ending at `node` reaches: the node itself, but the target of a Unix
// link, which Wine follows whatever the open asks.
FileNode* Opened(FileNode* node);
// The node at `path`, its last component not followed; the directory it lies in and its name
// go to `parentOut` and `leafOut` when the directory exists.
FileNode* Lookup(const std::u16string& path, FileNode** parentOut = nullptr, std::u16string* leafOut = nullptr);
// Takes `node` out of its directory and puts it into `parent` as `leaf`, in name order.
void MoveNode(FileNode* node, FileNode* parent, const std::u16string& leaf);
// Sets the last error and returns false.
bool Fail(win::DWORD error);

// Searches by FindFirstFileW, by their handle.
struct FindState {
    std::vector<win::WIN32_FIND_DATAW> entries;
    std::size_t next = 0;
};
std::map<win::HANDLE, FindState>& FindHandles();
void FillFindData(const FileNode& node, win::WIN32_FIND_DATAW& data);

// Every open handle but the registry's and the processes': files, directories, the pipes' ends
// and events.
struct OpenFile {
    FileNode* node = nullptr;  // null for the pipe, and once the file is deleted
    std::size_t position = 0;
    bool pipe = false;
    win::DWORD access = 0;
    win::DWORD share = 0;
    bool squatter = false;  // an instance of the pipe that another process serves
    bool event = false;     // an event object, not a file
    bool signalled = false;
    bool anonymousPipe = false;  // one end of an anonymous pipe
    bool inheritable = false;
    bool listed = false;          // NtQueryDirectoryFile has begun: `listedUpTo` is the last name given
    std::u16string listedUpTo;
};
OpenFile OnNode(FileNode* node, bool pipe, win::DWORD access, win::DWORD share);
std::map<win::HANDLE, OpenFile>& OpenFiles();
win::HANDLE NextHandle();

// Writes left pending by a server that never reads, by their overlapped record.
struct PendingWrite {
    win::HANDLE file = nullptr;
    bool cancelled = false;
};
std::map<win::OVERLAPPED*, PendingWrite>& PendingWrites();

// The sharing rules.
bool Reads(win::DWORD access);
bool Writes(win::DWORD access);
// Whether an open with `access` and `share` clashes with a handle already open on `node`.
bool SharingViolation(const FileNode* node, win::DWORD access, win::DWORD share);
// Deleting or renaming needs delete access, which every open handle must share.
bool RemovalBlocked(const FileNode* node);
// Handles left open on a deleted file read and write nothing more.
void Detach(const FileNode* node);
// An executable is mapped as an image while it runs: it cannot be deleted.
bool IsRunningImage(const FileNode* node);

}  // namespace sim
