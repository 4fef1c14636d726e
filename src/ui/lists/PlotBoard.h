#pragma once

#include "plot/PlotLimits.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace tarnix::platform {
class Dialogs;
class Printer;
} // namespace tarnix::platform

namespace tarnix::records {
class RecordStore;
} // namespace tarnix::records

namespace tarnix::ui {

class ListWindow;
class PlotRange;
class PlotWindow;

// The plots of the whole program: each plot window's limits, the list they
// were drawn from, and at most one window and one range dialog of each kind.
// The list windows open plots through it; the plot windows' "Limit" menus
// and the range dialogs come back to it and redraw from that same list. The
// plots close with their list.
class PlotBoard : public QObject {
    Q_OBJECT

public:
    // Plot windows and range dialogs open as windows of `windowParent`.
    PlotBoard(platform::Dialogs& dialogs, platform::Printer& printer, QWidget* windowParent);

    // "Plot" in a list: closes every plot window and range dialog, sets the
    // limits from the list's first record and draws the whole list. A list
    // without records is refused with a message.
    void plot(plot::PlotSource source, ListWindow* list);

    const plot::PlotLimits& limits(plot::PlotKind kind) const;
    PlotWindow* window(plot::PlotKind kind) const;
    PlotRange* rangeDialog(plot::PlotKind kind) const;

    inline static const QString NothingToPlot = QStringLiteral("The list has no records to plot.");

private:
    struct Slot {
        plot::PlotLimits limits;
        QPointer<PlotWindow> window;
        QPointer<PlotRange> range;
    };
    Slot& slot(plot::PlotKind kind);
    const records::RecordStore& sourceRecords() const;
    void closeAll();
    // Opens the window and draws it; a drawing that fails leaves it closed.
    void openPlot(plot::PlotKind kind);
    void openRange(plot::PlotKind kind);
    void rangeOk(plot::PlotKind kind);

    platform::Dialogs& m_dialogs;
    platform::Printer& m_printer;
    QPointer<QWidget> m_windowParent;
    QPointer<ListWindow> m_plotted; // the list the open plots were drawn from
    Slot m_signed;
    Slot m_positive;
};

} // namespace tarnix::ui
