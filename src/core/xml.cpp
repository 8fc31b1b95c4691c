#include "core/xml.h"

#include <cstring>
#include <new>

#include "core/code_page.h"
#include "core/memory.h"
#include "core/plain_text.h"

namespace core {

// ---------------------------------------------------------------------------------------------
// GrowBuffer and Utf16Builder

GrowBuffer::~GrowBuffer() { MemFree(data, 0); }

void GrowBuffer::Reserve(std::int32_t more) {
    if (capacity - length >= more) return;
    const std::int64_t step = growBy ? growBy : (capacity / 4 < 128 ? 128 : capacity / 4);
    const std::int64_t wanted = static_cast<std::int64_t>(length) + more + step;
    if (wanted > 0x7FFFFFFF) EndProcessOutOfMemory(g_memoryManager, 0);
    data = static_cast<std::uint8_t*>(MemRealloc(data, static_cast<std::size_t>(wanted), 0));
    capacity = static_cast<std::int32_t>(wanted);
}

void Utf16Builder::AppendUnits(const char16_t* units, std::int32_t count) {
    if (count <= 0) return;
    if (count > 0x3FFFFFFF) EndProcessOutOfMemory(g_memoryManager, 0);
    buffer.Reserve(count * 2);
    std::memcpy(buffer.data + buffer.length, units, static_cast<std::size_t>(count) * 2);
    buffer.length += count * 2;
}

void Utf16Builder::AppendCodePoint(std::uint32_t v) {
    if (v <= 0xFFFF) {
        AppendUnit(static_cast<char16_t>(v));
    } else if (v <= 0x10FFFF) {
        v -= 0x10000;
        AppendUnit(static_cast<char16_t>(0xD800 + (v >> 10)));
        AppendUnit(static_cast<char16_t>(0xDC00 + (v & 1023)));
    }
}

void Utf16Builder::FeedByte(std::uint8_t b) {
    if (b < 0x80) {
        pending = 0;
        AppendUnit(b);
    } else if (b < 0xC0) {
        if (pending == 0) return;
        --pending;
        accumulated |= static_cast<std::uint32_t>(b & 0x3F) << (6 * pending);
        if (pending == 0) AppendCodePoint(accumulated);
    } else if (b < 0xE0) {
        pending = 1;
        accumulated = static_cast<std::uint32_t>(b & 0x1F) << 6;
    } else if (b < 0xF0) {
        pending = 2;
        accumulated = static_cast<std::uint32_t>(b & 0x0F) << 12;
    } else if (b < 0xF8) {
        pending = 3;
        accumulated = static_cast<std::uint32_t>(b & 0x07) << 18;
    } else if (b < 0xFC) {
        pending = 4;
        accumulated = static_cast<std::uint32_t>(b & 0x03) << 24;
    } else if (b < 0xFE) {
        pending = 5;
        accumulated = static_cast<std::uint32_t>(b & 0x01) << 30;
    }
}

WideString Utf16Builder::ToWideString() const {
    // The buffer holds whole units from an allocator-aligned start.
    return WideString(reinterpret_cast<const char16_t*>(buffer.data), UnitCount());
}

// ---------------------------------------------------------------------------------------------
// The element tree

namespace {

template <class T>
T* NewNode() {
    return new (MemAlloc(sizeof(T), 0)) T();
}

template <class T>
void DeleteNode(T* node) {
    node->~T();
    MemFree(node, 0);
}

void DestroyByteString(void* element) { static_cast<ByteString*>(element)->~ByteString(); }
void DestroyAttribute(void* element) { static_cast<XmlAttribute*>(element)->~XmlAttribute(); }

// The declarations list: an array object and separately grown storage.
void DeleteArrayOf(BasicArray* array, void (*destroy)(void* element)) {
    if (!array) return;
    for (std::int32_t i = 0; i < array->size; ++i) destroy(array->At(i));
    array->FreeStorage();
    DeleteNode(array);
}

// An attribute list is complete when its start tag ends, so it is made as one block: the array
// object followed by exactly its entries.
static_assert(sizeof(BasicArray) % alignof(XmlAttribute) == 0, "entries follow the array object");

BasicArray* NewAttributeList(std::int32_t count) {
    const std::size_t bytes =
        sizeof(BasicArray) + CheckedByteSize(static_cast<std::size_t>(count), sizeof(XmlAttribute));
    BasicArray* list = new (MemAlloc(bytes, 0)) BasicArray(static_cast<std::int32_t>(sizeof(XmlAttribute)));
    list->data = list + 1;
    list->size = list->capacity = count;
    return list;
}

void DeleteAttributeList(BasicArray* list) {
    if (!list) return;
    for (std::int32_t i = 0; i < list->size; ++i) DestroyAttribute(list->At(i));
    list->~BasicArray();
    MemFree(list, 0);
}

// A content chunk and the holder of its text, made and freed as one block.
struct ContentNode {
    XmlContent content;
    WideString text;
};

XmlContent* NewContent(std::int32_t isCData, WideString text) {
    ContentNode* node =
        new (MemAlloc(sizeof(ContentNode), 0)) ContentNode{{isCData, nullptr}, static_cast<WideString&&>(text)};
    node->content.text = &node->text;
    return &node->content;
}

void DeleteContent(XmlContent* content) {
    content->text->~WideString();
    MemFree(content, 0);
}

std::uintptr_t ChildWord(const BasicArray& children, std::int32_t word) {
    return *static_cast<const std::uintptr_t*>(children.At(word));
}

}  // namespace

XmlElement::~XmlElement() {
    for (std::int32_t i = 0; i < CountChildren(); ++i) {
        const std::uintptr_t kind = ChildWord(children, 2 * i);
        void* child = reinterpret_cast<void*>(ChildWord(children, 2 * i + 1));
        if (kind == kXmlChildContent) {
            DeleteContent(static_cast<XmlContent*>(child));
        } else if (kind == kXmlChildElement) {
            DeleteNode(static_cast<XmlElement*>(child));
        }
    }
    children.FreeStorage();
    defaultNamespace.Empty();
    DeleteArrayOf(declarations, &DestroyByteString);
    DeleteAttributeList(attributes);
    tag.Empty();
    ns.Empty();
}

void DeleteXmlElement(XmlElement* element) {
    if (element) DeleteNode(element);
}

XmlElement* XmlElement::GetElement(std::int32_t index) const {
    if (index < 0 || index >= CountChildren() || ChildWord(children, 2 * index) != kXmlChildElement) return nullptr;
    return reinterpret_cast<XmlElement*>(ChildWord(children, 2 * index + 1));
}

const XmlContent* XmlElement::GetContent(std::int32_t index) const {
    if (index < 0 || index >= CountChildren() || ChildWord(children, 2 * index) != kXmlChildContent) return nullptr;
    return reinterpret_cast<const XmlContent*>(ChildWord(children, 2 * index + 1));
}

const XmlAttribute* XmlElement::GetAttribute(std::int32_t index) const {
    if (!attributes || index < 0 || index >= attributes->size) return nullptr;
    return static_cast<const XmlAttribute*>(attributes->At(index));
}

bool XmlElement::GetAttrValue(ByteSpan name, WideString& out) const {
    for (std::int32_t i = 0; i < CountAttributes(); ++i) {
        const XmlAttribute* attribute = GetAttribute(i);
        if (attribute->ns.IsEmpty() && attribute->name.Equals(name)) {
            out = attribute->value;
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// The parser

namespace {

enum : std::uint8_t { kSpace = 1, kNameStart = 2, kName = 4, kNameNoColon = 8 };

struct CharClasses {
    std::uint8_t table[256] = {};
    constexpr CharClasses() {
        table[32] = table[9] = table[13] = table[10] = kSpace;
        for (int c = 'a'; c <= 'z'; ++c) table[c] = kNameStart | kName;
        for (int c = 'A'; c <= 'Z'; ++c) table[c] = kNameStart | kName;
        for (int c = 160; c <= 255; ++c) table[c] = kNameStart | kName;
        table[int('_')] = table[int(':')] = kNameStart | kName;
        for (int c = '0'; c <= '9'; ++c) table[c] = kName;
        table[int('.')] = table[int('-')] = kName;
        for (int c = 0; c < 256; ++c)
            if ((table[c] & kName) && c != ':') table[c] |= kNameNoColon;
    }
};
constexpr CharClasses kClasses;

bool Is(std::uint8_t b, std::uint8_t cls) { return (kClasses.table[b] & cls) != 0; }

// A name split at its last ':'; both parts point into the document.
struct Name {
    ByteSpan prefix;
    ByteSpan local;
};

bool SpanIs(ByteSpan span, const char* literal, std::int32_t length) {
    return span.length == length && std::memcmp(span.data, literal, static_cast<std::size_t>(length)) == 0;
}

// Element and attribute names repeat throughout a document; equal names share one buffer, which
// copy-on-write makes indistinguishable from separate copies.
class NameCache {
public:
    const ByteString& Get(ByteSpan name) {
        // The length and the outer bytes tell a document's few names apart well enough; a
        // collision only costs a fresh copy.
        std::uint32_t hash = static_cast<std::uint32_t>(name.length) * 7u;
        if (name.length > 0) {
            hash += static_cast<std::uint8_t>(name.data[0]) * 3u;
            hash += static_cast<std::uint8_t>(name.data[name.length - 1]) * 5u;
            hash += static_cast<std::uint8_t>(name.data[name.length / 2]);
        }
        ByteString& slot = m_slots[hash % kSlots];
        if (!slot.Equals(name)) slot = name;
        return slot;
    }

private:
    static constexpr std::uint32_t kSlots = 64;
    ByteString m_slots[kSlots];
};

// Finds a start tag's attributes by prefix and name once there are enough of them that searching
// the list for every new one would make a long start tag cost quadratic time.
class AttributeIndex {
public:
    static constexpr std::int32_t kFromCount = 8;

    AttributeIndex() = default;
    AttributeIndex(const AttributeIndex&) = delete;
    AttributeIndex& operator=(const AttributeIndex&) = delete;
    ~AttributeIndex() { MemFree(m_slots, 0); }

    // Forgets the previous start tag's attributes.
    void Reset() {
        if (m_count) std::memset(m_slots, 0, m_capacity * sizeof(std::int32_t));
        m_count = 0;
    }
    std::int32_t Count() const { return static_cast<std::int32_t>(m_count); }
    // The list position of the attribute with that prefix and name, or -1.
    std::int32_t Find(const BasicArray& list, ByteSpan prefix, ByteSpan name) const {
        if (!m_capacity) return -1;
        for (std::uint32_t slot = Hash(prefix, name) & (m_capacity - 1);; slot = (slot + 1) & (m_capacity - 1)) {
            if (!m_slots[slot]) return -1;
            const XmlAttribute* attribute = static_cast<const XmlAttribute*>(list.At(m_slots[slot] - 1));
            if (attribute->ns.Equals(prefix) && attribute->name.Equals(name)) return m_slots[slot] - 1;
        }
    }
    void Add(const BasicArray& list, std::int32_t position) {
        if ((m_count + 1) * 2 > m_capacity) Grow(list);
        Place(list, position);
        ++m_count;
    }

private:
    static std::uint32_t Hash(ByteSpan prefix, ByteSpan name) {
        std::uint32_t hash = 2166136261u;
        for (std::int32_t i = 0; i < prefix.length; ++i) hash = (hash ^ static_cast<std::uint8_t>(prefix.data[i])) * 16777619u;
        hash = (hash ^ ':') * 16777619u;
        for (std::int32_t i = 0; i < name.length; ++i) hash = (hash ^ static_cast<std::uint8_t>(name.data[i])) * 16777619u;
        return hash;
    }
    void Place(const BasicArray& list, std::int32_t position) {
        const XmlAttribute* attribute = static_cast<const XmlAttribute*>(list.At(position));
        std::uint32_t slot = Hash(attribute->ns.AsSpan(), attribute->name.AsSpan()) & (m_capacity - 1);
        while (m_slots[slot]) slot = (slot + 1) & (m_capacity - 1);
        m_slots[slot] = position + 1;
    }
    void Grow(const BasicArray& list) {
        std::int32_t* old = m_slots;
        const std::uint32_t oldCapacity = m_capacity;
        m_capacity = oldCapacity ? oldCapacity * 2 : 32;
        m_slots = static_cast<std::int32_t*>(MemAlloc(CheckedByteSize(m_capacity, sizeof(std::int32_t)), 0));
        std::memset(m_slots, 0, m_capacity * sizeof(std::int32_t));
        for (std::uint32_t i = 0; i < oldCapacity; ++i)
            if (old[i]) Place(list, old[i] - 1);
        MemFree(old, 0);
    }

    std::int32_t* m_slots = nullptr;  // list position + 1; 0 is a free slot
    std::uint32_t m_capacity = 0;
    std::uint32_t m_count = 0;
};

class XmlParser {
public:
    XmlParser(const std::uint8_t* data, std::int32_t size) : m_data(data), m_size(size) {
        // Room for a typical value or chunk and start tag, so that they rarely need to grow.
        m_text.buffer.Reserve(kTextRoom);
        m_attributes.Resize(kAttributeRoom);
        m_attributes.size = 0;
    }
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;
    ~XmlParser() { m_attributes.FreeStorage(); }

    XmlElement* ParseElement(XmlElement* parent);
    std::int32_t Position() const { return m_pos; }

private:
    bool AtEnd() const { return m_pos >= m_size; }
    // Scanning loops work on locals: m_pos written through `this` on every byte would have to be
    // stored each time, since the document's bytes may alias it as far as the compiler knows.
    void SkipWhitespace() {
        std::int32_t pos = m_pos;
        while (pos < m_size && Is(m_data[pos], kSpace)) ++pos;
        m_pos = pos;
    }
    void StepOver() {
        if (m_pos < m_size) ++m_pos;
    }
    std::int32_t FindMarker(const char* marker, std::int32_t length) const;
    void SkipPast(const char* marker, std::int32_t length);
    Name ReadName();
    bool FindStartTag(Name& name, bool& closing);
    void ReadAttributes(XmlElement* element);
    void ReadAttributeList(XmlElement* element);
    void SetAttribute(ByteSpan prefix, const ByteString& name, WideString value);
    ByteString ReadRawValue();
    WideString ReadTextValue();
    std::uint32_t ReadReference();
    void FeedNonAscii(std::int32_t end);
    void ParseContent(XmlElement* element, bool folding);
    void ReadCData(std::int32_t& isCData);
    void StoreChunk(std::int32_t isCData);
    void PushChild(std::uintptr_t kind, const void* child);
    void TakeChildren(XmlElement* element, std::int32_t firstWord);

    static constexpr std::int32_t kTextRoom = 768;
    static constexpr std::int32_t kAttributeRoom = 8;

    const std::uint8_t* m_data;
    std::int32_t m_size;
    std::int32_t m_pos = 0;
    std::int32_t m_depth = 0;
    bool m_stopped = false;  // the depth bound was hit: every open element stops where it is
    Utf16Builder m_text;     // reused for every value and chunk, so its storage grows once
    NameCache m_names;
    AttributeIndex m_attributeIndex;
    // The start tag being read collects its attributes here; the element then gets them in one
    // block of exactly their number.
    BasicArray m_attributes{static_cast<std::int32_t>(sizeof(XmlAttribute))};
    // Child words of every open element, innermost last; an element takes its own in one block of
    // exactly their number when its content ends.
    GrowBuffer m_childWords;
};

std::int32_t XmlParser::FindMarker(const char* marker, std::int32_t length) const {
    std::int32_t at = m_pos;
    while (m_size - at >= length) {
        const void* hit = std::memchr(m_data + at, marker[0], static_cast<std::size_t>(m_size - at - length + 1));
        if (!hit) return -1;
        at = static_cast<std::int32_t>(static_cast<const std::uint8_t*>(hit) - m_data);
        if (std::memcmp(m_data + at, marker, static_cast<std::size_t>(length)) == 0) return at;
        ++at;
    }
    return -1;
}

void XmlParser::SkipPast(const char* marker, std::int32_t length) {
    const std::int32_t at = FindMarker(marker, length);
    m_pos = at < 0 ? m_size : at + length;
}

Name XmlParser::ReadName() {
    Name name;
    if (AtEnd() || !Is(m_data[m_pos], kNameStart)) return name;
    const char* bytes = reinterpret_cast<const char*>(m_data);
    std::int32_t pos = m_pos;
    std::int32_t segment = pos;
    for (;;) {
        while (pos < m_size && Is(m_data[pos], kNameNoColon)) ++pos;
        if (pos == m_size || m_data[pos] != ':') break;
        name.prefix = ByteSpan(bytes + segment, pos - segment);
        segment = ++pos;
    }
    name.local = ByteSpan(bytes + segment, pos - segment);
    m_pos = pos;
    return name;
}

bool XmlParser::FindStartTag(Name& name, bool& closing) {
    name = Name();
    closing = false;
    for (;;) {
        if (AtEnd()) return false;
        const void* open = std::memchr(m_data + m_pos, '<', static_cast<std::size_t>(m_size - m_pos));
        if (!open) {
            m_pos = m_size;
            return false;
        }
        m_pos = static_cast<std::int32_t>(static_cast<const std::uint8_t*>(open) - m_data) + 1;
        if (AtEnd()) return false;
        const std::uint8_t next = m_data[m_pos];
        if (next == '?') {
            ++m_pos;
            SkipPast("?>", 2);
        } else if (next == '!') {
            // A document type declaration is dropped with everything up to the next comment end.
            ++m_pos;
            SkipPast("-->", 3);
        } else {
            if (next == '/') {
                closing = true;
                ++m_pos;
            }
            name = ReadName();
            return true;
        }
    }
}

ByteString XmlParser::ReadRawValue() {
    const std::uint8_t quote = m_data[m_pos++];
    if (quote != '"' && quote != '\'') return ByteString();
    const std::int32_t start = m_pos;
    const void* close = std::memchr(m_data + m_pos, quote, static_cast<std::size_t>(m_size - m_pos));
    const std::int32_t end =
        close ? static_cast<std::int32_t>(static_cast<const std::uint8_t*>(close) - m_data) : m_size;
    m_pos = close ? end + 1 : m_size;
    return ByteString(ByteSpan(reinterpret_cast<const char*>(m_data) + start, end - start));
}

WideString XmlParser::ReadTextValue() {
    const std::uint8_t quote = m_data[m_pos++];
    if (quote != '"' && quote != '\'') return WideString();
    m_text.Clear();
    for (;;) {
        // A reference may run past the quote found here (a lone '&' takes everything up to the
        // next ';'), so the closing quote is looked for again after one does.
        const void* close = std::memchr(m_data + m_pos, quote, static_cast<std::size_t>(m_size - m_pos));
        const std::int32_t end =
            close ? static_cast<std::int32_t>(static_cast<const std::uint8_t*>(close) - m_data) : m_size;
        while (m_pos < end) {
            const std::uint8_t c = m_data[m_pos];
            if (c == '&') {
                // The decoder's state survives a reference inside a value.
                ++m_pos;
                m_text.AppendCodePoint(ReadReference());
            } else if (c < 0x80) {
                m_pos = AppendPlainRun(m_text, m_data, m_pos, end, m_size, PlainText::kValue);
            } else {
                FeedNonAscii(end);
            }
        }
        if (m_pos == end) {
            if (end < m_size) ++m_pos;  // the closing quote
            return m_text.ToWideString();
        }
    }
}

// Feeds the byte at m_pos, 128 or above, to the text. A two-byte sequence that is whole before
// `end` is decoded at once, with the same result as feeding its two bytes.
void XmlParser::FeedNonAscii(std::int32_t end) {
    const std::uint8_t lead = m_data[m_pos];
    if (lead >= 0xC0 && lead < 0xE0 && end - m_pos >= 2 && (m_data[m_pos + 1] & 0xC0) == 0x80) {
        const std::uint32_t codePoint =
            static_cast<std::uint32_t>(lead & 0x1F) << 6 | static_cast<std::uint32_t>(m_data[m_pos + 1] & 0x3F);
        m_text.pending = 0;
        m_text.accumulated = codePoint;
        m_text.AppendUnit(static_cast<char16_t>(codePoint));
        m_pos += 2;
        return;
    }
    m_text.FeedByte(lead);
    ++m_pos;
}

std::uint32_t XmlParser::ReadReference() {
    if (AtEnd()) return 0;
    if (m_data[m_pos] == '#') {
        ++m_pos;
        const bool hex = m_pos < m_size && m_data[m_pos] == 'x';
        if (hex) ++m_pos;
        // Arithmetic wraps as a 32-bit integer does; values past U+10FFFF append nothing.
        std::uint32_t value = 0;
        while (m_pos < m_size) {
            const std::uint8_t c = m_data[m_pos++];
            if (c == ';') break;
            if (c >= '0' && c <= '9') {
                value = value * (hex ? 16u : 10u) + (c - '0');
            } else if (hex && c >= 'a' && c <= 'f') {
                value = value * 16u + (c - 'a' + 10);
            } else if (hex && c >= 'A' && c <= 'F') {
                value = value * 16u + (c - 'A' + 10);
            }
        }
        return value;
    }
    const std::int32_t start = m_pos;
    const void* semicolon = std::memchr(m_data + m_pos, ';', static_cast<std::size_t>(m_size - m_pos));
    const std::int32_t end =
        semicolon ? static_cast<std::int32_t>(static_cast<const std::uint8_t*>(semicolon) - m_data) : m_size;
    m_pos = semicolon ? end + 1 : m_size;
    const ByteSpan name(reinterpret_cast<const char*>(m_data) + start, end - start);
    if (SpanIs(name, "gt", 2)) return '>';
    if (SpanIs(name, "lt", 2)) return '<';
    if (SpanIs(name, "amp", 3)) return '&';
    if (SpanIs(name, "apos", 4)) return '\'';
    if (SpanIs(name, "quot", 4)) return '"';
    return 0;
}

ByteString LookupPrefix(const XmlElement* element, ByteSpan prefix) {
    for (; element; element = element->parent) {
        const BasicArray* declarations = element->declarations;
        if (!declarations) continue;
        for (std::int32_t i = 0; i + 1 < declarations->size; i += 2) {
            const ByteString& declared = *static_cast<const ByteString*>(declarations->At(i));
            const ByteString& uri = *static_cast<const ByteString*>(declarations->At(i + 1));
            if (declared.Equals(prefix) && !uri.IsEmpty()) return uri;
        }
    }
    return ByteString();
}

ByteString LookupDefaultNamespace(const XmlElement* element) {
    for (; element; element = element->parent) {
        if (!element->defaultNamespace.IsEmpty()) return element->defaultNamespace;
    }
    return ByteString();
}

void AddDeclaration(XmlElement* element, ByteSpan prefix, ByteString uri) {
    if (!element->declarations) element->declarations = new (MemAlloc(sizeof(BasicArray), 0)) BasicArray(sizeof(ByteString));
    BasicArray& list = *element->declarations;
    list.Resize(list.size + 2);
    new (list.At(list.size - 2)) ByteString(prefix);
    new (list.At(list.size - 1)) ByteString(static_cast<ByteString&&>(uri));
}

// An attribute whose prefix and name are already there keeps its place and takes the new value.
void XmlParser::SetAttribute(ByteSpan prefix, const ByteString& name, WideString value) {
    BasicArray& list = m_attributes;
    std::int32_t existing = -1;
    if (list.size < AttributeIndex::kFromCount) {
        for (std::int32_t i = 0; i < list.size && existing < 0; ++i) {
            const XmlAttribute* attribute = static_cast<const XmlAttribute*>(list.At(i));
            if (attribute->ns.Equals(prefix) && attribute->name.Equals(name)) existing = i;
        }
    } else {
        if (m_attributeIndex.Count() != list.size) {
            m_attributeIndex.Reset();
            for (std::int32_t i = 0; i < list.size; ++i) m_attributeIndex.Add(list, i);
        }
        existing = m_attributeIndex.Find(list, prefix, name.AsSpan());
    }
    if (existing >= 0) {
        static_cast<XmlAttribute*>(list.At(existing))->value = static_cast<WideString&&>(value);
        return;
    }
    if (list.size < list.capacity)
        ++list.size;
    else
        list.Resize(list.size + 1);
    XmlAttribute* added = new (list.At(list.size - 1)) XmlAttribute();
    if (prefix.length) added->ns = prefix;
    added->name = name;
    added->value = static_cast<WideString&&>(value);
    if (list.size > AttributeIndex::kFromCount) m_attributeIndex.Add(list, list.size - 1);
}

void XmlParser::ReadAttributes(XmlElement* element) {
    m_attributeIndex.Reset();
    ReadAttributeList(element);
    const std::int32_t count = m_attributes.size;
    if (count == 0) return;
    BasicArray* list = NewAttributeList(count);
    for (std::int32_t i = 0; i < count; ++i) {
        XmlAttribute* collected = static_cast<XmlAttribute*>(m_attributes.At(i));
        new (list->At(i)) XmlAttribute(static_cast<XmlAttribute&&>(*collected));
        collected->~XmlAttribute();
    }
    m_attributes.size = 0;  // the storage stays for the next start tag
    element->attributes = list;
}

void XmlParser::ReadAttributeList(XmlElement* element) {
    for (;;) {
        SkipWhitespace();
        if (AtEnd() || !Is(m_data[m_pos], kNameStart)) return;
        const Name name = ReadName();
        SkipWhitespace();
        if (AtEnd() || m_data[m_pos] != '=') return;
        ++m_pos;
        SkipWhitespace();
        if (AtEnd()) return;
        const bool prefixIsXmlns = SpanIs(name.prefix, "xmlns", 5);
        if (prefixIsXmlns || SpanIs(name.local, "xmlns", 5)) {
            ByteString uri = ReadRawValue();
            if (prefixIsXmlns)
                AddDeclaration(element, name.local, static_cast<ByteString&&>(uri));
            else
                element->defaultNamespace = uri;
        } else {
            SetAttribute(name.prefix, m_names.Get(name.local), ReadTextValue());
        }
    }
}

XmlElement* XmlParser::ParseElement(XmlElement* parent) {
    if (m_depth >= kXmlMaxDepth) {
        m_stopped = true;
        return nullptr;
    }
    Name name;
    bool closing = false;
    if (!FindStartTag(name, closing) || closing || name.local.length == 0) return nullptr;

    XmlElement* element = NewNode<XmlElement>();
    element->parent = parent;
    ReadAttributes(element);

    // The element's own declarations are in place, so they apply to it and to its attributes.
    element->ns = name.prefix.length ? LookupPrefix(element, name.prefix) : LookupDefaultNamespace(element);
    element->tag = m_names.Get(name.local);
    for (std::int32_t i = 0; i < element->CountAttributes(); ++i) {
        XmlAttribute* attribute = static_cast<XmlAttribute*>(element->attributes->At(i));
        if (!attribute->ns.IsEmpty()) attribute->ns = LookupPrefix(element, attribute->ns.AsSpan());
    }

    SkipWhitespace();
    if (AtEnd()) return element;
    const std::uint8_t c = m_data[m_pos++];
    if (c == '/') {
        StepOver();
        return element;
    }
    if (c == '>') {
        ++m_depth;
        ParseContent(element, !SpanIs(name.local, "script", 6));
        --m_depth;
        return element;
    }
    DeleteXmlElement(element);
    return nullptr;
}

void XmlParser::StoreChunk(std::int32_t isCData) {
    if (m_text.UnitCount() == 0) return;
    PushChild(kXmlChildContent, NewContent(isCData, m_text.ToWideString()));
}

void XmlParser::PushChild(std::uintptr_t kind, const void* child) {
    const std::uintptr_t words[2] = {kind, reinterpret_cast<std::uintptr_t>(child)};
    m_childWords.Reserve(static_cast<std::int32_t>(sizeof words));
    std::memcpy(m_childWords.data + m_childWords.length, words, sizeof words);
    m_childWords.length += static_cast<std::int32_t>(sizeof words);
}

// Moves the child words collected from firstWord on into the element's children array.
void XmlParser::TakeChildren(XmlElement* element, std::int32_t firstWord) {
    constexpr std::int32_t kWordBytes = static_cast<std::int32_t>(sizeof(std::uintptr_t));
    const std::int32_t words = m_childWords.length / kWordBytes - firstWord;
    if (words <= 0) return;
    BasicArray& children = element->children;
    children.data = MemAlloc(CheckedByteSize(static_cast<std::size_t>(words), kWordBytes), 0);
    std::memcpy(children.data, m_childWords.data + firstWord * kWordBytes,
                static_cast<std::size_t>(words) * kWordBytes);
    children.size = children.capacity = words;
    m_childWords.length = firstWord * kWordBytes;
}

void XmlParser::ReadCData(std::int32_t& isCData) {
    const std::int32_t start = m_pos + 8;  // after "![CDATA["
    m_pos = start;
    const std::int32_t end = FindMarker("]]>", 3);
    std::int32_t length;
    if (end >= 0) {
        length = end - start;
        m_pos = end + 3;
    } else {
        length = m_size - start - 3;
        if (length < 0) length = 0;
        m_pos = m_size;
    }
    if (length > 0) {
        isCData = 1;
        // CDATA text is taken in the system's ANSI code page, not as UTF-8.
        const WideString converted = WideString::FromBytes(reinterpret_cast<const char*>(m_data) + start, length);
        m_text.pending = 0;
        m_text.AppendUnits(converted.GetChars(), converted.GetLength());
    } else {
        m_text.pending = 0;
    }
    SkipWhitespace();
}

void XmlParser::ParseContent(XmlElement* element, bool folding) {
    SkipWhitespace();
    m_text.Clear();
    const std::int32_t firstChildWord = m_childWords.length / static_cast<std::int32_t>(sizeof(std::uintptr_t));
    const PlainText plain = folding ? PlainText::kFoldedContent : PlainText::kContent;
    std::int32_t isCData = 0;
    bool spacePending = false;
    while (m_pos < m_size) {
        const std::uint8_t c = m_data[m_pos];
        if (folding && (c == ' ' || c == '\t')) {
            spacePending = true;
            ++m_pos;
        } else if (c == '<') {
            ++m_pos;
            if (AtEnd()) break;
            const std::uint8_t next = m_data[m_pos];
            if (next == '!' && m_size - m_pos >= 8 && std::memcmp(m_data + m_pos, "![CDATA[", 8) == 0) {
                ReadCData(isCData);
            } else if (next == '!') {
                ++m_pos;
                SkipPast("-->", 3);
                SkipWhitespace();
            } else if (next == '?') {
                ++m_pos;
                SkipPast("?>", 2);
                SkipWhitespace();
            } else if (next == '/') {
                // Closing tags are never matched against the start tag: nesting alone decides.
                ++m_pos;
                ReadName();
                SkipWhitespace();
                StepOver();
                break;
            } else {
                StoreChunk(isCData);
                m_text.Clear();
                isCData = 0;
                --m_pos;
                XmlElement* child = ParseElement(element);
                m_text.Clear();  // the child read its own values and text with it
                if (!child) break;
                PushChild(kXmlChildElement, child);
                if (m_stopped) break;
                SkipWhitespace();
            }
            if (m_stopped) break;
        } else if (c == '&') {
            ++m_pos;
            if (spacePending) m_text.FeedByte(' ');
            spacePending = false;
            m_text.pending = 0;
            m_text.AppendCodePoint(ReadReference());
        } else {
            if (spacePending) m_text.FeedByte(' ');
            spacePending = false;
            if (c >= 0x80) {
                FeedNonAscii(m_size);
            } else {
                m_pos = AppendPlainRun(m_text, m_data, m_pos, m_size, m_size, plain);
            }
        }
    }
    StoreChunk(isCData);
    m_text.Clear();
    TakeChildren(element, firstChildWord);
}

}  // namespace

XmlElement* ParseXml(const void* data, std::int32_t size, std::int32_t* consumed) {
    if (!data || size <= 0) {
        if (consumed) *consumed = 0;
        return nullptr;
    }
    XmlParser parser(static_cast<const std::uint8_t*>(data), size);
    XmlElement* root = parser.ParseElement(nullptr);
    if (consumed) *consumed = parser.Position();
    return root;
}

}  // namespace core
