#include "app/run_log.h"

#include "core/number_text.h"
#include "engine/files/directory_handle.h"
#include "engine/files/file.h"
#include "engine/files/path.h"
#include "platform/files.h"
#include "platform/system.h"

namespace app {

namespace {

// Names tried when the one asked for is taken: "path", then "path.1" to "path.9".
constexpr int kNamesTried = 10;
// Lines kept before the log begins, at most: a run that never writes one keeps no more.
constexpr std::size_t kLinesKept = 20000;

}  // namespace

std::vector<char> ToUtf8(const std::u16string& text) {
    if (text.empty()) return {};
    const int size = win::WideCharToMultiByte(win::CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                              nullptr, nullptr);
    if (size <= 0) return {};
    std::vector<char> bytes(static_cast<std::size_t>(size));
    win::WideCharToMultiByte(win::CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                             nullptr);
    return bytes;
}

void RunLog::SetPath(const std::u16string& path) {
    // A path relative to where the caller works is taken from there now: the process leaves it.
    char16_t buffer[win::MAX_PATH] = {};
    const std::u16string full =
        path.empty() ? path : engine::files::FittedPath(buffer, win::GetFullPathNameW(path.c_str(), win::MAX_PATH, buffer, nullptr));
    m_path = full.empty() ? path : full;
}

bool RunLog::Create() {
    // The file is made relative to its directory, opened and judged to lie where its path says:
    // a link put on the way afterwards leads nothing elsewhere.
    const std::u16string wanted = engine::files::LongForm(m_path);
    std::u16string directoryPath, name;
    engine::files::OpenEntry directory;
    if (!engine::files::SplitEntryPath(wanted, directoryPath, name) ||
        !directory.OpenDirectory(directoryPath, engine::files::kListAccess))
        return false;
    for (int n = 0; n < kNamesTried; ++n) {
        const std::u16string suffix = n == 0 ? u"" : u"." + core::NumberText(static_cast<win::DWORD>(n));
        if (!engine::files::FitsMaxPath(wanted + suffix)) return false;
        engine::files::OpenEntry file;
        const engine::Outcome created = file.CreateChild(directory, name + suffix, win::GENERIC_WRITE, win::FILE_SHARE_READ);
        if (created) {
            m_file.reset(file.Release());
            m_written = wanted + suffix;
            return true;
        }
        const win::DWORD error = created.error();
        if (error != win::ERROR_FILE_EXISTS && error != win::ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

bool RunLog::CreateNow() { return m_file || (!m_path.empty() && Create()); }

win::HANDLE RunLog::HandOut() {
    if (!m_file || !win::SetHandleInformation(m_file.get(), win::HANDLE_FLAG_INHERIT, win::HANDLE_FLAG_INHERIT))
        return nullptr;
    return m_file.get();
}

void RunLog::Adopt(win::HANDLE file) {
    m_file.reset(file);
    if (!engine::files::FinalPathOf(file, m_path)) m_path = u"(the log the installed copy created)";
    m_written = m_path;
}

void RunLog::Begin(const std::u16string& start) {
    if (m_tried || m_path.empty()) return;
    m_tried = true;
    if (m_file || Create()) {
        Write(start);
        for (const std::u16string& line : m_kept) Write(line);
    }
    m_kept.clear();
    m_kept.shrink_to_fit();
}

void RunLog::Line(const std::u16string& text) {
    if (m_handedOver) ++m_linesAfterHandOver;
    if (m_tried) Write(text);
    else if (m_kept.size() < kLinesKept) m_kept.push_back(text);
}

void RunLog::Write(const std::u16string& text) {
    if (!m_file) return;
    std::vector<char> bytes = ToUtf8(text);
    bytes.push_back('\r');
    bytes.push_back('\n');
    win::DWORD written = 0;
    win::WriteFile(m_file.get(), bytes.data(), static_cast<win::DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace app
