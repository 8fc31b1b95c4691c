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

bool StartsWithNoCase(const std::u16string& text, const std::u16string& prefix) {
    return text.size() >= prefix.size() && EqualNoCaseAscii(text.substr(0, prefix.size()), prefix);
}

// Characters no file or directory name may hold; ':' also names an alternate data stream.
bool IsNameCharacter(char16_t c) {
    if (c < 32) return false;
    for (char16_t bad : u"<>:\"|?*")
        if (bad && c == bad) return false;
    return true;
}

std::vector<std::u16string> SplitAtBackslashes(const std::u16string& text) {
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(u'\\'); at != std::u16string::npos; at = text.find(u'\\', start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

// Windows drops a component's trailing dots and blanks, so "Orvik Pendrel. " names "Orvik Pendrel".
std::u16string WithoutTrailingDotsAndBlanks(const std::u16string& name) {
    std::size_t length = name.size();
    while (length > 0 && (name[length - 1] == u'.' || name[length - 1] == u' ')) --length;
    return name.substr(0, length);
}


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

bool NormaliseFullPath(const std::u16string& input, std::u16string& result) {
    std::u16string path = input;
    for (char16_t& c : path)
        if (c == u'/') c = u'\\';

    // "\\?\C:\dir" and "\\?\UNC\server\share\dir" name what the path without the prefix names.
    if (StartsWithNoCase(path, u"\\\\?\\UNC\\")) path = u"\\\\" + path.substr(8);
    else if (StartsWithNoCase(path, u"\\\\?\\")) path = path.substr(4);

    std::u16string root;
    std::u16string rest;
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == u':' && path[2] == u'\\') {
        root = path.substr(0, 2);
        rest = path.substr(3);
    } else if (path.size() > 2 && path[0] == u'\\' && path[1] == u'\\') {
        // Server and share form the root; "\\.\" and "\\?\" are device paths, not shares.
        std::vector<std::u16string> parts;
        std::size_t at = 2;
        while (parts.size() < 2 && at <= path.size()) {
            std::size_t end = path.find(u'\\', at);
            if (end == std::u16string::npos) end = path.size();
            if (end > at) parts.push_back(path.substr(at, end - at));
            at = end + 1;
        }
        if (parts.size() < 2) return false;
        for (const std::u16string& part : parts) {
            if (part == u"." || part == u"?" || part == u"..") return false;
            for (char16_t c : part)
                if (!IsNameCharacter(c)) return false;
        }
        root = u"\\\\" + parts[0] + u"\\" + parts[1];
        rest = at < path.size() ? path.substr(at) : std::u16string();
    } else {
        return false;
    }

    std::vector<std::u16string> components;
    for (const std::u16string& part : SplitAtBackslashes(rest)) {
        if (part.empty() || part == u".") continue;
        if (part == u"..") {
            // Windows would stop at the root and name a directory the record never meant.
            if (components.empty()) return false;
            components.pop_back();
            continue;
        }
        const std::u16string name = WithoutTrailingDotsAndBlanks(part);
        if (name.empty()) return false;
        for (char16_t c : name)
            if (!IsNameCharacter(c)) return false;
        components.push_back(name);
    }

    std::u16string normalised = root;
    for (const std::u16string& component : components) normalised += u'\\' + component;
    if (components.empty() && root.size() == 2) normalised += u'\\';  // "C:\", never "C:"
    result = normalised;
    return true;
}

bool NameFitsPattern(const std::u16string& name, const std::u16string& pattern) {
    if (pattern == u"*" || pattern == u"*.*") return true;
    std::size_t n = 0, p = 0, starP = std::u16string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || core::FoldAscii(pattern[p]) == core::FoldAscii(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::u16string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

}  // namespace engine::files
