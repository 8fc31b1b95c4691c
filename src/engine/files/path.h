// Path helpers shared by the removal steps.
#pragma once
#include <string>

namespace engine {

bool EndsWithBackslash(const std::u16string& path);
std::u16string WithTrailingBackslash(std::u16string path);
std::u16string WithoutTrailingBackslash(std::u16string path);  // drops one backslash at most
std::u16string ToLowerAscii(std::u16string text);              // 'A'-'Z' only
bool EqualNoCaseAscii(const std::u16string& a, const std::u16string& b);

// True for a directory that may safely be the product's install directory: a full path on a
// drive ("X:\dir...") or share ("\\server\share\dir..."), at least one directory below the
// root, with no wildcard and no "." or ".." component.
bool IsSafeInstallDirectory(const std::u16string& path);

// True when `path` fits the file functions' MAX_PATH buffers with its terminator. Longer paths
// are left alone rather than truncated into another name.
bool FitsMaxPath(const std::u16string& path);

// True when `path` names a drive root or nothing a removal may touch ("", "\", "C:", "C:\").
bool IsDriveRootOrEmpty(const std::u16string& path);

}  // namespace engine
