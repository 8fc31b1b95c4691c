// Simulated NT calls through handles: opening and creating relative to a directory's handle,
// listing, the attributes and final path a handle tells, marking for deletion, and the rename.
#include <cstddef>
#include <cstring>

#include "platform/files.h"
#include "platform/sim/faults.h"
#include "platform/sim/files_internal.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "platform/system.h"

namespace win {

using sim::FileNode;
using sim::machine;

namespace {

// The status, with the Win32 error that RtlNtStatusToDosError gives for it as the last error.
constexpr NTSTATUS kStatusObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS kStatusObjectPathNotFound = static_cast<NTSTATUS>(0xC000003A);
constexpr NTSTATUS kStatusSharingViolation = static_cast<NTSTATUS>(0xC0000043);
constexpr NTSTATUS kStatusAccessDenied = static_cast<NTSTATUS>(0xC0000022);
constexpr NTSTATUS kStatusDeletePending = static_cast<NTSTATUS>(0xC0000056);
constexpr NTSTATUS kStatusCannotDelete = static_cast<NTSTATUS>(0xC0000121);
constexpr NTSTATUS kStatusDirectoryNotEmpty = static_cast<NTSTATUS>(0xC0000101);
constexpr NTSTATUS kStatusNotADirectory = static_cast<NTSTATUS>(0xC0000103);
constexpr NTSTATUS kStatusFileIsADirectory = static_cast<NTSTATUS>(0xC00000BA);
constexpr NTSTATUS kStatusInvalidHandle = static_cast<NTSTATUS>(0xC0000008);
constexpr NTSTATUS kStatusBufferTooSmall = static_cast<NTSTATUS>(0xC0000023);
constexpr NTSTATUS kStatusInvalidParameter = static_cast<NTSTATUS>(0xC000000D);
constexpr NTSTATUS kStatusObjectNameCollision = static_cast<NTSTATUS>(0xC0000035);
constexpr NTSTATUS kStatusNotSameDevice = static_cast<NTSTATUS>(0xC00000D4);

NTSTATUS Status(NTSTATUS status) {
    DWORD error = ERROR_SUCCESS;
    switch (status) {
    case STATUS_SUCCESS: break;
    case STATUS_NO_MORE_FILES: error = ERROR_NO_MORE_FILES; break;
    case kStatusObjectNameNotFound: error = ERROR_FILE_NOT_FOUND; break;
    case kStatusObjectPathNotFound: error = ERROR_PATH_NOT_FOUND; break;
    case kStatusSharingViolation: error = ERROR_SHARING_VIOLATION; break;
    case kStatusDirectoryNotEmpty: error = ERROR_DIR_NOT_EMPTY; break;
    case kStatusNotADirectory: error = ERROR_DIRECTORY; break;
    case kStatusInvalidHandle: error = ERROR_INVALID_HANDLE; break;
    case kStatusBufferTooSmall: error = ERROR_INSUFFICIENT_BUFFER; break;
    case kStatusInvalidParameter: error = ERROR_INVALID_PARAMETER; break;
    case kStatusObjectNameCollision: error = ERROR_ALREADY_EXISTS; break;
    case kStatusNotSameDevice: error = 17; break;  // ERROR_NOT_SAME_DEVICE
    default: error = ERROR_ACCESS_DENIED; break;  // denied, delete pending, cannot delete, is a directory
    }
    SetLastError(error);
    return status;
}

sim::OpenFile* OpenNode(HANDLE handle) {
    auto it = sim::OpenFiles().find(handle);
    return it == sim::OpenFiles().end() || it->second.pipe || it->second.event || it->second.anonymousPipe ? nullptr
                                                                                                          : &it->second;
}

// The file open at `open` takes a name of one component in the directory the information's
// root handle is open on. As the system does: every handle must share deletion, a running image
// may be renamed, a name taken is replaced only when asked (the link there itself, never what it
// leads to), and a rename across drives is refused.
NTSTATUS Rename(sim::OpenFile& open, const void* information, ULONG length) {
    const auto* rename = static_cast<const FILE_RENAME_INFORMATION*>(information);
    constexpr ULONG kHeader = offsetof(FILE_RENAME_INFORMATION, FileName);
    if (length < kHeader || rename->FileNameLength % 2 || rename->FileNameLength > sizeof rename->FileName ||
        length < kHeader + rename->FileNameLength)
        return Status(kStatusInvalidParameter);
    FileNode* node = open.node;
    if (!node) return Status(kStatusDeletePending);
    if (!(open.access & DELETE)) return Status(kStatusAccessDenied);
    const std::u16string leaf(rename->FileName, rename->FileNameLength / 2);
    machine().Log("NtSetInformationFile", "rename " + sim::Narrow(sim::FullPath(node)) + " -> " + sim::Narrow(leaf));
    sim::OpenFile* directory = OpenNode(rename->RootDirectory);
    if (!directory || !directory->node || !directory->node->directory) return Status(kStatusInvalidHandle);
    if (leaf.empty() || leaf.find(u'\\') != std::u16string::npos) return Status(kStatusInvalidParameter);
    FileNode* target = directory->node;
    auto driveOf = [](const FileNode* n) { while (n->parent) n = n->parent; return n; };
    if (driveOf(target) != driveOf(node)) return Status(kStatusNotSameDevice);
    for (const auto& [handle, other] : sim::OpenFiles())
        if (&other != &open && other.node == node && !(other.share & FILE_SHARE_DELETE)) return Status(kStatusSharingViolation);
    const std::u16string before = sim::FullPath(node);
    if (FileNode* existing = target->Child(leaf)) {
        if (existing == node) return Status(STATUS_SUCCESS);
        if (!rename->ReplaceIfExists) return Status(kStatusObjectNameCollision);
        if (existing->directory || existing->inUse || sim::RemovalBlocked(existing)) return Status(kStatusAccessDenied);
        sim::Detach(existing);
        sim::Unlink(existing);
    }
    sim::MoveNode(node, target, leaf);
    // A running image keeps running wherever its file has gone.
    for (std::u16string& image : machine().system.runningImages)
        if (sim::EqualNoCase(image, before)) image = sim::FullPath(node);
    return Status(STATUS_SUCCESS);
}

}  // namespace

NTSTATUS NtQueryInformationFile(HANDLE file, void* information, ULONG length, ULONG informationClass) {
    if (sim::FaultPoint("NtQueryInformationFile")) return sim::Failure(kStatusAccessDenied, ERROR_ACCESS_DENIED);
    sim::OpenFile* open = OpenNode(file);
    if (!open) return Status(kStatusInvalidHandle);
    if (informationClass != FileAttributeTagInformation || length < sizeof(FILE_ATTRIBUTE_TAG_INFORMATION))
        return Status(kStatusInvalidParameter);
    if (!open->node) return Status(kStatusDeletePending);
    const FileNode& node = *open->node;
    // Through a handle, a Unix link is its target: nothing marks it.
    auto* tag = static_cast<FILE_ATTRIBUTE_TAG_INFORMATION*>(information);
    tag->FileAttributes = node.attributes | (node.directory ? FILE_ATTRIBUTE_DIRECTORY : 0) |
                          (node.reparse ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
    tag->ReparseTag = node.reparse ? 0xA0000003u : 0;  // IO_REPARSE_TAG_MOUNT_POINT
    return Status(STATUS_SUCCESS);
}

DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD size, DWORD) {
    if (sim::FaultPoint("GetFinalPathNameByHandleW")) return sim::Failure(DWORD{0}, ERROR_ACCESS_DENIED);
    if (machine().system.finalPathMissing) return sim::Failure(DWORD{0}, ERROR_PROC_NOT_FOUND);
    sim::OpenFile* open = OpenNode(file);
    if (!open) return sim::Failure(DWORD{0}, ERROR_INVALID_HANDLE);
    if (!open->node) return sim::Failure(DWORD{0}, ERROR_FILE_NOT_FOUND);
    // A share's paths are "\\?\UNC\server\share\...", a drive's "\\?\C:\...".
    const std::u16string full = sim::FullPath(open->node);
    const std::u16string final = full.compare(0, 2, u"\\\\") == 0 ? u"\\\\?\\UNC" + full.substr(1) : u"\\\\?\\" + full;
    if (!sim::CopyOut(final, path, size)) return static_cast<DWORD>(final.size() + 1);
    return static_cast<DWORD>(final.size());
}

NTSTATUS NtOpenFile(HANDLE* file, DWORD access, HANDLE root, LPCWSTR name, DWORD share, ULONG options) {
    *file = nullptr;
    if (sim::FaultPoint("NtOpenFile")) return sim::Failure(kStatusSharingViolation, ERROR_SHARING_VIOLATION);
    sim::OpenFile* directory = OpenNode(root);
    // Logged with the full path it names, and as a deletion's first step when it asks for the
    // right to delete: "delete file C:\dir\name", "delete directory ...", "delete either ...".
    const std::u16string named =
        (directory && directory->node ? sim::FullPath(directory->node) : std::u16string(u"?")) + u"\\" + sim::FromPtr(name);
    const char* kind = (options & FILE_DIRECTORY_FILE) ? "directory " : (options & FILE_NON_DIRECTORY_FILE) ? "file " : "either ";
    machine().Log("NtOpenFile", std::string((access & DELETE) ? "delete " : "open ") + kind +
                                    sim::Narrow(named.size() > 3 && named[2] == u'\\' && named[3] == u'\\' ? named.substr(0, 3) + named.substr(4) : named));
    if (!directory) return Status(kStatusInvalidHandle);
    FileNode* node = directory->node;
    const std::u16string relative = sim::FromPtr(name);
    if (!node || relative.empty()) return Status(kStatusObjectNameNotFound);
    std::size_t start = 0;
    while (true) {
        // Every component but the last is passed through; the last is the link itself only when
        // the open asks for it, and never for a Unix link.
        node = sim::ThroughLink(node);
        if (!node || !node->directory) return Status(kStatusObjectPathNotFound);
        const std::size_t cut = relative.find(u'\\', start);
        const std::u16string part = relative.substr(start, cut == std::u16string::npos ? cut : cut - start);
        if (part.empty() || part == u"." || part == u"..") return Status(kStatusInvalidParameter);
        node = node->Child(part);
        if (!node) return Status(cut == std::u16string::npos ? kStatusObjectNameNotFound : kStatusObjectPathNotFound);
        if (cut == std::u16string::npos) break;
        start = cut + 1;
    }
    node = (options & FILE_OPEN_REPARSE_POINT) ? sim::Opened(node) : sim::ThroughLink(node);
    if (!node) return Status(kStatusObjectNameNotFound);
    if (node->deletePending) return Status(kStatusDeletePending);
    if ((options & FILE_DIRECTORY_FILE) && !node->directory) return Status(kStatusNotADirectory);
    if ((options & FILE_NON_DIRECTORY_FILE) && node->directory) return Status(kStatusFileIsADirectory);
    if ((access & DELETE) && node->inUse) return Status(kStatusSharingViolation);
    if (sim::SharingViolation(node, access, share)) return Status(kStatusSharingViolation);
    *file = sim::NextHandle();
    sim::OpenFiles()[*file] = sim::OnNode(node, false, access, share);
    return Status(STATUS_SUCCESS);
}

NTSTATUS NtCreateFile(HANDLE* file, DWORD access, HANDLE root, LPCWSTR name, DWORD share, ULONG) {
    *file = nullptr;
    if (sim::FaultPoint("NtCreateFile")) return sim::Failure(kStatusAccessDenied, ERROR_ACCESS_DENIED);
    sim::OpenFile* directory = OpenNode(root);
    const std::u16string leaf = sim::FromPtr(name);
    machine().Log("NtCreateFile", sim::Narrow((directory && directory->node ? sim::FullPath(directory->node) : u"?") +
                                              u"\\" + leaf));
    if (!directory) return Status(kStatusInvalidHandle);
    FileNode* parent = sim::ThroughLink(directory->node);
    if (!parent || !parent->directory || parent->deletePending) return Status(kStatusObjectPathNotFound);
    if (leaf.empty() || leaf == u"." || leaf == u".." || leaf.find_first_of(u"\\/") != std::u16string::npos)
        return Status(kStatusInvalidParameter);
    // Whatever bears the name, a link or a link leading nowhere included, is left as it is.
    if (parent->Child(leaf)) return Status(kStatusObjectNameCollision);
    *file = sim::NextHandle();
    sim::OpenFiles()[*file] = sim::OnNode(sim::Insert(parent, leaf, false), false, access, share);
    return Status(STATUS_SUCCESS);
}

NTSTATUS NtQueryDirectoryFile(HANDLE directory, void* buffer, ULONG length, bool restartScan) {
    if (sim::FaultPoint("NtQueryDirectoryFile")) return sim::Failure(kStatusAccessDenied, ERROR_ACCESS_DENIED);
    machine().Log("NtQueryDirectoryFile", "");
    sim::OpenFile* open = OpenNode(directory);
    if (!open) return Status(kStatusInvalidHandle);
    if (!open->node || !open->node->directory || !(open->access & FILE_LIST_DIRECTORY)) return Status(kStatusAccessDenied);
    if (restartScan) open->listed = false;
    const FileNode* target = machine().files.listingsFollowLinks ? sim::ThroughLink(open->node) : nullptr;
    const FileNode* listed = target ? target : open->node;
    // "." and ".." first in every directory but a drive root, then the entries in name order;
    // the listing goes on after the last name given, so that entries deleted meanwhile are not
    // missed and none is given twice.
    std::vector<std::pair<std::u16string, DWORD>> entries;
    if (listed->parent) {
        entries.emplace_back(u".", FILE_ATTRIBUTE_DIRECTORY);
        entries.emplace_back(u"..", FILE_ATTRIBUTE_DIRECTORY);
    }
    for (const auto& child : listed->children) {
        WIN32_FIND_DATAW data;
        sim::FillFindData(*child, data);
        entries.emplace_back(child->name, data.dwFileAttributes);
    }
    std::size_t next = 0;
    if (open->listed) {
        const std::u16string& last = open->listedUpTo;
        if (last == u"." || last == u"..") {
            next = last == u"." ? 1 : 2;
        } else {
            while (next < entries.size() && (entries[next].first == u"." || entries[next].first == u".." ||
                                             !sim::LessNoCase(last, entries[next].first)))
                ++next;
        }
    }
    if (next >= entries.size()) {
        open->listed = true;
        return Status(STATUS_NO_MORE_FILES);
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t used = 0;
    FILE_DIRECTORY_INFORMATION* previous = nullptr;
    for (; next < entries.size(); ++next) {
        const std::u16string& entryName = entries[next].first;
        const std::size_t size = (offsetof(FILE_DIRECTORY_INFORMATION, FileName) + entryName.size() * 2 + 7) & ~std::size_t{7};
        if (used + size > length) break;
        auto* entry = reinterpret_cast<FILE_DIRECTORY_INFORMATION*>(bytes + used);
        std::memset(entry, 0, size);
        entry->FileAttributes = entries[next].second;
        entry->FileNameLength = static_cast<ULONG>(entryName.size() * 2);
        std::memcpy(entry->FileName, entryName.data(), entryName.size() * 2);
        if (previous) previous->NextEntryOffset = static_cast<ULONG>(reinterpret_cast<unsigned char*>(entry) - reinterpret_cast<unsigned char*>(previous));
        previous = entry;
        used += size;
        open->listed = true;
        open->listedUpTo = entryName;
    }
    if (!previous) return Status(kStatusBufferTooSmall);
    return Status(STATUS_SUCCESS);
}

NTSTATUS NtSetInformationFile(HANDLE file, const void* information, ULONG length, ULONG informationClass) {
    if (sim::FaultPoint("NtSetInformationFile")) return sim::Failure(kStatusAccessDenied, ERROR_ACCESS_DENIED);
    sim::OpenFile* open = OpenNode(file);
    if (!open) return Status(kStatusInvalidHandle);
    FileNode* node = open->node;
    if (informationClass == FileBasicInformation && length >= sizeof(FILE_BASIC_INFORMATION)) {
        if (!node) return Status(kStatusDeletePending);
        machine().Log("NtSetInformationFile", "attributes " + sim::Narrow(sim::FullPath(node)));
        if (!(open->access & FILE_WRITE_ATTRIBUTES)) return Status(kStatusAccessDenied);
        const ULONG attributes = static_cast<const FILE_BASIC_INFORMATION*>(information)->FileAttributes;
        if (attributes != 0)
            node->attributes = (attributes == FILE_ATTRIBUTE_NORMAL && !node->directory ? FILE_ATTRIBUTE_NORMAL : attributes & ~FILE_ATTRIBUTE_NORMAL) |
                               (node->directory ? FILE_ATTRIBUTE_DIRECTORY : 0) | (node->reparse ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
        return Status(STATUS_SUCCESS);
    }
    if (informationClass == FileRenameInformation) return Rename(*open, information, length);
    if (informationClass != FileDispositionInformation || length < sizeof(FILE_DISPOSITION_INFORMATION))
        return Status(kStatusInvalidParameter);
    if (!node) return Status(kStatusDeletePending);
    machine().Log("NtSetInformationFile", sim::Narrow(sim::FullPath(node)));
    if (!(open->access & DELETE)) return Status(kStatusAccessDenied);
    const bool deleteFile = static_cast<const FILE_DISPOSITION_INFORMATION*>(information)->DeleteFile != 0;
    if (deleteFile) {
        if (!node->parent || (node->attributes & FILE_ATTRIBUTE_READONLY) || sim::IsRunningImage(node))
            return Status(kStatusCannotDelete);
        if (node->directory && !node->reparse && !node->children.empty()) return Status(kStatusDirectoryNotEmpty);
    }
    node->deletePending = deleteFile;
    return Status(STATUS_SUCCESS);
}

}  // namespace win
