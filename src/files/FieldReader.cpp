#include "files/FieldReader.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnix::files {

namespace {
// Bytes that end a run of field text: outside quotes a comma or a line end,
// inside them also the closing quote.
struct StopTable {
    bool plain[256] = {};
    bool quoted[256] = {};
    // For a plain line: 1 a comma, 2 a line end, 3 a byte that needs the
    // careful reading (quote, blank, tab).
    unsigned char line[256] = {};
    constexpr StopTable() {
        for (const unsigned char c : {',', '\r', '\n'})
            plain[c] = true;
        for (const unsigned char c : {'"', '\r', '\n'})
            quoted[c] = true;
        line[','] = 1;
        line['\r'] = line['\n'] = 2;
        line['"'] = line[' '] = line['\t'] = 3;
    }
};
constexpr StopTable Stops;

const char* runEnd(const char* p, const char* end, const bool (&stop)[256]) {
    while (p < end && !stop[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}
} // namespace

void FieldReader::startMidLine() {
    m_lineHasText = true;
}

// Most lines are six plain fields: no quotes, no blanks, short. Such a line
// is one record whichever way it is read, so it is handed on as it lies.
const char* FieldReader::plainLine(const char* p, const char* end, const char* begin) {
    const char* cuts[FieldCount - 1];
    int commas = 0;
    const char* q = p;
    bool stopped = false; // at a byte that ends the plain line
#if defined(__SSE2__)
    // Sixteen bytes at a time: the commas, line ends, quotes and blanks among them.
    const auto spread = [](char c) { return _mm_set1_epi8(c); };
    const __m128i comma = spread(','), cr = spread('\r'), lf = spread('\n'), quote = spread('"'),
                  blank = spread(' '), tab = spread('\t');
    while (!stopped && end - q >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
        const __m128i hits = _mm_or_si128(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, cr)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, quote))),
            _mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, tab)));
        unsigned mask = unsigned(_mm_movemask_epi8(hits));
        for (; mask != 0; mask &= mask - 1) {
            const char* at = q + __builtin_ctz(mask);
            if (*at != ',') {
                q = at;
                stopped = true;
                break;
            }
            if (commas == FieldCount - 1)
                return p;
            cuts[commas++] = at;
        }
        if (!stopped)
            q += 16;
    }
#endif
    for (; !stopped && q < end; ++q) {
        const unsigned char kind = Stops.line[static_cast<unsigned char>(*q)];
        if (kind == 0)
            continue;
        if (kind != 1)
            break;
        if (commas == FieldCount - 1)
            return p;
        cuts[commas++] = q;
    }
    if (q == end || Stops.line[static_cast<unsigned char>(*q)] != 2 || commas != FieldCount - 1 ||
        q - p > qsizetype(MaxFieldLength))
        return p;
    Fields views;
    const char* from = p;
    for (int i = 0; i < FieldCount - 1; ++i) {
        views[std::size_t(i)] = QByteArrayView(from, cuts[i] - from);
        from = cuts[i] + 1;
    }
    views[FieldCount - 1] = QByteArrayView(from, q - from);
    m_at = m_fed + (q - begin) + 1;
    m_lastWasCR = *q == '\r';
    m_onRecord(views);
    return q + 1;
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
            const char* stop = runEnd(p, end, Stops.quoted);
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
            const char* stop = runEnd(p, end, Stops.plain);
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
