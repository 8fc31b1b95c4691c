#include "engine/files/path.h"

#include <vector>

#include "core/ascii.h"

namespace engine::files {

bool EndsWithBackslash(const std::u16string& path) { return !path.empty() && path.back() == u'\\'; }

std::u16string WithTrailingBackslash(std::u16string path) {
    if (!EndsWithBackslash(path)) path += u'\\';
    return path;
}

std::u16string WithoutTrailingBackslash(std::u16string path) {
    if (EndsWithBackslash(path)) path.pop_back();
    return path;
}

std::u16string ToLowerAscii(std::u16string text) {
    for (char16_t& c : text) c = core::FoldAscii(c);
    return text;
}

bool EqualNoCaseAscii(const std::u16string& a, const std::u16string& b) { return ToLowerAscii(a) == ToLowerAscii(b); }

std::u16string DirectoryOf(const std::u16string& path) {
    const std::size_t cut = path.find_last_of(u'\\');
    return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut + 1);
}

std::u16string JoinPath(const std::u16string& directory, const std::u16string& name) {
    std::u16string path = directory + u'\\' + name;
    return FitsMaxPath(path) ? path : std::u16string();
}

std::u16string FittedPath(const char16_t* buffer, win::DWORD length) {
    if (length == 0 || length >= win::MAX_PATH) return std::u16string();
    return std::u16string(buffer, length);
}

namespace {

std::vector<std::u16string> Components(const std::u16string& text) {
    std::vector<std::u16string> parts;
    std::u16string part;
    for (char16_t c : text) {
        if (c == u'\\' || c == u'/') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

}  // namespace

bool IsSafeInstallDirectory(const std::u16string& path) {
    if (path.find_first_of(u"*?\"<>|") != std::u16string::npos) return false;
    std::u16string body = WithoutTrailingBackslash(path);
    std::size_t rootParts;
    if (body.size() >= 3 && IsDriveLetter(body[0]) && body[1] == u':' && body[2] == u'\\') {
        rootParts = 1;  // "C:"
    } else if (body.size() >= 2 && body[0] == u'\\' && body[1] == u'\\') {
        body = body.substr(2);
        rootParts = 2;  // server and share
    } else {
        return false;
    }
    if (body.find(u':', 2) != std::u16string::npos) return false;  // no streams, no second drive
    auto parts = Components(body);
    if (parts.size() <= rootParts) return false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto& p = parts[i];
        if (p.empty() || p == u"." || p == u"..") return false;
        // Windows drops trailing dots and blanks, so "dir. " would name "dir"'s parent forms.
        if (p.back() == u'.' || p.back() == u' ') return false;
    }
    return true;
}

bool FitsMaxPath(const std::u16string& path) { return path.size() < win::MAX_PATH; }

bool IsDriveRootOrEmpty(const std::u16string& path) {
    std::u16string body = path;
    while (!body.empty() && (body.back() == u'\\' || body.back() == u'/')) body.pop_back();
    if (body.empty()) return true;
    if (body.size() == 2 && IsDriveLetter(body[0]) && body[1] == u':') return true;
    return false;
}

bool IsRemovablePath(const std::u16string& path) { return FitsMaxPath(path) && !IsDriveRootOrEmpty(path); }

}  // namespace engine::files
