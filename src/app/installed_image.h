// The installed uninstaller's own file. Once the product's installer has its last code, every
// name in the install directory is the installer's: an upgrade or repair in place writes the new
// version's files there at once, `Uninstall.exe` among them. A running image cannot be deleted,
// but it can be renamed: the installed copy moves its file aside, through a handle judged as
// every removal's, into the Windows directory's Temp under a fresh name, before the installer
// can look. There it waits for the interpreter that deletes it after this process has ended: an
// administrator's file in the machine's temporary directory, which users may add to but not
// change. Where that directory lies on another volume, the file is renamed within its own
// directory instead, under a name no installer writes.
#pragma once
#include <string>

#include "engine/files/directory_handle.h"

namespace app {

// The Windows directory's Temp (no trailing backslash), or empty: the machine's, where users may
// add files but not change an administrator's.
std::u16string MachineTemporaryDirectory();

class InstalledImage {
public:
    // Moves the executable at `module` (its full path) aside; true when it no longer bears its
    // name. False, with the reason kept (Error()), when it stays: held by another process that
    // does not share its deletion, or not where its path says.
    bool StepAside(const std::u16string& module);
    // Gives it its own name again (the removal did not run). False when the name has been taken
    // meanwhile or the file cannot be moved.
    bool StepBack();

    // Lets go of the file once its deletion is handed on.
    void Release() {
        m_image.Close();
        m_directory.Close();
    }

    bool IsAside() const { return m_aside; }
    // Where it lies now, and whether that is still its own directory.
    const std::u16string& Path() const { return m_image.path(); }  // kept after Release
    bool InOwnDirectory() const { return m_inOwnDirectory; }
    win::DWORD Error() const { return m_error; }

private:
    bool MoveToMachineTemp();
    bool MoveWithinDirectory();

    engine::files::OpenEntry m_directory;  // the directory it was started from
    engine::files::OpenEntry m_image;
    std::u16string m_name;  // its own name there
    bool m_aside = false;
    bool m_inOwnDirectory = false;
    win::DWORD m_error = 0;
};

}  // namespace app
