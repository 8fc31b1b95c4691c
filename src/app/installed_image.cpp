#include "app/installed_image.h"

#include "app/brief_retry.h"
#include "core/number_text.h"
#include "engine/files/path.h"
#include "platform/files.h"
#include "platform/system.h"

namespace app {

namespace {

using engine::files::EntryKind;
using engine::files::OpenEntry;

// Fresh names tried within the executable's own directory.
constexpr int kOwnDirectoryNames = 10;

}  // namespace

std::u16string MachineTemporaryDirectory() {
    char16_t buffer[win::MAX_PATH] = {};
    const std::u16string windows = engine::files::FittedPath(buffer, win::GetWindowsDirectoryW(buffer, win::MAX_PATH));
    return windows.empty() ? windows : engine::files::WithTrailingBackslash(windows) + u"Temp";
}

bool InstalledImage::StepAside(const std::u16string& module) {
    if (m_aside) return true;
    const std::u16string directory = engine::files::WithoutTrailingBackslash(engine::files::DirectoryOf(module));
    m_name = module.substr(directory.size() + 1);
    // Held for deletion and sharing only reading, from here on: nobody else renames or replaces
    // it meanwhile. A reader that holds it without sharing its deletion keeps it where it is.
    engine::Outcome held = m_directory.OpenDirectory(directory, engine::files::kListAccess);
    if (held)
        held = m_image.OpenChild(m_directory, m_name, EntryKind::File,
                                 win::DELETE | win::FILE_READ_ATTRIBUTES | win::SYNCHRONIZE, win::FILE_SHARE_READ);
    if (held && m_image.IsLink()) held = engine::Outcome::Failure(engine::files::kErrorNotTheEntryNamed);
    if (!held) {
        m_error = held.error();
        Release();
        return false;
    }
    m_aside = MoveToMachineTemp() || MoveWithinDirectory();
    if (!m_aside) Release();
    // Out of its directory, nothing of this process holds that any more: the removal may take it.
    else if (!m_inOwnDirectory) m_directory.Close();
    return m_aside;
}

bool InstalledImage::MoveToMachineTemp() {
    const std::u16string temp = MachineTemporaryDirectory();
    OpenEntry directory;
    if (temp.empty() || !directory.OpenDirectory(temp, engine::files::kListAccess)) return false;
    // The system reserves a fresh name ("orvXXXX.tmp", made new); the image takes its place, the
    // reservation itself replaced, never what a link there might lead to.
    char16_t reserved[win::MAX_PATH] = {};
    if (win::GetTempFileNameW(temp.c_str(), u"orv", 0, reserved) == 0) return false;
    reserved[win::MAX_PATH - 1] = 0;
    const std::u16string name = std::u16string(reserved).substr(engine::files::DirectoryOf(reserved).size());
    const engine::Outcome moved = m_image.MoveInto(directory, name, true);
    if (moved) return true;
    m_error = moved.error();
    OpenEntry reservation;
    if (reservation.OpenChild(directory, name, EntryKind::File, win::DELETE | win::SYNCHRONIZE) && !reservation.IsLink())
        reservation.MarkForDeletion();
    return false;
}

bool InstalledImage::MoveWithinDirectory() {
    const std::u16string stem = m_name + u"." + core::NumberText(win::GetCurrentProcessId());
    for (int n = 0; n < kOwnDirectoryNames; ++n) {
        const std::u16string name = stem + (n ? u"." + core::NumberText(static_cast<win::DWORD>(n)) : u"") + u".old";
        const engine::Outcome moved = m_image.MoveInto(m_directory, name, false);
        if (moved) {
            m_inOwnDirectory = true;
            return true;
        }
        m_error = moved.error();
        if (m_error != win::ERROR_ALREADY_EXISTS && m_error != win::ERROR_FILE_EXISTS) return false;
    }
    return false;
}

bool InstalledImage::StepBack() {
    if (!m_aside) return true;
    // The product keeps its uninstaller: a move refused for a moment (a scanner looking at the
    // file) is tried again; a name taken meanwhile is somebody's, and is left to them. The
    // directory, let go while the file was away, is opened and judged anew.
    const std::u16string directory = m_directory.path();
    const engine::Outcome back = RetryBriefly(
        kScannersMoment,
        [&] {
            const engine::Outcome opened =
                m_directory.get() ? engine::Outcome() : m_directory.OpenDirectory(directory, engine::files::kListAccess);
            return opened ? m_image.MoveInto(m_directory, m_name, false) : opened;
        },
        [](win::DWORD error) { return error != win::ERROR_ALREADY_EXISTS && error != win::ERROR_FILE_EXISTS; });
    if (!back) {
        m_error = back.error();
        return false;
    }
    m_aside = m_inOwnDirectory = false;
    Release();
    return true;
}

}  // namespace app
