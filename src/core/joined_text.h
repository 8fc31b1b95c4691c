// Texts joined when the program is compiled, so that a name written once can be part of several
// longer ones (a key below the product's key, a class identifier's key in the classes) without
// being spelled out again.
#pragma once
#include <array>
#include <cstddef>
#include <iterator>

namespace core {

// `Joined<a, b, ...>::kText` holds the characters of a, then b, ..., and a terminator. Each part
// is a terminated char16_t array: a literal's constant, or another Joined's kText.
template <const auto&... parts>
struct Joined {
    static constexpr std::size_t kLength = (std::size_t{0} + ... + (std::size(parts) - 1));

    static constexpr std::array<char16_t, kLength + 1> Join() {
        std::array<char16_t, kLength + 1> text{};
        std::size_t at = 0;
        const auto append = [&text, &at](const auto& part) {
            for (std::size_t i = 0; i + 1 < std::size(part); ++i) text[at++] = part[i];
        };
        (append(parts), ...);
        return text;
    }

    static constexpr std::array<char16_t, kLength + 1> kText = Join();
};

// The joined text, used as a literal is.
template <const auto&... parts>
inline constexpr const char16_t* kJoined = Joined<parts...>::kText.data();

}  // namespace core
