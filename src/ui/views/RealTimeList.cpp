#include "ui/views/RealTimeList.h"

#include "records/DataRecord.h"
#include "meter/Reading.h"
#include "platform/Twips.h"
#include "ui/lists/ListGrid.h"
#include "ui/platform/TwipsGeometry.h"

#include <QPushButton>
#include <algorithm>

namespace tarnix::ui {

namespace {
constexpr int InitialWidth = 6600, InitialHeight = 4800; // outer size, twips

} // namespace

RealTimeList::RealTimeList(const ListContext& context, QWidget* parent)
    : ListWindow(context, parent) {
    setObjectName(QStringLiteral("RealTimeList"));
    setWindowTitle(QStringLiteral("Real Time List"));
    connect(addButton("CmdRsave", QStringLiteral("Save")), &QPushButton::clicked, this,
            &ListWindow::saveList);
    connect(addButton("CmdRprint", QStringLiteral("Print")), &QPushButton::clicked, this,
            &ListWindow::printList);
    resizeOuterTwips(this, QSizeF(InitialWidth, InitialHeight));
    // Opened, the grid is the window less 200 twips across and 700 down. A
    // frame the window manager adds later changes no inner size, so the
    // margins are kept in pixels of the inner area.
    placeGrid(60, 60, InitialWidth - 200, InitialHeight - 700);
    m_gridMargin = size() - grid()->size();
    fitGrid();
}

void RealTimeList::layOut(int, int) {
    fitGrid();
}

void RealTimeList::fitGrid() {
    if (!m_gridMargin.isValid())
        return; // still being built
    grid()->resize((size() - m_gridMargin).expandedTo(QSize(0, 0)));
    const double dpi = logicalDpiY();
    const double inner = platform::pixelsToTwips(height(), dpi);
    const double space = inner - platform::pixelsToTwips(grid()->geometry().bottom() + 1, dpi);
    const int buttonHeight = int(std::clamp(space - 30, 240.0, double(ButtonHeight)));
    placeButtons(int(inner) - buttonHeight - 15, buttonHeight);
}

void RealTimeList::addSample(const QDateTime& at, const meter::Reading& reading) {
    ++m_rows;
    const QString row = records::recordRow(records::sampleRecord(
        m_rows, at, reading.functionText, reading.rangeText, reading.value.text()));
    // Past the rows that fit below the heading, the view moves down with
    // each new row (one row at a time, as long as the size stays), so the
    // newest row is always in sight.
    const qsizetype rows = model().records().size() + 1;
    model().appendRow(row);
    if (rows > grid()->rowsThatFit())
        grid()->bringRowIntoSight(int(rows - 1));
}

} // namespace tarnix::ui
