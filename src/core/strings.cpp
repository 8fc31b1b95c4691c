#include "core/strings.h"

#include <cstring>
#include <new>
#include <type_traits>

#include "core/ascii.h"
#include "core/code_page.h"
#include "core/memory.h"

namespace core {

namespace {

template <class Char>
const Char kEmptyText[1] = {0};

}  // namespace

template <class Char>
std::int32_t MeasureText(const Char* text) {
    if (!text) return 0;
    const Char* end = text;
    while (*end) ++end;
    return static_cast<std::int32_t>(end - text);
}

template <class Char>
typename CountedString<Char>::Buffer* CountedString<Char>::NewBuffer(std::int32_t length) {
    if (length <= 0) return nullptr;
    const std::size_t bytes =
        sizeof(Buffer) + CheckedByteSize(static_cast<std::size_t>(length) + 1, sizeof(Char));
    Buffer* buffer = static_cast<Buffer*>(MemAlloc(bytes, 0));
    buffer->refs = 1;
    buffer->length = length;
    buffer->allocLength = length;
    buffer->Chars()[length] = 0;
    return buffer;
}

template <class Char>
CountedString<Char>::CountedString(const Char* text, std::int32_t length) {
    if (length < 0) length = MeasureText(text);
    if (length == 0 || !text) return;
    m_buffer = NewBuffer(length);
    std::memcpy(m_buffer->Chars(), text, static_cast<std::size_t>(length) * sizeof(Char));
}

template <class Char>
CountedString<Char>::CountedString(const CountedString& other) {
    if (!other.m_buffer) return;
    if (other.m_buffer->refs < 0) {
        if (other.m_buffer->length > 0) AssignCopy(other.m_buffer->Chars(), other.m_buffer->length);
        return;
    }
    m_buffer = other.m_buffer;
    ++m_buffer->refs;
}

template <class Char>
CountedString<Char>& CountedString<Char>::operator=(const CountedString& other) {
    if (m_buffer == other.m_buffer) return *this;
    if (!other.m_buffer) {
        Empty();
    } else if (other.m_buffer->refs < 0 || (m_buffer && m_buffer->refs < 0)) {
        if (other.m_buffer->length > 0)
            AssignCopy(other.m_buffer->Chars(), other.m_buffer->length);
        else
            Empty();
    } else {
        Release();
        m_buffer = other.m_buffer;
        ++m_buffer->refs;
    }
    return *this;
}

template <class Char>
CountedString<Char>& CountedString<Char>::operator=(CountedString&& other) noexcept {
    if (this != &other) {
        Release();
        m_buffer = other.m_buffer;
        other.m_buffer = nullptr;
    }
    return *this;
}

template <class Char>
CountedString<Char>& CountedString<Char>::operator=(const Char* text) {
    const std::int32_t length = MeasureText(text);
    if (length == 0)
        Empty();
    else
        AssignCopy(text, length);
    return *this;
}

template <class Char>
CountedString<Char>& CountedString<Char>::operator=(Span<Char> span) {
    if (span.length <= 0 || !span.data)
        Empty();
    else
        AssignCopy(span.data, span.length);
    return *this;
}

template <class Char>
const Char* CountedString<Char>::GetChars() const {
    return m_buffer ? m_buffer->Chars() : kEmptyText<Char>;
}

template <class Char>
void CountedString<Char>::Empty() {
    Release();
    m_buffer = nullptr;
}

template <class Char>
void CountedString<Char>::AssignCopy(const Char* text, std::int32_t count) {
    if (count <= 0) {
        Empty();
        return;
    }
    if (!m_buffer || m_buffer->refs > 1 || m_buffer->refs < 0 || m_buffer->allocLength < count) {
        // The source may live in the old buffer, so it is released only after the copy.
        Buffer* fresh = NewBuffer(count);
        std::memcpy(fresh->Chars(), text, static_cast<std::size_t>(count) * sizeof(Char));
        Release();
        m_buffer = fresh;
        return;
    }
    std::memmove(m_buffer->Chars(), text, static_cast<std::size_t>(count) * sizeof(Char));
    m_buffer->length = count;
    m_buffer->Chars()[count] = 0;
}

template <class Char>
void CountedString<Char>::Append(const Char* text, std::int32_t count) {
    if (count < 0) count = MeasureText(text);
    if (count == 0 || !text) return;
    if (!m_buffer) {
        m_buffer = NewBuffer(count);
        std::memcpy(m_buffer->Chars(), text, static_cast<std::size_t>(count) * sizeof(Char));
        return;
    }
    const std::int32_t oldLength = m_buffer->length;
    if (count > 0x7FFFFFFF - oldLength) EndProcessOutOfMemory(g_memoryManager, 0);
    if (m_buffer->refs >= 0 && m_buffer->refs <= 1 && m_buffer->allocLength >= oldLength + count) {
        std::memmove(m_buffer->Chars() + oldLength, text, static_cast<std::size_t>(count) * sizeof(Char));
        m_buffer->length = oldLength + count;
        m_buffer->Chars()[oldLength + count] = 0;
        return;
    }
    Buffer* fresh = NewBuffer(oldLength + count);
    std::memcpy(fresh->Chars(), m_buffer->Chars(), static_cast<std::size_t>(oldLength) * sizeof(Char));
    std::memcpy(fresh->Chars() + oldLength, text, static_cast<std::size_t>(count) * sizeof(Char));
    Release();
    m_buffer = fresh;
}

template <class Char>
void CountedString<Char>::MakeUnique() {
    if (!m_buffer || m_buffer->refs <= 1) return;
    Buffer* old = m_buffer;
    --old->refs;
    // A buffer of length 0 (left by deleting every character) becomes the null string.
    m_buffer = NewBuffer(old->length);
    if (m_buffer) std::memcpy(m_buffer->Chars(), old->Chars(), (static_cast<std::size_t>(old->length) + 1) * sizeof(Char));
}

template <class Char>
Char* CountedString<Char>::WriteBuffer(std::int32_t minLength) {
    if (minLength < 0) minLength = 0;
    if (!m_buffer) {
        if (minLength == 0) return nullptr;
        m_buffer = NewBuffer(minLength);
        m_buffer->length = 0;
        m_buffer->Chars()[0] = 0;
        return m_buffer->Chars();
    }
    if (m_buffer->refs >= 0 && m_buffer->refs <= 1 && m_buffer->allocLength >= minLength) return m_buffer->Chars();
    const std::int32_t length = m_buffer->length;
    Buffer* fresh = NewBuffer(minLength > length ? minLength : length);
    if (!fresh) return nullptr;  // a length-0 buffer asked for 0 characters
    std::memcpy(fresh->Chars(), m_buffer->Chars(), (static_cast<std::size_t>(length) + 1) * sizeof(Char));
    fresh->length = length;
    Release();
    m_buffer = fresh;
    return m_buffer->Chars();
}

template <class Char>
void CountedString<Char>::CommitLength(std::int32_t length) {
    if (!m_buffer) return;
    MakeUnique();
    if (!m_buffer) return;
    if (length < 0) {
        const Char* chars = m_buffer->Chars();
        length = 0;
        while (length < m_buffer->allocLength && chars[length]) ++length;
    }
    if (length > m_buffer->allocLength) length = m_buffer->allocLength;
    if (length == 0) {
        Empty();
        return;
    }
    m_buffer->length = length;
    m_buffer->Chars()[length] = 0;
}

template <class Char>
void CountedString<Char>::SetAt(std::int32_t index, Char c) {
    if (!m_buffer || index < 0 || index >= m_buffer->length) return;
    MakeUnique();
    m_buffer->Chars()[index] = c;
}

template <class Char>
void CountedString<Char>::Delete(std::int32_t index, std::int32_t count) {
    if (!m_buffer) return;
    if (index < 0) index = 0;
    const std::int32_t length = m_buffer->length;
    if (count <= 0 || index >= length) return;
    if (count > length - index) count = length - index;
    MakeUnique();
    Char* chars = m_buffer->Chars();
    std::memmove(chars + index, chars + index + count,
                 (static_cast<std::size_t>(length - index - count) + 1) * sizeof(Char));
    m_buffer->length = length - count;
}

template <class Char>
std::int32_t CountedString<Char>::Find(const Char* text, std::int32_t start) const {
    if (!m_buffer || start < 0 || start > m_buffer->length) return -1;
    const std::int32_t needle = MeasureText(text);
    const std::int32_t length = m_buffer->length;
    const Char* chars = m_buffer->Chars();
    for (std::int32_t i = start; i + needle <= length; ++i) {
        if (std::memcmp(chars + i, text, static_cast<std::size_t>(needle) * sizeof(Char)) == 0) return i;
    }
    return -1;
}

template <class Char>
std::int32_t CountedString<Char>::Find(Char c, std::int32_t start) const {
    if (!m_buffer || start < 0 || start >= m_buffer->length) return -1;
    const Char* chars = m_buffer->Chars();
    for (std::int32_t i = start; i < m_buffer->length; ++i) {
        if (chars[i] == c) return i;
    }
    return -1;
}

template <class Char>
bool CountedString<Char>::Equals(Span<Char> span) const {
    if (!m_buffer) return span.length == 0;
    return m_buffer->length == span.length &&
           (span.length == 0 ||
            std::memcmp(m_buffer->Chars(), span.data, static_cast<std::size_t>(span.length) * sizeof(Char)) == 0);
}

template <class Char>
bool CountedString<Char>::Equals(const Char* text) const {
    return Equals(Span<Char>(text, MeasureText(text)));
}

template <class Char>
bool CountedString<Char>::Equals(const CountedString& other) const {
    if (!m_buffer || !other.m_buffer) return !m_buffer && !other.m_buffer;
    return Equals(other.AsSpan());
}

template <class Char>
int CountedString<Char>::CompareNoCase(const Char* text) const {
    if (!m_buffer) return (text && *text) ? -1 : 0;
    auto fold = [](Char c) -> int { return static_cast<int>(static_cast<std::make_unsigned_t<Char>>(FoldAscii(c))); };
    const Char* mine = m_buffer->Chars();
    const Char* theirs = text ? text : kEmptyText<Char>;
    for (;; ++mine, ++theirs) {
        const int a = fold(*mine);
        const int b = fold(*theirs);
        if (a != b) return a - b;
        if (a == 0) return 0;
    }
}

template class CountedString<char>;
template class CountedString<char16_t>;
template std::int32_t MeasureText<char>(const char*);
template std::int32_t MeasureText<char16_t>(const char16_t*);

ByteString ByteString::FromWide(const WideString& text, const CodePageConverter* converter) {
    return (converter ? converter : &kDefaultCodePageConverter)->toBytes(text);
}

WideString WideString::FromBytes(const char* bytes, std::int32_t length, const CodePageConverter* converter) {
    const ByteString source(bytes, length);
    return (converter ? converter : &kDefaultCodePageConverter)->toWide(source);
}

}  // namespace core
