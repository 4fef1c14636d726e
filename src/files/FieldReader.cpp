#include "files/FieldReader.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnix::files {

namespace {

// The first of a, b, c or d in [p, end), or end.
const char* findFirst(const char* p, const char* end, char a, char b, char c, char d) {
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b), vc = _mm_set1_epi8(c),
                  vd = _mm_set1_epi8(d);
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, vc), _mm_cmpeq_epi8(v, vd)));
        if (const int mask = _mm_movemask_epi8(hits))
            return p + __builtin_ctz(unsigned(mask));
    }
#endif
    while (p < end && *p != a && *p != b && *p != c && *p != d)
        ++p;
    return p;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A field without quotes: its text without the blanks around it.
QByteArrayView trimmed(const char* from, const char* to) {
    while (from < to && isBlank(*from))
        ++from;
    while (to > from && isBlank(to[-1]))
        --to;
    return QByteArrayView(from, to - from);
}

} // namespace

void FieldReader::startMidLine() {
    m_lineHasText = true;
}

// Most lines are six short fields, each plain or whole in quotes. Such a
// line is one record whichever way it is read, so it is handed on as it lies.
const char* FieldReader::plainLine(const char* p, const char* end, const char* begin) {
    // Without quotes the line's commas and its end are all there is to find.
    const char* cuts[FieldCount]; // the five commas and the line end
    int found = 0;
    const char* q = p;
    // Takes the separator at `at`; false when the line is not a plain one.
    const auto take = [&](const char* at) {
        if ((*at == ',') != (found + 1 < FieldCount) || *at == '"')
            return false;
        cuts[found++] = at;
        return true;
    };
#if defined(__SSE2__)
    // Sixteen bytes at a time, every separator among them.
    const __m128i comma = _mm_set1_epi8(','), cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'),
                  quote = _mm_set1_epi8('"');
    for (; found < FieldCount && end - q >= 16; q += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, cr)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, quote)));
        for (unsigned mask = unsigned(_mm_movemask_epi8(hits)); mask != 0 && found < FieldCount;
             mask &= mask - 1) {
            const char* at = q + __builtin_ctz(mask);
            if (*at == '"')
                return quotedLine(p, end, begin);
            if (!take(at))
                return p;
        }
    }
#endif
    for (; found < FieldCount; ++q) {
        q = findFirst(q, end, ',', '\r', '\n', '"');
        if (q == end)
            return p;
        if (*q == '"')
            return quotedLine(p, end, begin);
        if (!take(q))
            return p;
    }
    q = cuts[FieldCount - 1] + 1;
    Fields views;
    const char* from = p;
    for (std::size_t i = 0; i < FieldCount; ++i) {
        views[i] = trimmed(from, cuts[i]);
        from = cuts[i] + 1;
    }
    return handOn(views, p, q, begin);
}

// The same for a line with quotes: field by field.
const char* FieldReader::quotedLine(const char* p, const char* end, const char* begin) {
    Fields views;
    const char* q = p;
    for (std::size_t i = 0; i < FieldCount; ++i) {
        while (q < end && isBlank(*q))
            ++q;                    // leading blanks
        if (q < end && *q == '"') { // up to the closing quote; what follows it is dropped
            const char* close = findFirst(q + 1, end, '"', '\r', '\n', '"');
            if (close == end || *close != '"')
                return p; // left open
            views[i] = QByteArrayView(q + 1, close - q - 1);
            q = findFirst(close + 1, end, ',', '\r', '\n', ',');
        } else {
            const char* from = q;
            q = findFirst(q, end, ',', '\r', '\n', ',');
            views[i] = trimmed(from, q);
        }
        // Five fields end at a comma and the sixth at the line end.
        if (q == end || (*q == ',') != (i + 1 < FieldCount))
            return p;
        ++q;
    }
    return handOn(views, p, q, begin);
}

const char* FieldReader::handOn(const Fields& views, const char* p, const char* q,
                                const char* begin) {
    if (q - p > qsizetype(MaxFieldLength))
        return p; // a field may be too long: the careful reading cuts it
    m_at = m_fed + (q - begin);
    m_lastWasCR = q[-1] == '\r';
    ++m_linesReadWhole;
    m_onRecord(views);
    return q;
}

void FieldReader::feed(QByteArrayView bytes) {
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* p = begin;
    while (p < end) {
        // At a line start that is also a record start (and past any LF of a CR LF).
        if (m_field == 0 && !m_lineHasText && !(m_lastWasCR && *p == '\n')) {
            const char* next = plainLine(p, end, begin);
            if (next != p) {
                p = next;
                continue;
            }
        }
        if (m_quoted) { // everything up to the closing quote is the field's
            const char* stop = findFirst(p, end, '"', '\r', '\n', '"');
            if (stop != p) {
                putRun(p, stop);
                m_lastWasCR = false;
                p = stop;
                if (p == end)
                    break;
            }
            if (*p == '"') {
                m_quoted = false;
                m_afterQuote = true;
                m_lastWasCR = false;
                ++p;
                continue;
            }
            // The line ends the quote; the line end itself is handled below.
            m_quoted = false;
            m_afterQuote = true;
            m_lineQuoteLeftOpen = true;
        } else if (m_fieldStarted) {
            // Inside a field (or after its closing quote, where the rest is
            // dropped) only a comma or a line end matters; the line has text.
            const char* stop = findFirst(p, end, ',', '\r', '\n', ',');
            if (stop != p) {
                if (!m_afterQuote)
                    putRun(p, stop);
                m_lastWasCR = false;
                p = stop;
                if (p == end)
                    break;
            }
        }
        const char c = *p;
        m_at = m_fed + (p - begin) + 1;
        ++p;
        const bool lf = c == '\n';
        if (lf && m_lastWasCR) { // the second half of CR LF
            m_lastWasCR = false;
            continue;
        }
        m_lastWasCR = c == '\r';
        if (c == '\r' || lf) {
            if (m_lineHasText)
                endLine();
            continue;
        }
        if (c != ' ' && c != '\t')
            m_lineHasText = true; // a line of blanks is a blank line
        if (c == ',') {
            endField();
            continue;
        }
        if (m_afterQuote)
            continue;
        if (!m_fieldStarted && (c == ' ' || c == '\t'))
            continue; // leading blanks
        if (!m_fieldStarted && c == '"') {
            m_quoted = true;
            m_fieldStarted = true;
            continue;
        }
        m_fieldStarted = true;
        putRun(p - 1, p);
    }
    m_fed += bytes.size();
    m_at = m_fed;
}

void FieldReader::putRun(const char* from, const char* to) {
    std::size_t& length = m_lengths[std::size_t(m_field)];
    const std::size_t n = std::min(std::size_t(to - from), MaxFieldLength - length);
    std::memcpy(m_text.data() + std::size_t(m_field) * MaxFieldLength + length, from, n);
    length += n;
}

void FieldReader::endField() {
    std::size_t& length = m_lengths[std::size_t(m_field)];
    const char* const text = m_text.data() + std::size_t(m_field) * MaxFieldLength;
    if (!m_quoted && !m_afterQuote)
        while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\t'))
            --length; // trailing blanks
    m_quoted = m_afterQuote = m_fieldStarted = false;
    ++m_lineFields;
    if (++m_field < FieldCount)
        return;
    Fields views;
    for (std::size_t i = 0; i < FieldCount; ++i)
        views[i] = QByteArrayView(m_text.data() + i * MaxFieldLength, qsizetype(m_lengths[i]));
    m_onRecord(views);
    m_lengths = {};
    m_field = 0;
}

void FieldReader::endLine() {
    endField();
    if (m_lineFirstField != 0 || m_lineFields != FieldCount || m_lineQuoteLeftOpen)
        ++m_oddLines;
    m_lineHasText = false;
    m_lineQuoteLeftOpen = false;
    m_lineFields = 0;
    m_lineFirstField = m_field;
}

void FieldReader::finish() {
    m_at = m_fed;
    if (m_quoted) { // an unclosed quote ends with the text
        m_quoted = false;
        m_lineQuoteLeftOpen = true;
    }
    if (m_lineHasText)
        endLine();
    m_lengths = {}; // fewer than six fields left: dropped
    m_field = 0;
    m_lineFirstField = 0;
}

} // namespace tarnix::files
