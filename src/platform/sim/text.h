// Text helpers of the simulated Windows: UTF-16 <-> UTF-8 for logs and tests, and the
// case-insensitive comparison that registry and file names use.
#pragma once
#include <string>

namespace sim {

std::string Narrow(const std::u16string& text);
std::u16string Widen(const std::string& text);
std::u16string FromPtr(const char16_t* text);  // null gives empty
char16_t FoldCase(char16_t c);                 // 'a'-'z' to upper case, as the file system compares
bool EqualNoCase(const std::u16string& a, const std::u16string& b);
bool LessNoCase(const std::u16string& a, const std::u16string& b);
// Copies text plus terminator into a buffer of `capacity` units; returns false (and writes
// nothing) when it does not fit.
bool CopyOut(const std::u16string& text, char16_t* buffer, std::size_t capacity);

}  // namespace sim
