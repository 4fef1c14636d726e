#pragma once

#include "records/DataRecord.h"
#include "records/RecordLine.h"
#include "records/ValueColumn.h"

#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace tarnix::records {

class FileRecords;

// The records of a list, kept compactly: every cell's bytes in one buffer and
// one offset per cell, about 60 bytes a record, so that a million records fit
// in some 60 MB. Cells are single-byte text, as data files are. An opened
// data file's records stay in the file (see FileRecords) and come first;
// records appended to the store follow them.
class RecordStore {
public:
    // The most cell text a store holds: its offsets are 32 bits.
    static constexpr std::size_t MaxTextBytes = 0xFFFFFFFFu;

    qsizetype size() const { return fileRows() + qsizetype(m_starts.size() / FieldCount); }
    bool empty() const { return size() == 0; }

    // False when the store is full (4 GB of text): nothing was added.
    bool append(const RecordFields& fields);
    bool append(const std::array<QByteArrayView, FieldCount>& cells);

    // The view lasts until the store changes, and for a file's records until
    // a row of another block (FileRecords::BlockRows) is asked for.
    QByteArrayView cellBytes(qsizetype row, int column) const;
    QString cell(qsizetype row, int column) const;
    RecordFields record(qsizetype row) const;
    // The row's cells as a data-file reader hands a record's fields, the
    // blanks around them dropped; views that last as cellBytes()'s do.
    LineFields lineFields(qsizetype row) const;
    // The row's value and range as a plot reads them.
    ValueCell valueCell(qsizetype row) const;

    void clear();
    void reserve(qsizetype records, qsizetype textBytes);
    std::size_t memoryUse() const;

    // An empty store takes an opened file's records as its first rows.
    void adoptFile(std::shared_ptr<const FileRecords> file);
    // The opened file no longer holds the records listed from it.
    bool fileChanged() const;

private:
    qsizetype fileRows() const;

    std::shared_ptr<const FileRecords> m_file;
    std::string m_text;
    std::vector<quint32> m_starts;
};

} // namespace tarnix::records
