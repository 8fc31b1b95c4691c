// The bulk of an XML document's text is plain ASCII that becomes UTF-16 unit for unit. The reader
// hands such runs to AppendPlainRun, which finds where they end and widens them in one pass,
// sixteen bytes at a time where the processor allows.
#pragma once
#include <cstdint>

#include "core/xml.h"

namespace core {

enum class PlainText {
    kValue,          // attribute value: '&' and bytes from 128 end a run (the caller stops at the quote)
    kContent,        // content without folding: '<' ends a run as well
    kFoldedContent,  // folded content: also a TAB, and a space unless one more byte follows that is
                     // neither a space, a TAB nor '<' (such a space stands for itself in the text)
};

// Appends the run of plain bytes in data[from, to) that starts at from, widened, to builder and
// returns the index of the first byte not taken. An appended byte ends any unfinished UTF-8
// sequence, as feeding it would. Bytes up to `readable` (at least `to`) may be read, never
// taken: a value's run can then be scanned in whole blocks up to its closing quote.
std::int32_t AppendPlainRun(Utf16Builder& builder, const std::uint8_t* data, std::int32_t from, std::int32_t to,
                            std::int32_t readable, PlainText kind);

}  // namespace core
