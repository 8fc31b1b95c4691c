// The rules of paths as text: backslashes, letter case, lengths, roots, and which directory may
// be the product's. No call into the file system here; the checked operations that use these
// rules are in file.h and directory_tree.h.
#pragma once
#include <string>

#include "platform/types.h"

namespace engine::files {

bool EndsWithBackslash(const std::u16string& path);
std::u16string WithTrailingBackslash(std::u16string path);
std::u16string WithoutTrailingBackslash(std::u16string path);  // drops one backslash at most
std::u16string ToLowerAscii(std::u16string text);              // 'A'-'Z' only
bool EqualNoCaseAscii(const std::u16string& a, const std::u16string& b);

// The directory part of `path` with its trailing backslash; empty when there is none.
std::u16string DirectoryOf(const std::u16string& path);

// "directory\name" when it fits in a path; empty otherwise, so that nothing shortened is ever
// named.
std::u16string JoinPath(const std::u16string& directory, const std::u16string& name);

// Text a Win32 call wrote into a MAX_PATH buffer, or empty when it failed or did not fit: such
// calls return 0 on failure and the length they need (or the full size) when too long.
std::u16string FittedPath(const char16_t* buffer, win::DWORD length);

// The full path Windows makes of `path`: "/" read as "\", runs of separators collapsed, "."
// dropped, ".." taking away the component before it, trailing dots and blanks of every component
// dropped, and a "\\?\" prefix before a drive path or "UNC\" taken off. The result has no trailing
// backslash, except a drive root ("C:\"); a share root is "\\server\share".
// False (and `normalised` untouched) when `path` is not a full drive or UNC path ("C:dir",
// "\dir", "dir", device paths), when ".." would climb above its root, or when a component holds
// a wildcard, a stream colon or another character no file name may hold, or consists of dots and
// blanks alone. Installers have stored the product's directory in all of these spellings.
bool NormaliseFullPath(const std::u16string& path, std::u16string& normalised);

// True for a directory that may safely be the product's install directory: a full path on a
// drive ("X:\dir...") or share ("\\server\share\dir..."), at least one directory below the
// root, with no wildcard and no "." or ".." component.
bool IsSafeInstallDirectory(const std::u16string& path);

// True when `path` fits the file functions' MAX_PATH buffers with its terminator. Longer paths
// are left alone rather than truncated into another name.
bool FitsMaxPath(const std::u16string& path);

// True when `path` names a drive root or nothing a removal may touch ("", "\", "C:", "C:\").
bool IsDriveRootOrEmpty(const std::u16string& path);

// The rule every removal keeps: the path fits MAX_PATH and is no drive root.
bool IsRemovablePath(const std::u16string& path);

// Whether the long name `name` itself fits `pattern` ("*.pdf", "*.*"), without regard to ASCII
// case. The file system also matches patterns against 8.3 aliases, so "*.pdf" finds
// "Notes.pdfx" through "NOTES~1.PDF"; only what a pattern really names may count as named.
bool NameFitsPattern(const std::u16string& name, const std::u16string& pattern);

}  // namespace engine::files
