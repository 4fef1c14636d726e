#include "files/FieldReader.h"

#include <algorithm>

namespace tarnix::files {

namespace {
// Bytes that end a run of field text: outside quotes a comma or a line end,
// inside them also the closing quote.
struct StopTable {
    bool plain[256] = {};
    bool quoted[256] = {};
    constexpr StopTable() {
        for (const unsigned char c : {',', '\r', '\n'})
            plain[c] = true;
        for (const unsigned char c : {'"', '\r', '\n'})
            quoted[c] = true;
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

void FieldReader::feed(QByteArrayView bytes) {
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* p = begin;
    while (p < end) {
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
    std::string& field = m_fields[std::size_t(m_field)];
    const std::size_t room = MaxFieldLength - std::min(field.size(), MaxFieldLength);
    field.append(from, std::min(std::size_t(to - from), room));
}

void FieldReader::endField() {
    std::string& field = m_fields[std::size_t(m_field)];
    if (!m_quoted && !m_afterQuote)
        while (!field.empty() && (field.back() == ' ' || field.back() == '\t'))
            field.pop_back(); // trailing blanks
    m_quoted = m_afterQuote = m_fieldStarted = false;
    ++m_lineFields;
    if (++m_field < FieldCount)
        return;
    Fields views;
    for (std::size_t i = 0; i < FieldCount; ++i)
        views[i] = QByteArrayView(m_fields[i].data(), qsizetype(m_fields[i].size()));
    m_onRecord(views);
    for (auto& f : m_fields)
        f.clear();
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
    for (auto& f : m_fields)
        f.clear(); // fewer than six fields left: dropped
    m_field = 0;
    m_lineFirstField = 0;
}

} // namespace tarnix::files
