#include "files/ValueColumn.h"

#include "meter/LeadingNumber.h"

#include <cstring>

namespace tarnix::files {

namespace {
bool contains(QByteArrayView text, char c) {
    return !text.isEmpty() && std::memchr(text.data(), c, std::size_t(text.size())) != nullptr;
}
constexpr quint16 Overload = 1, Minus = 2, RangeShift = 2;
} // namespace

ValueCell valueCell(QByteArrayView value, QByteArrayView range) {
    return {meter::leadingNumber(value), contains(value, 'L'), contains(value, '-'), range};
}

void ValueColumn::reserve(std::size_t records) {
    m_numbers.reserve(records);
    m_tags.reserve(records);
}

void ValueColumn::add(QByteArrayView value, QByteArrayView range) {
    if (!m_usable)
        return;
    // Consecutive records nearly always share their range.
    if (m_ranges.empty() || m_ranges[m_lastRange] != range) {
        const QByteArray text = range.toByteArray();
        auto known = m_rangeIndex.constFind(text);
        if (known == m_rangeIndex.cend()) {
            if (m_ranges.size() == MaxRanges) {
                m_usable = false;
                m_numbers = {};
                m_tags = {};
                return;
            }
            known = m_rangeIndex.insert(text, quint16(m_ranges.size()));
            m_ranges.push_back(text);
        }
        m_lastRange = known.value();
    }
    const ValueCell cell = valueCell(value, range);
    m_numbers.push_back(float(cell.number));
    m_tags.push_back(quint16((cell.overload ? Overload : 0) | (cell.minus ? Minus : 0) |
                             (m_lastRange << RangeShift)));
}

ValueCell ValueColumn::cell(qsizetype row) const {
    const quint16 tag = m_tags[std::size_t(row)];
    return {double(m_numbers[std::size_t(row)]), (tag & Overload) != 0, (tag & Minus) != 0,
            m_ranges[tag >> RangeShift]};
}

} // namespace tarnix::files
