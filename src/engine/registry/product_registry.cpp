// The association and records steps.
#include "engine/uninstaller.h"

namespace engine {

bool Uninstaller::IsProductPdfHandler() { return false; }
void Uninstaller::RemoveFileAssociations() {}
void Uninstaller::RemoveProductRegistry() {}

}  // namespace engine
