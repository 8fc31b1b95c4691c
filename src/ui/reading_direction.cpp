#include "ui/reading_direction.h"

namespace ui {

namespace {

// Hebrew, Arabic, Syriac, Thaana, N'Ko, Samaritan, Mandaic and the Arabic supplements; the
// presentation forms of Hebrew and Arabic.
bool IsRightToLeftLetter(char16_t c) {
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFE);
}

// Digits, punctuation, spaces, symbols and marks take the direction of what is around them.
bool IsNeutral(char16_t c) {
    if (c < 0x80) return !((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'));
    return c <= 0x00BF || c == 0x00D7 || c == 0x00F7 || (c >= 0x0300 && c <= 0x036F) ||
           (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xD800 && c <= 0xDFFF) ||
           (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF || (c >= 0xFF00 && c <= 0xFF20);
}

}  // namespace

bool IsRightToLeftText(const std::u16string& text) {
    for (char16_t c : text) {
        if (IsRightToLeftLetter(c)) return true;
        if (!IsNeutral(c)) return false;
    }
    return false;
}

}  // namespace ui
