#include "platform/resources.h"

#include <windows.h>

#include "platform/win32/interop.h"

namespace win {

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size) {
    return ::LoadStringW(win32::H<::HINSTANCE>(instance), id, win32::W(buffer), size);
}

}  // namespace win
