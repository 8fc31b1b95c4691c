// Shortcuts and program files.
#include "engine/uninstaller.h"

namespace engine {

void RemoveDesktopShortcuts() {}
void Uninstaller::RemoveQuickLaunchShortcut() {}
void Uninstaller::RemoveStartMenuFolder() {}
void Uninstaller::RemoveProgramFiles() {}

}  // namespace engine
