#pragma once

#include "files/DataRecord.h"

#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace tarnix::files {

// The records of a list, kept compactly: every cell's bytes in one buffer and
// one offset per cell, about 60 bytes a record, so that a million records fit
// in some 60 MB. Cells are single-byte text, as data files are.
class RecordStore {
public:
    // The most cell text a store holds: its offsets are 32 bits.
    static constexpr std::size_t MaxTextBytes = 0xFFFFFFFFu;

    qsizetype size() const { return qsizetype(m_starts.size() / FieldCount); }
    bool empty() const { return m_starts.empty(); }

    // False when the store is full (4 GB of text): nothing was added.
    bool append(const RecordFields& fields);
    bool append(const std::array<QByteArrayView, FieldCount>& cells);

    QByteArrayView cellBytes(qsizetype row, int column) const;
    QString cell(qsizetype row, int column) const;
    RecordFields record(qsizetype row) const;

    void clear();
    void reserve(qsizetype records, qsizetype textBytes);
    std::size_t memoryUse() const { return m_text.capacity() + m_starts.capacity() * 4; }

private:
    std::string m_text;
    std::vector<quint32> m_starts;
};

} // namespace tarnix::files
