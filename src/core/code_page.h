// Conversion between byte strings in the system's ANSI code page and UTF-16 strings.
#pragma once
#include "core/strings.h"

namespace core {

struct CodePageConverter {
    WideString (*toWide)(const ByteString& bytes);
    ByteString (*toBytes)(const WideString& text);
};

// The system's ANSI code page in both directions (Windows-1252 on the simulated machine).
extern const CodePageConverter kDefaultCodePageConverter;

}  // namespace core
