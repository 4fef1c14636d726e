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

#if defined(__SSE2__)
namespace {

// The line at `p`, when it ends within its first 64 bytes at a CR or LF met
// before any quote or other control character: where it ends, with `record`
// and `fields` set as the whole rule sets them. Nothing for every other line.
// Reads 64 bytes from `p`. Its commas, blanks and digits come as masks, a
// bit a byte, so that a line costs a few steps, not one for each byte.
[[gnu::always_inline]] inline const char* shortPlainLine(const char* p, LineFields& fields,
                                                        bool& record) {
    const __m128i comma = _mm_set1_epi8(','), quote = _mm_set1_epi8('"'), space = _mm_set1_epi8(' '),
                  zero = _mm_set1_epi8('0'), nine = _mm_set1_epi8(9),
                  below = _mm_set1_epi8(0x1f), del = _mm_set1_epi8(0x7f);
    const auto mask = [](__m128i hits) { return quint64(unsigned(_mm_movemask_epi8(hits))); };
    quint64 commas = 0, spaces = 0, digits = 0;
    int at = -1;
    for (int block = 0; block < 64; block += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + block));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(v, below), v);
        const __m128i digit = _mm_sub_epi8(v, zero);
        const quint64 other = mask(
            _mm_or_si128(_mm_or_si128(control, _mm_cmpeq_epi8(v, del)), _mm_cmpeq_epi8(v, quote)));
        commas |= mask(_mm_cmpeq_epi8(v, comma)) << block;
        spaces |= mask(_mm_cmpeq_epi8(v, space)) << block;
        digits |= mask(_mm_cmpeq_epi8(_mm_min_epu8(digit, nine), digit)) << block;
        if (other != 0) {
            at = block + __builtin_ctzll(other);
            break;
        }
    }
    if (at < 0 || (p[at] != '\r' && p[at] != '\n'))
        return nullptr;
    const quint64 line = (quint64(1) << at) - 1;
    const bool blanks = (spaces & line) != 0;
    // Exactly five commas before the line end, taken lowest first.
    quint64 left = commas & line;
    record = false;
    const char* from = p;
    for (std::size_t i = 0; i + 1 < FieldCount; ++i) {
        if (left == 0)
            return p + at;
        const char* const cut = p + __builtin_ctzll(left);
        left &= left - 1;
        fields[i] = blanks ? trimmed(from, cut) : QByteArrayView(from, cut - from);
        from = cut + 1;
    }
    if (left != 0)
        return p + at;
    fields[FieldCount - 1] = blanks ? trimmed(from, p + at) : QByteArrayView(from, p + at - from);
    // The record number: its digits' bits all set, after an optional sign.
    const QByteArrayView number = fields[0];
    const int sign = !number.isEmpty() && (number[0] == '+' || number[0] == '-');
    const qsizetype first = number.data() - p + sign, count = number.size() - sign;
    if (count < 1 || count > 19) {
        record = isWholeNumber(number);
        return p + at;
    }
    const quint64 wanted = ((quint64(1) << count) - 1) << first;
    record = (digits & wanted) == wanted;
    return p + at;
}

} // namespace
#endif

const char* readRecordLine(const char* p, const char* end, LineFields& fields, bool& record,
                           std::string& scratch) {
#if defined(__SSE2__)
    if (end - p >= 64)
        if (const char* const lineEnd = shortPlainLine(p, fields, record))
            return lineEnd;
#endif
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
