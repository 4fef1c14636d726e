#include "ui/views/RealTimeList.h"

#include "files/DataRecord.h"
#include "meter/Reading.h"
#include "platform/Twips.h"
#include "ui/lists/ListGrid.h"
#include "ui/platform/TwipsGeometry.h"

#include <QPushButton>
#include <algorithm>

namespace tarnix::views {

namespace {
constexpr int InitialWidth = 6600, InitialHeight = 4800; // outer size, twips

} // namespace

RealTimeList::RealTimeList(const files::ListContext& context, QWidget* parent)
    : ListWindow(context, parent) {
    setObjectName(QStringLiteral("RealTimeList"));
    setWindowTitle(QStringLiteral("Real Time List"));
    connect(addButton("CmdRsave", QStringLiteral("Save")), &QPushButton::clicked, this,
            &ListWindow::saveList);
    connect(addButton("CmdRprint", QStringLiteral("Print")), &QPushButton::clicked, this,
            &ListWindow::printList);
    platform::resizeOuterTwips(this, QSizeF(InitialWidth, InitialHeight));
    m_loadedInner = size();
    placeGrid(60, 60, InitialWidth - 200, InitialHeight - 700);
    fitGrid();
}

// The grid is the window less 200 twips across and 700 down; the buttons
// take what is left below it, at the window's bottom edge.
void RealTimeList::fitGrid() {
    const QSizeF outer = platform::outerSizeTwips(this);
    if (size() != m_loadedInner)
        placeGrid(60, 60, int(outer.width()) - 200, int(outer.height()) - 700);
    const double dpi = logicalDpiY();
    const double inner = platform::pixelsToTwips(height(), dpi);
    const double space = inner - platform::pixelsToTwips(grid()->geometry().bottom() + 1, dpi);
    const int buttonHeight = int(std::clamp(space - 30, 240.0, double(ButtonHeight)));
    placeButtons(int(inner) - buttonHeight - 15, buttonHeight);
}

void RealTimeList::addSample(const QDateTime& at, const meter::Reading& reading) {
    fitGrid();
    ++m_rows;
    const QString row = files::recordRow(files::sampleRecord(
        m_rows, at, reading.functionText, reading.rangeText, reading.value.text()));
    // The last row so far (the heading counts as row 0): past what fits, the
    // view moves down one row with the new one.
    const qsizetype lastRow = model().records().size();
    model().appendRow(row);
    if (lastRow > grid()->rowsThatFit())
        grid()->scrollDownOneRow();
}

} // namespace tarnix::views
