#include "records/RecordLine.h"

#include <charconv>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnix::records {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Inline, as the next: they run six times and once for every line read.
[[gnu::always_inline]] inline QByteArrayView trimmed(const char* from, const char* to) {
    while (from < to && isBlank(*from))
        ++from;
    while (to > from && isBlank(to[-1]))
        --to;
    return QByteArrayView(from, to - from);
}

// Digits that may not fit 64 bits, read to know.
[[gnu::noinline]] bool fitsWholeNumber(const char* p, const char* end) {
    unsigned long long number = 0;
    const auto [stop, error] = std::from_chars(p, end, number);
    return p < end && error == std::errc() && stop == end;
}

// A record number: digits after an optional sign, within 64 bits.
[[gnu::always_inline]] inline bool isWholeNumber(QByteArrayView text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    if (p < end && (*p == '+' || *p == '-'))
        ++p;
    // Up to 19 digits always fit: only longer ones are read to know.
    const char* q = p;
    while (q < end && *q >= '0' && *q <= '9')
        ++q;
    if (q == end && q > p && q - p <= 19)
        return true;
    return fitsWholeNumber(p, end);
}

// A quoted field from its opening quote at `p`: where its closing quote is,
// or nullptr when it is left open or holds a control character.
const char* closingQuote(const char* p, const char* end, bool& doubled) {
    for (const char* q = p + 1; q < end; ++q) {
        if (isControl(*q))
            return nullptr;
        if (*q != '"')
            continue;
        if (q + 1 == end || q[1] != '"')
            return q;
        doubled = true;
        ++q;
    }
    return nullptr;
}

} // namespace

bool recordFields(QByteArrayView line, LineFields& fields, std::string& scratch) {
    if (line.size() > LongestRecordLine)
        return false;
    const char* p = line.data();
    const char* const end = p + line.size();
    scratch.clear();
    for (std::size_t i = 0; i < FieldCount; ++i) {
        while (p < end && isBlank(*p))
            ++p;
        if (p < end && *p == '"') {
            bool doubled = false;
            const char* const close = closingQuote(p, end, doubled);
            if (!close)
                return false;
            fields[i] = QByteArrayView(p + 1, close - p - 1);
            if (doubled) { // one quote for each "", in room that lasts the whole line
                scratch.reserve(std::size_t(line.size()));
                const std::size_t at = scratch.size();
                for (const char* c = p + 1; c < close; c += *c == '"' ? 2 : 1)
                    scratch += *c;
                fields[i] = QByteArrayView(scratch.data() + at, qsizetype(scratch.size() - at));
            }
            p = close + 1;
            while (p < end && isBlank(*p))
                ++p;
        } else {
            const char* const from = p;
            while (p < end && *p != ',') {
                if (*p == '"' || (isControl(*p) && *p != '\t'))
                    return false;
                ++p;
            }
            fields[i] = trimmed(from, p);
            if (fields[i].contains('\t'))
                return false; // only around a field is a tab a blank
        }
        // Five fields end at a comma and the sixth at the line's end.
        if (i + 1 == FieldCount)
            return p == end && isWholeNumber(fields[0]);
        if (p == end || *p != ',')
            return false;
        ++p;
    }
    return false;
}

const char* findLineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (mask)
            return p + __builtin_ctz(unsigned(mask));
    }
#endif
    while (p < end && *p != '\r' && *p != '\n')
        ++p;
    return p;
}

const char* readRecordLine(const char* p, const char* end, LineFields& fields, bool& record,
                           std::string& scratch) {
    const char* cuts[FieldCount]; // the first five commas, then the line end
    int commas = 0;
    // At a CR or LF, with only commas met: six plain fields, or no record.
    const auto plainLine = [&](const char* at) {
        record = commas == FieldCount - 1 && at - p <= LongestRecordLine;
        if (!record)
            return at;
        cuts[FieldCount - 1] = at;
        const char* from = p;
        for (std::size_t i = 0; i < FieldCount; ++i) {
            fields[i] = trimmed(from, cuts[i]);
            from = cuts[i] + 1;
        }
        record = isWholeNumber(fields[0]);
        return at;
    };
    // A quote or a control character: the line is read again by the whole rule.
    const auto otherLine = [&](const char* at) -> const char* {
        const char* const lineEnd = findLineEnd(at, end);
        if (lineEnd == end)
            return nullptr;
        record = recordFields(QByteArrayView(p, lineEnd - p), fields, scratch);
        return lineEnd;
    };
    const auto take = [&](const char* at) -> const char* {
        if (*at == '\r' || *at == '\n')
            return plainLine(at);
        if (*at != ',')
            return otherLine(at);
        if (commas < FieldCount - 1)
            cuts[commas] = at;
        ++commas;
        return nullptr;
    };
    const char* q = p;
#if defined(__SSE2__)
    // Sixteen bytes at a time: commas, quotes and control characters (CR and LF among them).
    const __m128i comma = _mm_set1_epi8(','), quote = _mm_set1_epi8('"'),
                  below = _mm_set1_epi8(0x1f), del = _mm_set1_epi8(0x7f);
    for (; end - q >= 16; q += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(v, below), v);
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, quote)),
                         _mm_or_si128(control, _mm_cmpeq_epi8(v, del)));
        for (unsigned mask = unsigned(_mm_movemask_epi8(hits)); mask != 0; mask &= mask - 1) {
            const char* const at = q + __builtin_ctz(mask);
            if (const char* lineEnd = take(at); lineEnd || *at != ',')
                return lineEnd;
        }
    }
#endif
    for (; q < end; ++q)
        if (*q == ',' || *q == '"' || isControl(*q))
            if (const char* lineEnd = take(q); lineEnd || *q != ',')
                return lineEnd;
    return nullptr;
}

} // namespace tarnix::records
