// The simulated resource section: the same string table the resource script compiles.
#include "platform/resources.h"

#include <algorithm>
#include <string>

namespace win {

namespace {
struct Entry {
    UINT id;
    const char16_t* text;
};
#define MESSAGE(id, text) {id, u##text},
const Entry kStrings[] = {
#include "ui/resources/messages.inc"
};
#undef MESSAGE
}  // namespace

int LoadStringW(HINSTANCE, UINT id, LPWSTR buffer, int size) {
    for (const Entry& e : kStrings) {
        if (e.id != id) continue;
        if (size <= 0) return 0;
        std::u16string text = e.text;
        int n = std::min<int>(static_cast<int>(text.size()), size - 1);
        std::copy(text.begin(), text.begin() + n, buffer);
        buffer[n] = 0;
        return n;
    }
    if (size > 0) buffer[0] = 0;
    return 0;
}

}  // namespace win
