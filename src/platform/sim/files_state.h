// The simulated file system: drives of case-insensitive trees with attributes, files in use,
// reparse points and short names; drive letters that name another path (subst, a mapped share)
// and network shares; files pending deletion at restart; the installer's pipe.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

namespace sim {

struct FileNode {
    std::u16string name;
    std::u16string shortName;  // 8.3 alias; empty when the name has none
    FileNode* parent = nullptr;
    bool directory = false;
    win::DWORD attributes = win::FILE_ATTRIBUTE_ARCHIVE;
    bool inUse = false;      // deletion fails with a sharing violation; renaming works
    bool reparse = false;    // a junction or symbolic link (to `linkTarget`)
    // A Unix link as Wine presents it: a plain file, or a directory listed with the reparse
    // attribute, that every open follows to `linkTarget`, the last component of a path too, so
    // that deleting it by name or through a handle deletes its target.
    bool unixLink = false;
    std::u16string linkTarget;
    bool deletePending = false;  // goes when its last handle closes
    std::string content;
    std::vector<std::unique_ptr<FileNode>> children;  // sorted without regard to case

    FileNode* Child(const std::u16string& childName) const;
};

// The process id the simulated installer runs as: the process that started the program under
// test (its parent), and the server of the pipe's own instances.
constexpr win::ULONG kInstallerProcessId = 4242;
constexpr win::ULONG kSquatterProcessId = 6666;

struct PipeState {
    std::u16string name = u"\\\\.\\pipe\\Orvik Pendrel";
    bool exists = false;
    bool refuseConnect = false;   // WaitNamedPipeW succeeds but CreateFileW fails
    win::DWORD openFlags = 0;     // CreateFileW's flags and attributes for the pipe
    std::vector<std::string> writes;  // each WriteFile's bytes that reached the installer
    win::ULONG serverProcessId = kInstallerProcessId;  // who serves the installer's instances
    bool serverIdUnknown = false;  // GetNamedPipeServerProcessId missing, as before Vista
    // Instances another process of the user created, which connections reach first: each
    // connection takes one. What is written to them never reaches the installer.
    int squatterInstances = 0;
    std::vector<std::string> squatterWrites;
    // A server that accepts and never reads: every write stays pending until it is cancelled.
    bool neverReads = false;
    // WaitNamedPipeW calls that time out, every instance busy, before one is free.
    int busyWaits = 0;
    std::vector<win::DWORD> waitTimeouts;  // each WaitNamedPipeW's time limit
    int writesBlockedForever = 0;          // a writer that would have waited for ever
};

struct FileSystem {
    // Volumes: a drive by its upper-case letter, a share ("\\server\share", its root's name) by
    // a key above the letters.
    std::map<char16_t, std::unique_ptr<FileNode>> drives;
    // Drive letters that stand for another path, as `subst` and a mapped network drive make
    // them: "S:\x" is the target's "x", and a handle's final path names the target.
    std::map<char16_t, std::u16string> driveAliases;
    std::vector<std::u16string> pendingDeletes;         // MoveFileExW with MOVEFILE_DELAY_UNTIL_REBOOT
    PipeState pipe;
    std::u16string currentDirectory = u"C:\\";
    // A file system that follows a link to list it: a handle open on the link itself lists what
    // the link leads to.
    bool listingsFollowLinks = false;

    // Test-side helpers; paths are absolute ("C:\dir\file"). Missing parents are created.
    FileNode& AddFile(const std::u16string& path, const std::string& content = "");
    FileNode& AddDirectory(const std::u16string& path);
    FileNode& AddJunction(const std::u16string& path, const std::u16string& target);
    FileNode& AddFileLink(const std::u16string& path, const std::u16string& target);  // a symbolic link
    FileNode& AddUnixLink(const std::u16string& path, const std::u16string& target);  // to a file or directory
    // `letter` ("S") names `target` ("C:\Real", "\\server\share\home") from now on.
    void AddDriveAlias(char16_t letter, const std::u16string& target);
    // A network share "\\server\share", empty; its final paths are "\\?\UNC\server\share\...".
    void AddShare(const std::u16string& share);
    // A volume mounted in the folder `path`: a mount point (a reparse point, as a junction is)
    // on the root of the volume that also has the letter `letter`, whose final paths name it.
    FileNode& AddMountedVolume(const std::u16string& path, char16_t letter);
    FileNode* Find(const std::u16string& path);
    bool Exists(const std::u16string& path) { return Find(path) != nullptr; }
    bool IsDirectory(const std::u16string& path);
    std::vector<std::u16string> List(const std::u16string& directory);  // names, as stored
    std::vector<std::u16string> AllPaths();                               // every node, full paths
};

// Splits a path into drive letter and components, resolving "." and "..", doubled separators
// and a leading backslash (the current drive). Returns false for a path it cannot place.
bool ParsePath(const std::u16string& path, char16_t& drive, std::vector<std::u16string>& parts);
std::u16string FullPath(const FileNode* node);
bool WildcardMatch(const std::u16string& pattern, const std::u16string& name);

}  // namespace sim
