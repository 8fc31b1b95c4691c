// Resource loading (USER32): the program's own string table.
#pragma once
#include "platform/types.h"

namespace win {

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size);

}  // namespace win
