// ByteString and WideString: one pointer to a counted, reference-counted, copy-on-write buffer.
// Copies share the buffer; every write first makes it private. The empty string is a null
// pointer and costs nothing. Lengths and indexes are 32-bit signed and count characters.
#pragma once
#include <cstdint>

#include "core/memory.h"

namespace core {

struct CodePageConverter;

// A non-owning run of characters, used to compare with literals without building a string.
template <class Char>
struct Span {
    const Char* data = nullptr;
    std::int32_t length = 0;

    constexpr Span() = default;
    constexpr Span(const Char* d, std::int32_t n) : data(d), length(n) {}
    template <std::int32_t N>
    constexpr Span(const Char (&literal)[N]) : data(literal), length(N - 1) {}
};
using ByteSpan = Span<char>;
using WideSpan = Span<char16_t>;

template <class Char>
class CountedString {
public:
    // The buffer header; allocLength + 1 characters follow it, the text ending in a 0.
    struct Buffer {
        std::int32_t refs;  // below 0: not shareable (copies take the characters)
        std::int32_t length;
        std::int32_t allocLength;
        Char* Chars() { return reinterpret_cast<Char*>(this + 1); }
    };

    CountedString() = default;
    // A negative length measures up to the terminating 0; a given length is taken literally.
    CountedString(const Char* text, std::int32_t length = -1);
    explicit CountedString(Span<Char> span) : CountedString(span.data, span.length > 0 ? span.length : 0) {}
    CountedString(const CountedString& other);
    CountedString(CountedString&& other) noexcept : m_buffer(other.m_buffer) { other.m_buffer = nullptr; }
    ~CountedString() { Release(); }

    CountedString& operator=(const CountedString& other);
    CountedString& operator=(CountedString&& other) noexcept;
    CountedString& operator=(const Char* text);  // null or empty empties the string
    CountedString& operator=(Span<Char> span);   // length 0 empties the string

    std::int32_t GetLength() const { return m_buffer ? m_buffer->length : 0; }
    bool IsEmpty() const { return GetLength() == 0; }
    const Char* GetChars() const;  // never null: a static empty text for the empty string
    Span<Char> AsSpan() const { return Span<Char>(GetChars(), GetLength()); }
    void Empty();

    void AssignCopy(const Char* text, std::int32_t count);  // count at least 1
    void Append(const Char* text, std::int32_t count = -1);
    void Append(const CountedString& other) { Append(other.GetChars(), other.GetLength()); }
    void Append(Char c) { Append(&c, 1); }

    void MakeUnique();
    Char* WriteBuffer(std::int32_t minLength);
    void CommitLength(std::int32_t length = -1);  // -1: measure up to the first 0

    void SetAt(std::int32_t index, Char c);  // an index outside the text is ignored
    void Delete(std::int32_t index, std::int32_t count);  // clamped to the text
    std::int32_t Find(const Char* text, std::int32_t start = 0) const;  // -1 when absent
    std::int32_t Find(Char c, std::int32_t start = 0) const;

    bool Equals(Span<Char> span) const;
    bool Equals(const Char* text) const;  // null counts as empty
    bool Equals(const CountedString& other) const;
    // 'A'-'Z' fold to 'a'-'z' and nothing else; 0 when equal, else the difference of the first
    // folded pair that differs.
    int CompareNoCase(const Char* text) const;

    // What the buffer looks like, for tests of sharing and growth.
    std::int32_t GetAllocLength() const { return m_buffer ? m_buffer->allocLength : 0; }
    std::int32_t GetRefs() const { return m_buffer ? m_buffer->refs : 0; }
    const void* GetBufferIdentity() const { return m_buffer; }

private:
    static Buffer* NewBuffer(std::int32_t length);
    void Release() {
        if (m_buffer && --m_buffer->refs < 1) MemFree(m_buffer, 0);
    }

    Buffer* m_buffer = nullptr;
};

class WideString;

class ByteString : public CountedString<char> {
public:
    using CountedString::CountedString;
    using CountedString::operator=;
    // Converts with the converter's second routine, the default one when none is given.
    static ByteString FromWide(const WideString& text, const CodePageConverter* converter = nullptr);
};

class WideString : public CountedString<char16_t> {
public:
    using CountedString::CountedString;
    using CountedString::operator=;
    // Builds a ByteString from the bytes (a negative length measures up to the first 0) and
    // converts it with the converter's first routine, the default one when none is given.
    static WideString FromBytes(const char* bytes, std::int32_t length = -1,
                                const CodePageConverter* converter = nullptr);
};

// The length of a zero-terminated text; 0 for null.
template <class Char>
std::int32_t MeasureText(const Char* text);

}  // namespace core
