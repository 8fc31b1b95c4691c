#include "engine/files/file.h"

#include "engine/files/directory_handle.h"
#include "engine/files/path.h"
#include "engine/removal_report.h"
#include "platform/scoped.h"
#include "platform/system.h"

namespace engine::files {

bool MayExist(const std::u16string& path) {
    return win::GetFileAttributesW(path.c_str()) != win::INVALID_FILE_ATTRIBUTES || !IsAbsence(win::GetLastError());
}

std::u16string LongForm(const std::u16string& path) {
    // Only a name with a tilde can be an 8.3 alias; any other keeps its spelling.
    if (path.find(u'~') == std::u16string::npos) return path;
    char16_t buffer[win::MAX_PATH];
    const std::u16string longPath = FittedPath(buffer, win::GetLongPathNameW(path.c_str(), buffer, win::MAX_PATH));
    return longPath.empty() ? path : longPath;
}

bool SplitEntryPath(const std::u16string& path, std::u16string& directory, std::u16string& name) {
    const std::size_t cut = path.find_last_of(u'\\');
    if (cut == std::u16string::npos || cut + 1 == path.size() || cut < 2) return false;
    // "C:\name" lies in the root, "C:\"; "C:name" is no full path.
    directory = path.substr(0, cut == 2 && path[1] == u':' ? 3 : cut);
    name = path.substr(cut + 1);
    return true;
}

namespace {

Outcome DeleteFileThroughItsDirectory(RemovalContext& context, const std::u16string& path, Protection protection) {
    std::u16string directory, name;
    if (!IsRemovablePath(path) || !SplitEntryPath(LongForm(path), directory, name))
        return Outcome::Failure(win::ERROR_INVALID_NAME);
    OpenEntry parent;
    const Outcome opened = parent.OpenDirectory(directory, kListAccess);
    if (opened) return DeleteChild(context, parent, name, EntryKind::File, protection);
    context.ReportRemoval(u"file " + path, opened);
    return opened;
}

}  // namespace

Outcome DeleteProductFile(RemovalContext& context, const std::u16string& path) {
    return DeleteFileThroughItsDirectory(context, path, Protection::Respected);
}

Outcome DeleteProgramFile(RemovalContext& context, const std::u16string& path) {
    return DeleteFileThroughItsDirectory(context, path, Protection::Cleared);
}

bool DeleteNowOrAtRestart(RemovalContext& context, const std::u16string& path) {
    if (!IsRemovablePath(path)) return false;
    const Outcome deleted = DeleteProductFile(context, path);
    if (deleted) return true;
    // A file that is missing, or refused as a link or as lying elsewhere, is nothing of the
    // product's to schedule; any other that stays goes at the restart.
    const win::DWORD error = deleted.error();
    if (!IsAbsence(error) && error != kErrorNotTheEntryNamed)
        if (win::MoveFileExW(path.c_str(), nullptr, win::MOVEFILE_REPLACE_EXISTING | win::MOVEFILE_DELAY_UNTIL_REBOOT)) {
            context.scheduledAtRestart.push_back(path);
            context.ReportScheduledAtRestart(u"file " + path);
        }
    return false;
}

bool ListDirectory(const std::u16string& directory, std::vector<ListedEntry>& entries) {
    entries.clear();
    const std::u16string pattern = WithTrailingBackslash(directory) + u"*";
    if (directory.empty() || !FitsMaxPath(pattern)) return false;
    win::WIN32_FIND_DATAW entry;
    const win::ScopedSearch search(win::FindFirstFileW(pattern.c_str(), &entry));
    if (!search) return false;
    do {
        std::size_t length = 0;
        while (length < win::MAX_PATH && entry.cFileName[length]) ++length;
        std::u16string name(entry.cFileName, length);
        if (name == u"." || name == u"..") continue;
        entries.push_back({std::move(name), (entry.dwFileAttributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (win::FindNextFileW(search.get(), &entry));
    return true;
}

bool FindFirstEntry(const std::u16string& pattern, win::WIN32_FIND_DATAW* found) {
    win::WIN32_FIND_DATAW entry;
    const win::ScopedSearch search(win::FindFirstFileW(pattern.c_str(), &entry));
    if (!search) return false;
    if (found) *found = entry;
    return true;
}

}  // namespace engine::files
