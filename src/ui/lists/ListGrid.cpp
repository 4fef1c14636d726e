#include "ui/lists/ListGrid.h"

#include "files/DataRecord.h"
#include "platform/Twips.h"
#include "ui/lists/ListModel.h"

#include <QHeaderView>
#include <QScrollBar>

namespace tarnix::files {

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
    for (int c = 0; c < FieldCount; ++c)
        setColumnWidth(c, metrics.horizontalAdvance(ListModel::widthSample(c)) + 8);
}

int ListGrid::rowsThatFit() const {
    return int(platform::pixelsToTwips(height(), logicalDpiY()) / RowTwips);
}

void ListGrid::scrollDownOneRow() {
    verticalScrollBar()->setValue(verticalScrollBar()->value() + 1);
}

int ListGrid::firstVisibleRow() const {
    return rowAt(0);
}

} // namespace tarnix::files
