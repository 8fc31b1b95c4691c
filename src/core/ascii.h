// ASCII letter case, the one way the program folds it: 'A'-'Z' to 'a'-'z', every other code unit
// as it is. Windows compares file, key and driver names without regard to case, but the
// program's own comparisons of names it wrote itself only ever need the ASCII letters.
#pragma once

namespace core {

template <class Char>
constexpr Char FoldAscii(Char c) {
    return (c >= Char('A') && c <= Char('Z')) ? static_cast<Char>(c + ('a' - 'A')) : c;
}

}  // namespace core
