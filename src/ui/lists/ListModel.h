#pragma once

#include "records/RecordStore.h"

#include <QAbstractTableModel>

namespace tarnix::ui {

// The six-column list of records that the live list, the downloaded list and
// the opened file share: number, date, time, function, range, value.
class ListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    const records::RecordStore& records() const { return m_records; }

    void appendRecord(const records::RecordFields& fields);
    // A row given as its cells separated by tabs; a tab after the last cell is ignored.
    void appendRow(const QString& tabSeparated);
    // Loading many records at once: fill records() through this, then announce them.
    records::RecordStore& recordsForLoading() { return m_records; }
    void announceLoaded(qsizetype rowsBefore);
    // The list becomes `records`, at once.
    void replaceRecords(records::RecordStore records);
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The heading texts and the sample texts that give the column widths.
    static QString heading(int column);
    static QString widthSample(int column);

private:
    records::RecordStore m_records;
    qsizetype m_shown = 0; // rows the views know of
};

} // namespace tarnix::ui
