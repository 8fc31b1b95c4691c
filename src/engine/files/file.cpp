#include "engine/files/file.h"

#include "engine/files/path.h"
#include "platform/scoped.h"
#include "platform/system.h"

namespace engine::files {

bool DeleteProductFile(const std::u16string& path) {
    if (!IsRemovablePath(path)) return false;
    return win::DeleteFileW(path.c_str()) != 0;
}

bool DeleteNowOrAtRestart(const std::u16string& path) {
    if (!IsRemovablePath(path)) return false;
    if (win::DeleteFileW(path.c_str())) return true;
    const win::DWORD error = win::GetLastError();
    if (error != win::ERROR_FILE_NOT_FOUND && error != win::ERROR_PATH_NOT_FOUND)
        win::MoveFileExW(path.c_str(), nullptr, win::MOVEFILE_REPLACE_EXISTING | win::MOVEFILE_DELAY_UNTIL_REBOOT);
    return false;
}

bool FindFirstEntry(const std::u16string& pattern, win::WIN32_FIND_DATAW* found) {
    win::WIN32_FIND_DATAW entry;
    const win::ScopedSearch search(win::FindFirstFileW(pattern.c_str(), &entry));
    if (!search) return false;
    if (found) *found = entry;
    return true;
}

}  // namespace engine::files
