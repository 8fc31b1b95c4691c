// The printer step.
#include "engine/uninstaller.h"

namespace engine {

void Uninstaller::RemovePrinter() {}

}  // namespace engine
