// The system's high-contrast mode: while it is on, the owner-drawn controls draw in the system's
// colours instead of the product's palette.
#pragma once

namespace ui {

// Asked anew at every drawing, so that a change of mode shows at the next paint.
bool IsHighContrastOn();

}  // namespace ui
