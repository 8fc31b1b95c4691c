// Removal through handles. Every directory the removal works in is opened once, without
// following a link at its last component, and judged through its handle: it must be no link and
// lie where its path says (the handle's final path), so that no junction or link above it leads
// elsewhere. Its entries are then opened relative to that handle, never by their full names
// again, each again judged through its own handle, and deleted through it. Another process of
// the user may rename, swap or link whatever it can write meanwhile: what is deleted is the
// object that was judged, and a link is removed itself or left, never followed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/outcome.h"
#include "engine/removal_report.h"
#include "platform/files.h"
#include "platform/scoped.h"

namespace engine::files {

// The error of an entry left because it is not what its name says: a link the system would
// follow whatever the open asks (Wine presents a Unix link as a plain file), or an entry that
// lies elsewhere.
constexpr win::DWORD kErrorNotTheEntryNamed = 1920;  // ERROR_CANT_ACCESS_FILE

enum class EntryKind { File, Directory, Either };

constexpr win::DWORD kShareAll = win::FILE_SHARE_READ | win::FILE_SHARE_WRITE | win::FILE_SHARE_DELETE;

// An open file-system object that is known to be what its path names.
class OpenEntry {
public:
    OpenEntry() = default;

    // Opens the directory at the full path `path` (no trailing backslash): fails when it is
    // missing, a link, or not where its path says. Without FILE_SHARE_DELETE in `share`, nobody
    // renames or deletes it while it is open.
    Outcome OpenDirectory(const std::u16string& path, win::DWORD access, win::DWORD share = kShareAll);
    // Opens `name` in the directory `parent` as itself, a link included (see IsLink): fails when
    // it is missing, of another kind, or not `parent`'s entry. `share` as CreateFileW's: by
    // default others may do anything meanwhile, as the deletion never needs them kept out.
    Outcome OpenChild(const OpenEntry& parent, const std::u16string& name, EntryKind kind, win::DWORD access,
                   win::DWORD share = kShareAll);

    // Creates the file `name` new in the directory `parent` and opens it: whatever has the name
    // already, a link included, is neither opened nor followed (ERROR_ALREADY_EXISTS). The file
    // lies in the place `parent` was judged to be, whatever its path names by then.
    Outcome CreateChild(const OpenEntry& parent, const std::u16string& name, win::DWORD access, win::DWORD share);

    bool IsLink() const { return m_link; }       // a junction or symbolic link, open as itself
    bool IsDirectory() const { return m_directory; }
    win::DWORD attributes() const { return m_attributes; }  // as the handle was judged
    const std::u16string& path() const { return m_path; }
    win::HANDLE get() const { return m_handle.get(); }

    // Marks what is open for deletion; it goes when the handle is closed (see Close).
    Outcome MarkForDeletion();
    // Gives what is open the name `name` (one component) in the directory `directory`, through
    // its handle: what moves is the object judged, wherever another process has put it since.
    // A name taken is replaced only with `replace`, and then as itself, a link never followed.
    // Opened with DELETE. Fails when it stays.
    Outcome MoveInto(const OpenEntry& directory, const std::u16string& name, bool replace);
    // Gives it `attributes` (FILE_ATTRIBUTE_NORMAL for none); opened with FILE_WRITE_ATTRIBUTES.
    Outcome SetAttributes(win::DWORD attributes);
    void Close() { m_handle.reset(); }
    // Hands the open handle over to the caller, who closes it.
    win::HANDLE Release() { return m_handle.release(); }

private:
    // Reads what the handle is open on; `top` for a directory opened by its full path.
    Outcome Judge(const std::u16string& expected, bool top);

    win::ScopedHandle m_handle;
    std::u16string m_path;  // as the system names it, without "\\?\"
    bool m_link = false;
    bool m_directory = false;
    win::DWORD m_attributes = 0;
};

// Calls `visit(name, attributes)` for every entry of the directory open at `directory` but "."
// and "..", in the order the file system lists them; fails when the listing fails before its
// end. Entries may be deleted while they are listed.
template <typename Visit>
Outcome ForEachEntry(const OpenEntry& directory, Visit visit);

// Whether `handle` is open on what lies at the full path `path`, no link on the way: fails when
// it lies elsewhere or that cannot be told.
Outcome IsOpenAt(win::HANDLE handle, const std::u16string& path);

// The full path of what is open at `handle` as the system names it now (no "\\?\"); fails
// when it cannot be told (before Vista, or the object is gone).
Outcome FinalPathOf(win::HANDLE handle, std::u16string& path);

// Marks the file open at `file` (opened with DELETE) for deletion when its last handle closes.
Outcome MarkForDeletion(win::HANDLE file);

// What a deletion does with the attributes that keep a file: left as they are (a read-only file
// stays), or read-only, hidden and system taken away through the handle judged, just before it is
// marked for deletion, and given back when it stays all the same (held by a program).
enum class Protection { Respected, Cleared };

// Deletes the entry `name` of `parent` through its own handle: a file, a link as itself, or an
// empty directory. Fails when it stays; told to `context` either way.
Outcome DeleteChild(RemovalContext& context, const OpenEntry& parent, const std::u16string& name, EntryKind kind,
                 Protection protection = Protection::Respected);

// Deletes the tree open at `directory` (opened with DELETE and FILE_LIST_DIRECTORY), and the
// directory itself when it has become empty; a link is removed as itself and never entered.
// What cannot be deleted stays, and so do the directories above it. Closes `directory`. Every
// deletion is told to `context`.
void DeleteTreeOpen(RemovalContext& context, OpenEntry& directory);

// Where the directory at `path` really lies: its final path, links on the way followed, with no
// trailing backslash; `path` itself when that cannot be told (missing, or before Vista). For
// paths the machine's records name, which an administrator wrote, links and all: the removal
// then works at the place itself and judges every step against it.
std::u16string ResolvedDirectory(const std::u16string& path);

// The access a directory needs for its entries to be listed and for it to be deleted.
constexpr win::DWORD kTreeAccess = win::FILE_LIST_DIRECTORY | win::DELETE | win::FILE_READ_ATTRIBUTES | win::SYNCHRONIZE;
constexpr win::DWORD kListAccess = win::FILE_LIST_DIRECTORY | win::FILE_READ_ATTRIBUTES | win::SYNCHRONIZE;

// ---------------------------------------------------------------------------------------------

using EntryVisitor = void (*)(void* context, const std::u16string& name, win::DWORD attributes);
Outcome ForEachEntry(const OpenEntry& directory, EntryVisitor visit, void* context);

template <typename Visit>
Outcome ForEachEntry(const OpenEntry& directory, Visit visit) {
    return ForEachEntry(
        directory,
        [](void* context, const std::u16string& name, win::DWORD attributes) {
            (*static_cast<Visit*>(context))(name, attributes);
        },
        &visit);
}

}  // namespace engine::files
