#pragma once

#include "ui/lists/ListWindow.h"

#include <QDateTime>
#include <QSize>

namespace tarnix::meter {
struct Reading;
}

namespace tarnix::ui {

// The live list: one row per PC sample while the window is open, numbered by
// the list itself; Save and Print.
class RealTimeList : public ListWindow {
    Q_OBJECT

public:
    RealTimeList(const ListContext& context, QWidget* parent = nullptr);

    qint64 rowCount() const { return m_rows; }

    // The sample-tick step: adds the row, and scrolls one row down once the
    // rows fill the grid.
    void addSample(const QDateTime& at, const meter::Reading& reading);

protected:
    void layOut(int width, int height) override;

private:
    // The grid keeps the margins it opened with, whatever the size; the
    // buttons take what is left below it, at the window's bottom edge.
    void fitGrid();

    QSize m_gridMargin; // the window's inner size less the grid's, at load
    qint64 m_rows = 0;
};

} // namespace tarnix::ui
