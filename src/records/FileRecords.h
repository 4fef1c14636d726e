#pragma once

#include "records/RecordStore.h"
#include "records/Segments.h"
#include "records/ValueColumn.h"
#include "platform/PositionalFile.h"

#include <QByteArrayView>
#include <vector>

namespace tarnix::records {

// The records of an opened data file, kept in the file: only where each
// record ends is held, 4 bytes a record, and the file stays open. Rows are
// read again a block at a time when they are asked for, and the last block
// read is kept. The file is read only up to where it ended when it was
// opened, so lines appended since do not show; a file that has been cut
// short or rewritten since reads as empty cells, never as other text.
class FileRecords {
public:
    // `file` is the opened file, now owned; `ends[i]` is the byte just past
    // record i; `values` their value cells.
    FileRecords(platform::PositionalFile file, Segments<quint32> ends, ValueColumn values);
    FileRecords(const FileRecords&) = delete;
    FileRecords& operator=(const FileRecords&) = delete;

    qsizetype size() const { return qsizetype(m_ends.size()); }
    // Empty when the row is not in the file or the file has changed. The
    // view lasts until a row of another block is asked for.
    QByteArrayView cellBytes(qsizetype row, int column) const;
    // The file no longer holds the records that were read from it.
    bool changed() const { return m_changed; }
    const ValueColumn& values() const { return m_values; }
    std::size_t memoryUse() const {
        return m_ends.memoryUse() + m_values.memoryUse() + m_block.memoryUse();
    }

    static constexpr qsizetype BlockRows = 4096;

private:
    bool readBlock(qsizetype first) const;
    // Hands `use` the bytes of [from, to) there are now: fewer when the file
    // was cut short or cannot be read, which the records read then tell.
    void readBytes(qint64 from, qint64 to, const std::function<void(QByteArrayView)>& use) const;
    qint64 start(qsizetype row) const { return row > 0 ? m_ends[std::size_t(row - 1)] : 0; }

    platform::PositionalFile m_file;
    Segments<quint32> m_ends;
    ValueColumn m_values;
    mutable RecordStore m_block; // rows m_blockFirst ... as text
    mutable qsizetype m_blockFirst = -1;
    mutable bool m_changed = false;
};

} // namespace tarnix::records
