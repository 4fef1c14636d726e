#pragma once

#include "ui/lists/ListWindow.h"

#include <QDateTime>
#include <QSize>

namespace tarnix::meter {
struct Reading;
}

namespace tarnix::views {

// The live list: one row per PC sample while the window is open, numbered by
// the list itself; Save and Print.
class RealTimeList : public files::ListWindow {
    Q_OBJECT

public:
    RealTimeList(const files::ListContext& context, QWidget* parent = nullptr);

    qint64 rowCount() const { return m_rows; }

    // The sample-tick step: fits the grid to a resized window, adds the row,
    // and scrolls one row down once the rows fill the grid.
    void addSample(const QDateTime& at, const meter::Reading& reading);

private:
    void fitGrid();

    QSize m_loadedInner; // the inner size at load: a frame that arrives late is no resize
    qint64 m_rows = 0;
};

} // namespace tarnix::views
