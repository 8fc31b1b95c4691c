#include "core/plain_text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace core {

namespace {

bool EndsFold(std::uint8_t b) { return b == ' ' || b == '\t' || b == '<'; }

template <PlainText kKind>
bool IsPlain(const std::uint8_t* data, std::int32_t at, std::int32_t to) {
    const std::uint8_t b = data[at];
    if (b >= 0x80 || b == '&') return false;
    if (kKind == PlainText::kValue) return true;
    if (b == '<') return false;
    if (kKind == PlainText::kContent) return true;
    if (b == '\t') return false;
    return b != ' ' || (at + 1 < to && !EndsFold(data[at + 1]));
}

#if defined(__SSE2__)
unsigned Matches(__m128i bytes, char c) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
}

// One bit per byte of the sixteen: set where the run must stop.
template <PlainText kKind>
unsigned StopMask(__m128i bytes) {
    const unsigned stop = static_cast<unsigned>(_mm_movemask_epi8(bytes)) | Matches(bytes, '&');
    if (kKind == PlainText::kValue) return stop;
    const unsigned open = Matches(bytes, '<');
    if (kKind == PlainText::kContent) return stop | open;
    const unsigned tab = Matches(bytes, '\t');
    const unsigned space = Matches(bytes, ' ');
    // The last byte's successor is not among the sixteen, so a space there stops the run for now.
    const unsigned spaceBeforeFoldEnd = space & (((space | tab | open) >> 1) | 0x8000u);
    return stop | open | tab | spaceBeforeFoldEnd;
}
#endif

template <PlainText kKind>
std::int32_t AppendRun(Utf16Builder& builder, const std::uint8_t* data, std::int32_t from, std::int32_t to,
                       [[maybe_unused]] std::int32_t readable) {
    // A folded space depends on the byte after it, which must then belong to the run's range.
    if (kKind == PlainText::kFoldedContent) readable = to;
    std::int32_t at = from;
    for (;;) {
#if defined(__SSE2__)
        if (at < to && readable - at >= 16) {
            GrowBuffer& buffer = builder.buffer;
            // All sixteen bytes are widened and stored; only the units of the run are kept.
            if (buffer.capacity - buffer.length < 32) buffer.Reserve(32);
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
            const __m128i zero = _mm_setzero_si128();
            std::uint8_t* out = buffer.data + buffer.length;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi8(bytes, zero));
            unsigned stop = StopMask<kKind>(bytes);
            if (to - at < 16) stop |= ~0u << (to - at);  // bytes from `to` on are only looked at
            const std::int32_t taken = stop ? __builtin_ctz(stop) : 16;
            buffer.length += 2 * taken;
            at += taken;
            if (taken == 16) continue;
        }
#endif
        if (at >= to || !IsPlain<kKind>(data, at, to)) break;
        builder.AppendUnit(data[at]);
        ++at;
    }
    if (at > from) builder.pending = 0;
    return at;
}

}  // namespace

std::int32_t AppendPlainRun(Utf16Builder& builder, const std::uint8_t* data, std::int32_t from, std::int32_t to,
                            std::int32_t readable, PlainText kind) {
    switch (kind) {
        case PlainText::kValue:
            return AppendRun<PlainText::kValue>(builder, data, from, to, readable);
        case PlainText::kContent:
            return AppendRun<PlainText::kContent>(builder, data, from, to, readable);
        case PlainText::kFoldedContent:
            break;
    }
    return AppendRun<PlainText::kFoldedContent>(builder, data, from, to, readable);
}

}  // namespace core
