// The add-on step.
#include "engine/uninstaller.h"

namespace engine {

void Uninstaller::RemoveAddOns() {}

}  // namespace engine
