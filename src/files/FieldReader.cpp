#include "files/FieldReader.h"

namespace tarnix::files {

void FieldReader::feed(QByteArrayView bytes) {
    for (const char c : bytes) {
        if (m_quoted) { // everything up to the closing quote is the field's
            if (c == '\r' || c == '\n') {
                // The line ends the quote; the line end itself is handled below.
                m_quoted = false;
                m_afterQuote = true;
                m_lineQuoteLeftOpen = true;
            } else {
                if (c == '"') {
                    m_quoted = false;
                    m_afterQuote = true;
                } else {
                    put(c);
                }
                m_lastWasCR = false;
                continue;
            }
        }
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
        put(c);
    }
}

void FieldReader::put(char c) {
    std::string& field = m_fields[std::size_t(m_field)];
    if (field.size() < MaxFieldLength)
        field.push_back(c);
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
