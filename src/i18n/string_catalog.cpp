#include "i18n/string_catalog.h"


#include "core/memory.h"
#include "core/number_text.h"
#include "core/xml.h"
#include "i18n/language_table.h"
#include "platform/files.h"
#include "platform/resources.h"
#include "platform/scoped.h"
#include "platform/system.h"

namespace i18n {

namespace {

// The whole file parsed, or null when it cannot be opened, read or parsed.
core::XmlElement* ReadLanguageFile(const std::u16string& path) {
    const win::ScopedFile file(win::CreateFileW(path.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ, nullptr,
                                                win::OPEN_EXISTING, win::FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    core::XmlElement* root = nullptr;
    win::DWORD high = 0;
    const win::DWORD size = win::GetFileSize(file.get(), &high);
    if (size != win::INVALID_FILE_SIZE && high == 0 && size > 0 && size <= kMaxLanguageFileSize) {
        void* buffer = core::MemAlloc(size);
        win::DWORD read = 0;
        if (win::ReadFile(file.get(), buffer, size, &read, nullptr) && read > 0 && read <= size)
            root = core::ParseXml(buffer, static_cast<std::int32_t>(read));
        core::MemFree(buffer);
    }
    return root;
}

bool IsSection(const core::XmlElement* element, core::ByteSpan section) { return element->tag.Equals(section); }

}  // namespace

StringCatalog::~StringCatalog() {
    core::DeleteXmlElement(m_root);
    m_root = nullptr;
}

void StringCatalog::LoadCatalog(win::WORD languageId, const std::u16string& installPath) {
    core::DeleteXmlElement(m_root);
    m_root = nullptr;
    // Without an install directory there is no language file: a path formed from nothing would
    // be relative to whatever the current directory is.
    if (installPath.empty()) return;
    // A record stored without its trailing backslash still names the install directory.
    const std::u16string directory = installPath.back() == u'\\' ? installPath : installPath + u'\\';
    m_root = ReadLanguageFile(directory + u"lang\\" + LanguageFileName(languageId));
}

std::u16string StringCatalog::GetString(unsigned id) const {
    if (m_root) {
        const std::u16string digits = core::NumberText(id);
        const core::WideString key(digits.data(), static_cast<std::int32_t>(digits.size()));
        const core::WideString text = FindStringEntry(m_root, "Strings", key);
        if (!text.IsEmpty()) return std::u16string(text.GetChars(), static_cast<std::size_t>(text.GetLength()));
    }
    return BuiltInText(id);
}

core::WideString FindStringEntry(const core::XmlElement* root, core::ByteSpan section, const core::WideString& key) {
    if (!root) return core::WideString();
    const core::XmlElement* strings = nullptr;
    for (std::int32_t i = 0; i < root->CountChildren() && !strings; ++i) {
        const core::XmlElement* child = root->GetElement(i);
        if (child && IsSection(child, section)) strings = child;
    }
    if (!strings) return core::WideString();
    for (std::int32_t i = 0; i < strings->CountChildren(); ++i) {
        const core::XmlElement* entry = strings->GetElement(i);
        if (!entry) continue;
        core::WideString id;
        entry->GetAttrValue("id", id);
        if (id.CompareNoCase(key.GetChars()) != 0) continue;
        core::WideString text;
        entry->GetAttrValue("text", text);
        return UnescapeText(text);
    }
    return core::WideString();
}

core::WideString UnescapeText(core::WideString text) {
    // One pass gives what restarting the search from the start after each escape gives: the TAB
    // or line feed an escape leaves behind is never a backslash, so it cannot start another.
    const std::int32_t first = text.Find(u'\\', 0);
    if (first < 0) return text;
    const std::int32_t length = text.GetLength();
    const char16_t* in = text.GetChars();
    core::WideString result;
    char16_t* out = result.WriteBuffer(length);
    std::int32_t written = 0;
    std::int32_t i = 0;
    while (i < length) {
        if (in[i] == u'\\' && i + 1 < length && (in[i + 1] == u't' || in[i + 1] == u'n')) {
            out[written++] = in[i + 1] == u't' ? u'\t' : u'\n';
            i += 2;
        } else if (in[i] == u'\\') {
            break;  // any other escape ends the processing; the rest stays as it is
        } else {
            out[written++] = in[i++];
        }
    }
    while (i < length) out[written++] = in[i++];
    result.CommitLength(written);
    return result;
}

std::u16string BuiltInText(unsigned id) {
    char16_t buffer[1024];
    int length = win::LoadStringW(nullptr, id, buffer, 1024);
    if (length < 0) length = 0;
    if (length > 1023) length = 1023;
    return std::u16string(buffer, static_cast<std::size_t>(length));
}

}  // namespace i18n
