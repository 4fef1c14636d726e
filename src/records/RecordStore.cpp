#include "records/RecordStore.h"

#include "records/FileRecords.h"

namespace tarnix::records {

bool RecordStore::append(const std::array<QByteArrayView, FieldCount>& cells) {
    std::size_t bytes = 0;
    for (const auto& c : cells)
        bytes += std::size_t(c.size());
    if (m_text.size() + bytes >= MaxTextBytes)
        return false;
    for (const auto& c : cells) {
        m_starts.push_back(quint32(m_text.size()));
        m_text.append(c.data(), std::size_t(c.size()));
    }
    return true;
}

bool RecordStore::append(const RecordFields& fields) {
    std::array<QByteArray, FieldCount> latin1;
    std::array<QByteArrayView, FieldCount> views;
    for (std::size_t i = 0; i < FieldCount; ++i) {
        latin1[i] = fields[i].toLatin1();
        views[i] = latin1[i];
    }
    return append(views);
}

qsizetype RecordStore::fileRows() const {
    return m_file ? m_file->size() : 0;
}

void RecordStore::adoptFile(std::shared_ptr<const FileRecords> file) {
    clear();
    m_file = std::move(file);
}

bool RecordStore::fileChanged() const {
    return m_file && m_file->changed();
}

std::size_t RecordStore::memoryUse() const {
    return m_text.capacity() + m_starts.capacity() * 4 + (m_file ? m_file->memoryUse() : 0);
}

QByteArrayView RecordStore::cellBytes(qsizetype row, int column) const {
    if (m_file && row < m_file->size())
        return m_file->cellBytes(row, column);
    row -= fileRows();
    const std::size_t i = std::size_t(row) * FieldCount + std::size_t(column);
    if (row < 0 || column < 0 || column >= FieldCount || i >= m_starts.size())
        return {};
    const std::size_t end = i + 1 < m_starts.size() ? m_starts[i + 1] : m_text.size();
    return QByteArrayView(m_text.data() + m_starts[i], qsizetype(end - m_starts[i]));
}

QString RecordStore::cell(qsizetype row, int column) const {
    return QString::fromLatin1(cellBytes(row, column));
}

ValueCell RecordStore::valueCell(qsizetype row) const {
    constexpr int RangeColumn = 4, ValueColumn = 5;
    if (m_file && row >= 0 && row < m_file->size() && m_file->values().usable())
        return m_file->values().cell(row);
    return records::valueCell(cellBytes(row, ValueColumn), cellBytes(row, RangeColumn));
}

LineFields RecordStore::lineFields(qsizetype row) const {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    LineFields fields;
    for (int c = 0; c < FieldCount; ++c) {
        QByteArrayView cell = cellBytes(row, c);
        while (!cell.isEmpty() && blank(cell.front()))
            cell = cell.sliced(1);
        while (!cell.isEmpty() && blank(cell.back()))
            cell.chop(1);
        fields[std::size_t(c)] = cell;
    }
    return fields;
}

RecordFields RecordStore::record(qsizetype row) const {
    RecordFields fields;
    for (int c = 0; c < FieldCount; ++c)
        fields[std::size_t(c)] = cell(row, c);
    return fields;
}

void RecordStore::clear() {
    m_file.reset();
    m_text.clear();
    m_starts.clear();
}

void RecordStore::reserve(qsizetype records, qsizetype textBytes) {
    m_starts.reserve(std::size_t(records) * FieldCount);
    m_text.reserve(std::size_t(textBytes));
}

} // namespace tarnix::records
