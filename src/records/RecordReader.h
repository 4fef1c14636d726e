#pragma once

#include "records/RecordLine.h"

#include <QByteArray>
#include <QByteArrayView>
#include <functional>
#include <string>

namespace tarnix::records {

// Reads data-file text that comes in chunks, a line at a time, and judges
// each line by the record rule (RecordLine.h): a line is one record or it is
// skipped and counted, so a bad line never moves the lines after it. Any CR
// or LF ends a line, so CR LF, LF and CR alone all do, and empty lines are
// none. A line is never held longer than LongestRecordLine bytes.
class RecordReader {
public:
    // Each line with text, without its line end, and its fields when it is a
    // record (nullptr when not). A line too long to be a record comes empty.
    using OnLine = std::function<void(QByteArrayView line, const LineFields* record)>;

    explicit RecordReader(OnLine onLine) : m_onLine(std::move(onLine)) {}

    void feed(QByteArrayView bytes);
    // The end of the text: a last line without its line end still counts.
    void finish();
    // A line that began before the text fed here and is too long to be a
    // record: handed on empty, as a line this reader found too long is.
    void skipLongLine() { handOn({}, false); }

    // While a line is handed on: how many bytes were read up to and with its
    // line end (all of them when the text ended it).
    qint64 recordEnd() const { return m_at; }
    // Lines with text that were not a record.
    qint64 skippedLines() const { return m_skipped; }

private:
    void handOn(QByteArrayView line, bool record);
    // Keeps [from, to) as the next piece of a line a later chunk ends.
    void carry(const char* from, const char* to);
    void endCarriedLine();

    OnLine m_onLine;
    LineFields m_fields;
    std::string m_scratch;
    QByteArray m_carried;   // the start of a line that the next chunk ends
    bool m_tooLong = false; // the carried line grew past LongestRecordLine
    qint64 m_skipped = 0;
    qint64 m_fed = 0; // bytes fed before the current feed()
    qint64 m_at = 0;
};

} // namespace tarnix::records
