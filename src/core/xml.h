// The library's XML reader: ParseXml turns a UTF-8 document held in memory into a tree of
// XmlElement nodes in one forward pass. It is tolerant: it never reports an error, and on
// malformed input it yields no tree or a tree cut short where it lost its way. Names and
// namespace URIs stay bytes; attribute values and text are decoded into UTF-16 with character and
// entity references resolved. An XML or document type declaration is skipped, not obeyed.
#pragma once
#include <cstdint>
#include <cstring>

#include "core/basic_array.h"
#include "core/strings.h"

namespace core {

class XmlElement;

// Parses the first element found in the buffer with everything inside it and returns it as a new
// root owned by the caller (delete it with DeleteXmlElement), or null when no element could be
// read. consumed, when given, receives the position where parsing stopped. The tree holds copies
// of everything, so the buffer may be freed at once. Nesting deeper than kXmlMaxDepth ends the
// parse there and returns the tree gathered so far.
XmlElement* ParseXml(const void* data, std::int32_t size, std::int32_t* consumed = nullptr);

// Destroys the element and its whole subtree; null is ignored.
void DeleteXmlElement(XmlElement* element);

constexpr std::int32_t kXmlMaxDepth = 256;

struct XmlAttribute {
    ByteString ns;  // the prefix while the start tag is read, then the URI it resolves to
    ByteString name;
    WideString value;
};

struct XmlContent {
    std::int32_t isCData;  // 1 when the chunk holds a non-empty CDATA section
    WideString* text;      // never empty
};

// Kinds of the children list's entries: a kind word, then a pointer word.
constexpr std::uintptr_t kXmlChildElement = 1;
constexpr std::uintptr_t kXmlChildContent = 2;

class XmlElement {
public:
    XmlElement* parent = nullptr;
    ByteString ns;   // namespace URI of the element's prefix or the default namespace in force
    ByteString tag;  // local name, after the last ':'
    BasicArray* attributes = nullptr;    // of XmlAttribute; created with the first one
    BasicArray* declarations = nullptr;  // of ByteString, pairs prefix, URI
    ByteString defaultNamespace;
    BasicArray children{static_cast<std::int32_t>(sizeof(std::uintptr_t))};

    XmlElement() = default;
    XmlElement(const XmlElement&) = delete;
    XmlElement& operator=(const XmlElement&) = delete;
    ~XmlElement();

    // Elements and content chunks together.
    std::int32_t CountChildren() const { return children.size / 2; }
    // The child element at that child index; null for a content chunk or an index outside.
    XmlElement* GetElement(std::int32_t index) const;
    // The content chunk at that child index; null for an element or an index outside.
    const XmlContent* GetContent(std::int32_t index) const;
    ByteString GetTagName() const { return tag; }
    // The first attribute without namespace whose name matches byte for byte; out is left
    // unchanged when there is none.
    bool GetAttrValue(ByteSpan name, WideString& out) const;

    std::int32_t CountAttributes() const { return attributes ? attributes->size : 0; }
    const XmlAttribute* GetAttribute(std::int32_t index) const;
};

// Bytes collected with a growth step of growBy, or capacity/4 but at least 128 when growBy is 0.
struct GrowBuffer {
    std::int32_t growBy = 0;
    std::uint8_t* data = nullptr;
    std::int32_t length = 0;  // bytes in use
    std::int32_t capacity = 0;

    GrowBuffer() = default;
    GrowBuffer(const GrowBuffer&) = delete;
    GrowBuffer& operator=(const GrowBuffer&) = delete;
    ~GrowBuffer();

    void Reserve(std::int32_t more);  // room for `more` bytes after length
    void AppendByte(std::uint8_t b) {
        if (capacity - length < 1) Reserve(1);
        data[length++] = b;
    }
    void Clear() { length = 0; }  // keeps the storage
};

// Decodes UTF-8 a byte at a time into UTF-16 units, tolerating every malformed sequence.
struct Utf16Builder {
    std::int32_t pending = 0;       // continuation bytes still expected
    std::uint32_t accumulated = 0;  // bits of the code point being assembled
    GrowBuffer buffer;              // UTF-16 units; length counted in bytes

    void FeedByte(std::uint8_t b);
    // Up to U+FFFF one unit (0 and surrogates included), then a surrogate pair up to U+10FFFF;
    // larger values, and values negative as 32-bit integers, append nothing.
    void AppendCodePoint(std::uint32_t codePoint);
    void AppendUnit(char16_t unit) {
        if (buffer.capacity - buffer.length < 2) buffer.Reserve(2);
        std::memcpy(buffer.data + buffer.length, &unit, 2);
        buffer.length += 2;
    }
    void AppendUnits(const char16_t* units, std::int32_t count);
    void Clear() {
        buffer.Clear();
        pending = 0;
        accumulated = 0;
    }
    std::int32_t UnitCount() const { return buffer.length / 2; }
    WideString ToWideString() const;
};

}  // namespace core
