#include "ui/lists/ListModel.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <QStringList>
#include <limits>

namespace tarnix::ui {

namespace {
const char* const Headings[records::FieldCount] = {"",         "   Date", " Time",
                                                 "Function", "  Range", "Value"};
const char* const WidthSamples[records::FieldCount] = {" 000000 ",   "00/00/0000", " 00:00:00.0 ",
                                                     " Function ", " 200KOhm ",  "  -1.234  "};
// A view counts rows in int.
constexpr qsizetype MaxRows = std::numeric_limits<int>::max() - 1;
} // namespace

QString ListModel::heading(int column) {
    return column >= 0 && column < records::FieldCount ? QString::fromLatin1(Headings[column])
                                                     : QString();
}

QString ListModel::widthSample(int column) {
    return column >= 0 && column < records::FieldCount ? QString::fromLatin1(WidthSamples[column])
                                                     : QString();
}

void ListModel::appendRecord(const records::RecordFields& fields) {
    const qsizetype before = m_records.size();
    if (before >= MaxRows || !m_records.append(fields))
        return;
    announceLoaded(before);
}

void ListModel::appendRow(const QString& tabSeparated) {
    QStringList cells = tabSeparated.split(u'\t');
    if (cells.size() > records::FieldCount && cells.back().isEmpty())
        cells.removeLast();
    records::RecordFields fields;
    for (int c = 0; c < records::FieldCount && c < cells.size(); ++c)
        fields[std::size_t(c)] = cells[c];
    appendRecord(fields);
}

void ListModel::announceLoaded(qsizetype rowsBefore) {
    const qsizetype now = std::min(m_records.size(), MaxRows);
    if (now <= m_shown) {
        m_shown = now;
        return;
    }
    beginInsertRows({}, int(std::max(rowsBefore, m_shown)), int(now - 1));
    m_shown = now;
    endInsertRows();
}

void ListModel::replaceRecords(records::RecordStore records) {
    beginResetModel();
    m_records = std::move(records);
    m_shown = std::min(m_records.size(), MaxRows);
    endResetModel();
}

void ListModel::clear() {
    beginResetModel();
    m_records.clear();
    m_shown = 0;
    endResetModel();
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_shown);
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : records::FieldCount;
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_shown)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_records.cell(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(index.column() == 0 ? Qt::AlignRight | Qt::AlignVCenter
                                                       : Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        // The number column is fixed, like the heading row, and in its colours.
        if (index.column() == 0)
            return QGuiApplication::palette().brush(QPalette::Button);
        return {};
    case Qt::ForegroundRole:
        if (index.column() == 0)
            return QGuiApplication::palette().brush(QPalette::ButtonText);
        return {};
    default:
        return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return heading(section);
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

} // namespace tarnix::ui
