// Numbers as the program writes them into its log, file names, command lines and the installer's
// pipe: decimal digits, no leading zeros, a minus sign before a negative number.
#pragma once
#include <string>

#include "platform/types.h"

namespace core {

std::u16string NumberText(win::DWORD value);
std::u16string SignedNumberText(int value);

}  // namespace core
