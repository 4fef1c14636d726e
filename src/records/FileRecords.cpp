#include "records/FileRecords.h"

#include "records/RecordReader.h"
#include "platform/Diagnostics.h"

#include <QByteArray>

namespace tarnix::records {

namespace {
constexpr qint64 ReadSize = 1 << 20; // a record longer than this is read in pieces
} // namespace

FileRecords::FileRecords(platform::PositionalFile file, Segments<quint32> ends,
                         ValueColumn values)
    : m_file(std::move(file)), m_ends(std::move(ends)), m_values(std::move(values)) {}

QByteArrayView FileRecords::cellBytes(qsizetype row, int column) const {
    if (row < 0 || row >= size() || m_changed)
        return {};
    const qsizetype first = row - row % BlockRows;
    if (first != m_blockFirst && !readBlock(first))
        return {};
    return m_block.cellBytes(row - first, column);
}

void FileRecords::readBytes(qint64 from, qint64 to,
                            const std::function<void(QByteArrayView)>& use) const {
    QByteArray buffer(qsizetype(std::min(to - from, ReadSize)), Qt::Uninitialized);
    for (qint64 n; from < to && (n = m_file.readAt(from, buffer.data(), std::min(to - from, ReadSize))) > 0;
         from += n)
        use(QByteArrayView(buffer.constData(), n));
}

bool FileRecords::readBlock(qsizetype first) const {
    m_blockFirst = -1;
    m_block.clear();
    const qsizetype last = std::min(first + BlockRows, size()); // one past
    const qint64 from = start(first), to = m_ends[std::size_t(last - 1)];
    bool same = m_file.size() >= qint64(m_ends.back());
    RecordReader* self = nullptr;
    qsizetype row = first;
    RecordReader reader([&](QByteArrayView, const LineFields* record) {
        if (!record)
            return;
        // Each record must end where it ended when the file was opened.
        if (row >= last || self->recordEnd() != m_ends[std::size_t(row)] - from)
            same = false;
        else if (m_block.append(*record))
            ++row;
    });
    self = &reader;
    if (same)
        readBytes(from, to, [&](QByteArrayView bytes) { reader.feed(bytes); });
    reader.finish();
    if (!same || row != last) {
        qCWarning(lcFiles) << "the opened file has changed; its records are no longer shown";
        m_changed = true;
        m_block.clear();
        return false;
    }
    m_blockFirst = first;
    return true;
}

} // namespace tarnix::records
