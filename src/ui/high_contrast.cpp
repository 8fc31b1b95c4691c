#include "ui/high_contrast.h"

#include "platform/window.h"

namespace ui {

bool IsHighContrastOn() {
    win::HIGHCONTRASTW contrast{sizeof(win::HIGHCONTRASTW), 0, nullptr};
    return win::SystemParametersInfoW(win::SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & win::HCF_HIGHCONTRASTON) != 0;
}

}  // namespace ui
