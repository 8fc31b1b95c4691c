#include "engine/files/directory_handle.h"

#include <cstddef>

#include "engine/files/file.h"
#include "engine/files/path.h"
#include "engine/removal_report.h"
#include "platform/system.h"

namespace engine::files {
namespace {

// Whether the final path `final` is `expected`; when not, why: the entry lies elsewhere, or the
// comparison itself failed.
Outcome IsExpectedPath(const std::u16string& final, const std::u16string& expected) {
    if (final.size() != expected.size()) return Outcome::Failure(kErrorNotTheEntryNamed);
    const int order = win::CompareStringOrdinal(final.c_str(), static_cast<int>(final.size()), expected.c_str(),
                                                static_cast<int>(expected.size()), win::TRUE);
    if (order == win::CSTR_EQUAL) return {};
    return order == 0 ? Outcome::OfLastError() : Outcome::Failure(kErrorNotTheEntryNamed);
}

std::u16string Child(const std::u16string& directory, const std::u16string& name) {
    return WithTrailingBackslash(directory) + name;
}

// The final path of what `handle` is open on, in the form callers use ("C:\dir",
// "\\server\share\dir"); fails when it cannot be had.
Outcome FinalPath(win::HANDLE handle, std::u16string& path) {
    std::u16string buffer(2 * win::MAX_PATH, u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const win::DWORD length =
            win::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<win::DWORD>(buffer.size()), 0);
        if (length == 0) return Outcome::OfLastError();
        if (length < buffer.size()) {
            buffer.resize(length);
            if (buffer.compare(0, 8, u"\\\\?\\UNC\\") == 0) path = u"\\" + buffer.substr(7);
            else if (buffer.compare(0, 4, u"\\\\?\\") == 0) path = buffer.substr(4);
            else path = buffer;
            return {};
        }
        buffer.assign(length + 1, u'\0');
    }
    return Outcome::Failure(kErrorNotTheEntryNamed);
}

// Before Vista no handle tells its final path: the directories above are then judged by their
// names, as well as the system allows.
Outcome NoLinkAbove(const std::u16string& path) {
    for (std::size_t at = path.find(u'\\', 3); at != std::u16string::npos; at = path.find(u'\\', at + 1)) {
        const win::DWORD attributes = win::GetFileAttributesW(path.substr(0, at).c_str());
        if (attributes != win::INVALID_FILE_ATTRIBUTES && (attributes & win::FILE_ATTRIBUTE_REPARSE_POINT))
            return Outcome::Failure(kErrorNotTheEntryNamed);
    }
    return {};
}

}  // namespace

namespace {

// The length of the root a full path begins with, "X:\" or "\\server\share\" (or the whole
// path when it is the share itself); 0 for a path without one.
std::size_t RootLength(const std::u16string& path) {
    if (path.size() >= 3 && path[1] == u':' && path[2] == u'\\') return 3;
    if (path.compare(0, 2, u"\\\\") != 0) return 0;
    const std::size_t server = path.find(u'\\', 2);
    if (server == std::u16string::npos || server == 2) return 0;
    const std::size_t share = path.find(u'\\', server + 1);
    if (share == server + 1) return 0;
    return share == std::u16string::npos ? path.size() : share + 1;
}

// Whether the final path `final` of a directory opened by its full path `expected` is the place
// meant, where the two differ only because the path's root has another name: a `subst` drive, a
// drive mapped to a share, a letter that names a folder. The root is the one name the system
// resolves before any directory of the path, and only its device map (the administrator's, the
// system's, or this elevated session's own) defines it; every directory below is one some user
// may be able to write. So the directory is the place meant exactly when its final path is the
// root's own final path followed by the very components asked for: a junction, symbolic link,
// mount point or Unix link anywhere below the root would show in it. Walking down one
// component at a time through handles would hold as well, but costs an open per component of
// every path; this costs one open, and only where a name differs. A volume mounted in a
// folder is refused here as a link would be (a mount point is a junction to the eye of the
// handle): the machine's records are taken at their final place beforehand (ResolvedDirectory),
// so the removal names such a place by the volume's own name.
Outcome IsPlaceOfRenamedRoot(const std::u16string& final, const std::u16string& expected) {
    const std::size_t rootLength = RootLength(expected);
    if (rootLength == 0) return Outcome::Failure(kErrorNotTheEntryNamed);
    const std::u16string root = expected.substr(0, rootLength);
    const win::ScopedFile handle(win::CreateFileW(root.c_str(), win::FILE_READ_ATTRIBUTES | win::SYNCHRONIZE, kShareAll, nullptr,
                                                  win::OPEN_EXISTING, win::FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::u16string rootFinal;
    if (!handle || !FinalPath(handle.get(), rootFinal)) return Outcome::Failure(kErrorNotTheEntryNamed);
    const std::u16string below = expected.substr(rootLength);
    return IsExpectedPath(final, below.empty() ? rootFinal : Child(rootFinal, below));
}

// Whether `handle` is open on what lies at `expected`, and the system's name for it in `path`.
// `top` for a directory opened by its full path: its root may have another name (see
// IsPlaceOfRenamedRoot); before Vista the directories above are judged by their names instead.
// An entry opened relative to its directory is judged against that directory's final path.
Outcome JudgePath(win::HANDLE handle, const std::u16string& expected, bool top, std::u16string& path) {
    std::u16string final;
    if (const Outcome found = FinalPath(handle, final); !found) {
        if (found.error() != win::ERROR_PROC_NOT_FOUND) return found;
        if (top)
            if (const Outcome above = NoLinkAbove(expected); !above) return above;
        path = expected;
        return {};
    }
    if (const Outcome same = IsExpectedPath(final, expected); !same) {
        if (!top) return same;
        if (const Outcome renamed = IsPlaceOfRenamedRoot(final, expected); !renamed) return renamed;
    }
    path = final;
    return {};
}

}  // namespace

Outcome IsOpenAt(win::HANDLE handle, const std::u16string& path) {
    std::u16string final;
    return JudgePath(handle, LongForm(path), true, final);
}

Outcome OpenEntry::Judge(const std::u16string& expected, bool top) {
    win::FILE_ATTRIBUTE_TAG_INFORMATION information{};
    if (const Outcome read = Outcome::OfStatus(win::NtQueryInformationFile(m_handle.get(), &information, sizeof information,
                                                                           win::FileAttributeTagInformation));
        !read)
        return read;
    m_attributes = information.FileAttributes;
    m_directory = (information.FileAttributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0;
    m_link = (information.FileAttributes & win::FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return JudgePath(m_handle.get(), expected, top, m_path);
}

Outcome OpenEntry::OpenDirectory(const std::u16string& path, win::DWORD access, win::DWORD share) {
    Close();
    const win::HANDLE handle =
        win::CreateFileW(path.c_str(), access, share, nullptr, win::OPEN_EXISTING,
                         win::FILE_FLAG_BACKUP_SEMANTICS | win::FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == win::INVALID_HANDLE_VALUE) return Outcome::OfLastError();
    m_handle.reset(handle);
    Outcome judged = Judge(LongForm(path), true);
    if (judged && (m_link || !m_directory)) judged = Outcome::Failure(kErrorNotTheEntryNamed);
    if (!judged) Close();
    return judged;
}

namespace {

// Whether `name` names one entry of a directory (ERROR_INVALID_NAME when not).
Outcome IsOneComponent(const std::u16string& name) {
    if (!name.empty() && name != u"." && name != u".." && name.find_first_of(u"\\/") == std::u16string::npos) return {};
    return Outcome::Failure(win::ERROR_INVALID_NAME);
}

}  // namespace

Outcome OpenEntry::OpenChild(const OpenEntry& parent, const std::u16string& name, EntryKind kind, win::DWORD access,
                             win::DWORD share) {
    Close();
    if (const Outcome named = IsOneComponent(name); !named) return named;
    const win::ULONG options = win::FILE_OPEN_REPARSE_POINT | win::FILE_SYNCHRONOUS_IO_NONALERT |
                               win::FILE_OPEN_FOR_BACKUP_INTENT |
                               (kind == EntryKind::File        ? win::FILE_NON_DIRECTORY_FILE
                                : kind == EntryKind::Directory ? win::FILE_DIRECTORY_FILE
                                                               : 0);
    win::HANDLE handle = nullptr;
    if (const Outcome opened = Outcome::OfStatus(win::NtOpenFile(&handle, access, parent.get(), name.c_str(), share, options));
        !opened)
        return opened;
    m_handle.reset(handle);
    const Outcome judged = Judge(Child(parent.path(), name), false);
    if (!judged) Close();
    return judged;
}

Outcome OpenEntry::CreateChild(const OpenEntry& parent, const std::u16string& name, win::DWORD access,
                               win::DWORD share) {
    Close();
    if (const Outcome named = IsOneComponent(name); !named) return named;
    win::HANDLE handle = nullptr;
    if (const Outcome created = Outcome::OfStatus(win::NtCreateFile(&handle, access | win::DELETE, parent.get(), name.c_str(),
                                                                    share, win::FILE_NON_DIRECTORY_FILE |
                                                                               win::FILE_SYNCHRONOUS_IO_NONALERT));
        !created)
        return created;
    m_handle.reset(handle);
    const Outcome judged = Judge(Child(parent.path(), name), false);
    if (judged) return judged;
    // Made, but not where it was asked for: it goes again.
    MarkForDeletion();
    Close();
    return judged;
}

Outcome FinalPathOf(win::HANDLE handle, std::u16string& path) { return FinalPath(handle, path); }

Outcome MarkForDeletion(win::HANDLE file) {
    win::FILE_DISPOSITION_INFORMATION disposition{1};
    return Outcome::OfStatus(
        win::NtSetInformationFile(file, &disposition, sizeof disposition, win::FileDispositionInformation));
}

Outcome OpenEntry::MarkForDeletion() { return files::MarkForDeletion(m_handle.get()); }

Outcome OpenEntry::MoveInto(const OpenEntry& directory, const std::u16string& name, bool replace) {
    win::FILE_RENAME_INFORMATION rename{};
    if (name.empty() || name.size() > win::MAX_PATH) return Outcome::Failure(win::ERROR_INVALID_PARAMETER);
    rename.ReplaceIfExists = replace ? 1 : 0;
    rename.RootDirectory = directory.get();
    rename.FileNameLength = static_cast<win::ULONG>(name.size() * sizeof(char16_t));
    name.copy(rename.FileName, name.size());
    const auto length = static_cast<win::ULONG>(offsetof(win::FILE_RENAME_INFORMATION, FileName) + rename.FileNameLength);
    const Outcome moved =
        Outcome::OfStatus(win::NtSetInformationFile(m_handle.get(), &rename, length, win::FileRenameInformation));
    if (moved) m_path = Child(directory.path(), name);
    return moved;
}

Outcome OpenEntry::SetAttributes(win::DWORD attributes) {
    win::FILE_BASIC_INFORMATION basic{};
    basic.FileAttributes = attributes;
    return Outcome::OfStatus(win::NtSetInformationFile(m_handle.get(), &basic, sizeof basic, win::FileBasicInformation));
}

std::u16string ResolvedDirectory(const std::u16string& path) {
    const win::ScopedFile directory(win::CreateFileW(path.c_str(), win::FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                                     win::OPEN_EXISTING, win::FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::u16string final;
    if (!directory || !FinalPath(directory.get(), final)) return path;
    return final;
}

Outcome ForEachEntry(const OpenEntry& directory, EntryVisitor visit, void* context) {
    // On the heap: a tree walk nests one listing in another as deep as paths go.
    std::vector<std::uint64_t> storage(512);
    auto* buffer = reinterpret_cast<unsigned char*>(storage.data());
    const auto size = static_cast<win::ULONG>(storage.size() * sizeof(std::uint64_t));
    for (bool first = true;; first = false) {
        const win::NTSTATUS status = win::NtQueryDirectoryFile(directory.get(), buffer, size, first);
        if (status == win::STATUS_NO_MORE_FILES) return {};
        if (status != win::STATUS_SUCCESS) return Outcome::OfLastError();
        for (std::size_t at = 0;;) {
            const auto* entry = reinterpret_cast<const win::FILE_DIRECTORY_INFORMATION*>(buffer + at);
            const std::u16string name(entry->FileName, entry->FileNameLength / sizeof(win::WCHAR));
            if (name != u"." && name != u"..") visit(context, name, entry->FileAttributes);
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
}

namespace {

constexpr win::DWORD kProtectingAttributes =
    win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_HIDDEN | win::FILE_ATTRIBUTE_SYSTEM;

// Marks the open entry for deletion, its protecting attributes taken first where asked; they are
// given back when the mark does not take, so that nothing changes on a file that stays.
Outcome MarkWithout(OpenEntry& entry, Protection protection) {
    const win::DWORD attributes = entry.attributes();
    const win::DWORD protecting = protection == Protection::Cleared ? attributes & kProtectingAttributes : 0;
    if (!protecting) return entry.MarkForDeletion();
    // The attributes given are set as they are; none at all is said with FILE_ATTRIBUTE_NORMAL
    // (zero would leave them unchanged).
    const win::DWORD kept = attributes & ~(protecting | win::FILE_ATTRIBUTE_DIRECTORY | win::FILE_ATTRIBUTE_REPARSE_POINT);
    if (const Outcome cleared = entry.SetAttributes(kept ? kept : win::FILE_ATTRIBUTE_NORMAL); !cleared) return cleared;
    const Outcome marked = entry.MarkForDeletion();
    if (!marked)
        entry.SetAttributes(attributes & ~(win::FILE_ATTRIBUTE_DIRECTORY | win::FILE_ATTRIBUTE_REPARSE_POINT));
    return marked;
}

}  // namespace

Outcome DeleteChild(RemovalContext& context, const OpenEntry& parent, const std::u16string& name, EntryKind kind,
                    Protection protection) {
    OpenEntry entry;
    const win::DWORD access = win::DELETE | win::FILE_READ_ATTRIBUTES | win::SYNCHRONIZE |
                              (protection == Protection::Cleared ? win::FILE_WRITE_ATTRIBUTES : 0);
    Outcome removed = entry.OpenChild(parent, name, kind, access);
    if (removed) removed = MarkWithout(entry, protection);
    entry.Close();
    context.ReportRemoval((kind == EntryKind::Directory ? u"directory " : u"file ") + Child(parent.path(), name), removed);
    return removed;
}

void DeleteTreeOpen(RemovalContext& context, OpenEntry& directory) {
    // A link is removed as itself: what it leads to is never listed.
    if (!directory.IsLink()) {
        ForEachEntry(directory, [&](const std::u16string& name, win::DWORD attributes) {
            if (!(attributes & win::FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteChild(context, directory, name, EntryKind::File);
                return;
            }
            OpenEntry child;
            if (child.OpenChild(directory, name, EntryKind::Directory, kTreeAccess)) DeleteTreeOpen(context, child);
        });
    }
    const std::u16string path = directory.path();
    const Outcome removed = directory.MarkForDeletion();
    directory.Close();
    context.ReportRemoval(u"directory " + path, removed);
}

}  // namespace engine::files
