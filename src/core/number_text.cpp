#include "core/number_text.h"

namespace core {

std::u16string NumberText(win::DWORD value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value);
    return digits;
}

std::u16string SignedNumberText(int value) {
    // The magnitude is taken unsigned: the most negative int has no positive counterpart.
    const win::DWORD magnitude = value < 0 ? 0u - static_cast<win::DWORD>(value) : static_cast<win::DWORD>(value);
    return value < 0 ? u"-" + NumberText(magnitude) : NumberText(magnitude);
}

}  // namespace core
