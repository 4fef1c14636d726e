#include "ui/lists/ListGrid.h"

#include "records/DataRecord.h"
#include "platform/Twips.h"
#include "ui/lists/ListModel.h"

#include <QHeaderView>
#include <QScrollBar>

namespace tarnix::ui {

namespace {
constexpr int RowTwips = 240;
}

ListGrid::ListGrid(ListModel* model, QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("Grid"));
    setModel(model);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(platform::twipsToPixels(RowTwips, logicalDpiY()));
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setShowGrid(true);
    const QFontMetrics metrics(font());
    for (int c = 0; c < records::FieldCount; ++c)
        setColumnWidth(c, metrics.horizontalAdvance(ListModel::widthSample(c)) + 8);
}

int ListGrid::rowsThatFit() const {
    // The heading and a horizontal scroll bar take their share of the height.
    const QHeaderView* rows = verticalHeader();
    const int rowHeight = rows->count() > 0 ? rows->sectionSize(0) : rows->defaultSectionSize();
    return rowHeight > 0 ? viewport()->height() / rowHeight : 0;
}

void ListGrid::bringRowIntoSight(int row) {
    updateGeometries(); // the scroll bar's range takes in a row appended just now
    scrollTo(model()->index(row, 0), QAbstractItemView::EnsureVisible);
}

int ListGrid::firstVisibleRow() const {
    return rowAt(0);
}

} // namespace tarnix::ui
