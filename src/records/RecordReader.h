#pragma once

#include "records/RecordLine.h"

#include <QByteArray>
#include <QByteArrayView>
#include <algorithm>
#include <functional>
#include <string>

namespace tarnix::records {

// Reads data-file text that comes in chunks, a line at a time, and judges
// each line by the record rule (RecordLine.h): a line is one record or it is
// skipped and counted, so a bad line never moves the lines after it. Any CR
// or LF ends a line, so CR LF, LF and CR alone all do, and empty lines are
// none. A line is never held longer than LongestRecordLine bytes.
// `Take` is called with each line with text, without its line end, and its
// fields when it is a record (nullptr when not); a line too long to be a
// record comes empty. Readers of whole files give it as a lambda, so that
// the call for each line is made in place.
template <class Take>
class BasicRecordReader {
public:
    using OnLine = Take;

    explicit BasicRecordReader(Take onLine) : m_onLine(std::move(onLine)) {}

    void feed(QByteArrayView bytes);
    // The end of the text: a last line without its line end still counts.
    void finish() {
        m_at = m_fed;
        if (!m_carried.isEmpty() || m_tooLong)
            endCarriedLine();
    }
    // A line that began before the text fed here and is too long to be a
    // record: handed on empty, as a line this reader found too long is.
    void skipLongLine() { handOn({}, false); }

    // While a line is handed on: how many bytes were read up to and with its
    // line end (all of them when the text ended it).
    qint64 recordEnd() const { return m_at; }
    // Lines with text that were not a record.
    qint64 skippedLines() const { return m_skipped; }

private:
    void handOn(QByteArrayView line, bool record) {
        if (!record)
            ++m_skipped;
        m_onLine(line, record ? &m_fields : nullptr);
    }
    // Keeps [from, to) as the next piece of a line a later chunk ends.
    void carry(const char* from, const char* to);
    void endCarriedLine();

    Take m_onLine;
    LineFields m_fields;
    std::string m_scratch;
    QByteArray m_carried;   // the start of a line that the next chunk ends
    bool m_tooLong = false; // the carried line grew past LongestRecordLine
    qint64 m_skipped = 0;
    qint64 m_fed = 0; // bytes fed before the current feed()
    qint64 m_at = 0;
};

using RecordReader =
    BasicRecordReader<std::function<void(QByteArrayView line, const LineFields* record)>>;

template <class Take>
void BasicRecordReader<Take>::endCarriedLine() {
    if (m_tooLong)
        handOn({}, false);
    else
        handOn(m_carried, recordFields(m_carried, m_fields, m_scratch));
    m_carried.clear();
    m_tooLong = false;
}

template <class Take>
void BasicRecordReader<Take>::carry(const char* from, const char* to) {
    if (m_tooLong)
        return;
    const qsizetype room = LongestRecordLine + 1 - m_carried.size();
    m_carried.append(from, std::min(room, qsizetype(to - from)));
    m_tooLong = m_carried.size() > LongestRecordLine;
    if (m_tooLong)
        m_carried.clear();
}

template <class Take>
void BasicRecordReader<Take>::feed(QByteArrayView bytes) {
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* p = begin;
    while (p < end) {
        if (!m_carried.isEmpty() || m_tooLong) { // a line the last chunk began
            const char* const lineEnd = findLineEnd(p, end);
            carry(p, lineEnd);
            p = lineEnd;
            if (p == end)
                break;
            m_at = m_fed + (++p - begin);
            endCarriedLine();
            continue;
        }
        if (*p == '\r' || *p == '\n') { // an empty line, or the LF of a CR LF
            ++p;
            continue;
        }
        bool record = false;
        const char* const lineEnd = readRecordLine(p, end, m_fields, record, m_scratch);
        if (!lineEnd) { // ended by a later chunk
            carry(p, end);
            break;
        }
        m_at = m_fed + (lineEnd + 1 - begin);
        handOn(QByteArrayView(p, lineEnd - p), record);
        p = lineEnd + 1;
    }
    m_fed += bytes.size();
    m_at = m_fed;
}

// Made once, for the readers that take a std::function.
extern template class BasicRecordReader<
    std::function<void(QByteArrayView line, const LineFields* record)>>;

} // namespace tarnix::records
