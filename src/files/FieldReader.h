#pragma once

#include "files/DataRecord.h"

#include <QByteArrayView>
#include <array>
#include <functional>
#include <vector>

namespace tarnix::files {

// Reads data-file text as fields and hands them on six at a time, however the
// lines fall: a field ends at "," or at a line end (CR LF, LF or CR alone),
// so lines with too few or too many fields shift the records, and fields
// left over at the end are dropped. Blank lines carry no field. Blanks around
// a field are dropped; a field in double quotes keeps its commas. A quote
// still open at the end of its line is closed there, so one stray quote
// cannot swallow the rest of a file. A field longer than MaxFieldLength keeps
// its start only, so no file can make the reader hold more than a few
// kilobytes.
class FieldReader {
public:
    using Fields = std::array<QByteArrayView, FieldCount>;
    static constexpr std::size_t MaxFieldLength = 4096;

    explicit FieldReader(std::function<void(const Fields&)> onRecord)
        : m_onRecord(std::move(onRecord)) {}

    void feed(QByteArrayView bytes);
    // The end of the text: a last line without its line end still counts.
    void finish();

    // Reading starts after a comma rather than at a line start, as when a
    // record in the middle of a line is read again on its own.
    void startMidLine();
    // While a record is handed on: how many bytes were read up to and with
    // the comma or line end that closed it (all of them when the text ended it).
    qint64 recordEnd() const { return m_at; }

    // Lines with text that were not one whole record: not six fields, not
    // starting where a record starts, or with a quote left open.
    qint64 oddLines() const { return m_oddLines; }
    // Lines handed on in one piece rather than read field by field: nearly
    // every line a program wrote, when its chunk holds the whole line. Only
    // the reading's speed hangs on it.
    qint64 linesReadWhole() const { return m_linesReadWhole; }

private:
    void putRun(const char* from, const char* to);
    // Reads a line of six plain fields at `p`; returns where it ended, or `p`
    // when the line is not one such.
    const char* plainLine(const char* p, const char* end, const char* begin);
    const char* quotedLine(const char* p, const char* end, const char* begin);
    // Hands on the record that ends just before `q`, unless it is too long.
    const char* handOn(const Fields& views, const char* p, const char* q, const char* begin);
    void endField();
    void endLine();

    std::function<void(const Fields&)> m_onRecord;
    // Each field has MaxFieldLength bytes of its own.
    std::vector<char> m_text = std::vector<char>(FieldCount * MaxFieldLength);
    std::array<std::size_t, FieldCount> m_lengths{};
    int m_field = 0;
    bool m_lineHasText = false;  // anything since the last line end
    bool m_quoted = false;       // inside "..."
    bool m_afterQuote = false;   // the closing quote was seen; the rest is dropped
    bool m_fieldStarted = false; // a non-blank character is in the field
    bool m_lastWasCR = false;
    int m_lineFirstField = 0; // the record field the line started at
    int m_lineFields = 0;     // fields ended on this line
    bool m_lineQuoteLeftOpen = false;
    qint64 m_oddLines = 0;
    qint64 m_linesReadWhole = 0;
    qint64 m_fed = 0; // bytes fed before the current feed()
    qint64 m_at = 0;  // bytes read up to and with the current one
};

} // namespace tarnix::files
