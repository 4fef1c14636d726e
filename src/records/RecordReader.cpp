#include "records/RecordReader.h"

#include <algorithm>

namespace tarnix::records {

void RecordReader::handOn(QByteArrayView line, bool record) {
    if (!record)
        ++m_skipped;
    m_onLine(line, record ? &m_fields : nullptr);
}

void RecordReader::endCarriedLine() {
    if (m_tooLong)
        handOn({}, false);
    else
        handOn(m_carried, recordFields(m_carried, m_fields, m_scratch));
    m_carried.clear();
    m_tooLong = false;
}

void RecordReader::carry(const char* from, const char* to) {
    if (m_tooLong)
        return;
    const qsizetype room = LongestRecordLine + 1 - m_carried.size();
    m_carried.append(from, std::min(room, qsizetype(to - from)));
    m_tooLong = m_carried.size() > LongestRecordLine;
    if (m_tooLong)
        m_carried.clear();
}

void RecordReader::feed(QByteArrayView bytes) {
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

void RecordReader::finish() {
    m_at = m_fed;
    if (!m_carried.isEmpty() || m_tooLong)
        endCarriedLine();
}

} // namespace tarnix::records
