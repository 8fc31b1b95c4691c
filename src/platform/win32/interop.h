// Casts between the portable platform types and the Windows SDK's. Include after the platform
// headers and <windows.h>.
#pragma once

static_assert(sizeof(wchar_t) == 2, "Windows wchar_t is UTF-16");

namespace win32 {

inline const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* W(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

template <typename To, typename From>
inline To H(From handle) { return reinterpret_cast<To>(handle); }

}  // namespace win32
