#include "files/RecordStore.h"

namespace tarnix::files {

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

QByteArrayView RecordStore::cellBytes(qsizetype row, int column) const {
    const std::size_t i = std::size_t(row) * FieldCount + std::size_t(column);
    if (row < 0 || column < 0 || column >= FieldCount || i >= m_starts.size())
        return {};
    const std::size_t end = i + 1 < m_starts.size() ? m_starts[i + 1] : m_text.size();
    return QByteArrayView(m_text.data() + m_starts[i], qsizetype(end - m_starts[i]));
}

QString RecordStore::cell(qsizetype row, int column) const {
    return QString::fromLatin1(cellBytes(row, column));
}

RecordFields RecordStore::record(qsizetype row) const {
    RecordFields fields;
    for (int c = 0; c < FieldCount; ++c)
        fields[std::size_t(c)] = cell(row, c);
    return fields;
}

void RecordStore::clear() {
    m_text.clear();
    m_starts.clear();
}

void RecordStore::reserve(qsizetype records, qsizetype textBytes) {
    m_starts.reserve(std::size_t(records) * FieldCount);
    m_text.reserve(std::size_t(textBytes));
}

} // namespace tarnix::files
