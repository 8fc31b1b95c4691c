#include "core/code_page.h"

#include "platform/system.h"

namespace core {

namespace {

// Both directions measure first and then convert into a buffer of exactly the measured size.
WideString AnsiToWide(const ByteString& bytes) {
    WideString result;
    if (bytes.IsEmpty()) return result;
    const int units = win::MultiByteToWideChar(win::CP_ACP, 0, bytes.GetChars(), bytes.GetLength(), nullptr, 0);
    if (units <= 0) return result;
    char16_t* out = result.WriteBuffer(units);
    const int written = win::MultiByteToWideChar(win::CP_ACP, 0, bytes.GetChars(), bytes.GetLength(), out, units);
    result.CommitLength(written > 0 ? written : 0);
    return result;
}

ByteString WideToAnsi(const WideString& text) {
    ByteString result;
    if (text.IsEmpty()) return result;
    const int bytes =
        win::WideCharToMultiByte(win::CP_ACP, 0, text.GetChars(), text.GetLength(), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return result;
    char* out = result.WriteBuffer(bytes);
    const int written =
        win::WideCharToMultiByte(win::CP_ACP, 0, text.GetChars(), text.GetLength(), out, bytes, nullptr, nullptr);
    result.CommitLength(written > 0 ? written : 0);
    return result;
}

}  // namespace

const CodePageConverter kDefaultCodePageConverter = {&AnsiToWide, &WideToAnsi};

}  // namespace core
