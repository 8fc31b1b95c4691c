// Feeds arbitrary bytes to ParseXml, walks the tree as the string catalogue does, and frees it.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/memory.h"
#include "core/xml.h"

namespace {

void Walk(const core::XmlElement* element) {
    core::WideString value;
    element->GetAttrValue("id", value);
    element->GetAttrValue("text", value);
    (void)element->GetTagName().GetLength();
    for (std::int32_t i = 0; i < element->CountChildren(); ++i) {
        if (const core::XmlElement* child = element->GetElement(i)) {
            Walk(child);
        } else if (const core::XmlContent* content = element->GetContent(i)) {
            if (content->text->GetLength() == 0) __builtin_trap();  // a stored chunk is never empty
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0x100000) return 0;
    // A private copy whose end ASan guards, so any read past the given size is caught.
    auto* copy = static_cast<std::uint8_t*>(core::MemAlloc(size ? size : 1));
    if (size) std::memcpy(copy, data, size);
    std::int32_t consumed = -1;
    core::XmlElement* root = core::ParseXml(copy, static_cast<std::int32_t>(size), &consumed);
    if (consumed < 0 || consumed > static_cast<std::int32_t>(size)) __builtin_trap();
    core::MemFree(copy);
    if (root) Walk(root);
    core::DeleteXmlElement(root);
    return 0;
}
