#include "ui/lists/PlotBoard.h"

#include "files/PlotGeometry.h"
#include "platform/Dialogs.h"
#include "ui/lists/ListWindow.h"
#include "ui/lists/PlotRange.h"
#include "ui/lists/PlotWindow.h"
#include "ui/platform/CloseAndForget.h"
#include "ui/platform/WindowPlacement.h"

namespace tarnix::files {

using platform::closeAndForget;

PlotBoard::PlotBoard(platform::Dialogs& dialogs, platform::Printer& printer, QWidget* windowParent)
    : QObject(windowParent), m_dialogs(dialogs), m_printer(printer), m_windowParent(windowParent) {}

PlotBoard::Slot& PlotBoard::slot(PlotKind kind) {
    return kind == PlotKind::Signed ? m_signed : m_positive;
}

const PlotLimits& PlotBoard::limits(PlotKind kind) const {
    return kind == PlotKind::Signed ? m_signed.limits : m_positive.limits;
}

PlotWindow* PlotBoard::window(PlotKind kind) const {
    return kind == PlotKind::Signed ? m_signed.window : m_positive.window;
}

PlotRange* PlotBoard::rangeDialog(PlotKind kind) const {
    return kind == PlotKind::Signed ? m_signed.range : m_positive.range;
}

const RecordStore& PlotBoard::sourceRecords() const {
    static const RecordStore none; // the list has been closed: nothing to draw from
    return m_plotted ? m_plotted->model().records() : none;
}

void PlotBoard::closeAll() {
    for (Slot* s : {&m_signed, &m_positive}) {
        closeAndForget(s->window);
        closeAndForget(s->range);
    }
}

void PlotBoard::plot(PlotSource source, ListWindow* list) {
    const RecordStore& records = list->model().records();
    if (records.empty()) {
        m_dialogs.messageFor(list, NothingToPlot, platform::MessageIcon::Exclamation);
        return;
    }
    closeAll();
    if (m_plotted != list) {
        if (m_plotted)
            m_plotted->disconnect(this);
        m_plotted = list;
        connect(list, &QObject::destroyed, this, &PlotBoard::closeAll);
    }
    const QString function = records.cell(0, 3), range = records.cell(0, 4);
    const double count = double(records.size());
    if (source == PlotSource::FileList) {
        m_signed.limits = wholeListLimits(fileListFullScale(function, range), count);
        openPlot(PlotKind::Signed);
        return;
    }
    const DataListPlot choice = dataListPlot(function, range);
    m_positive.limits = wholeListLimits(choice.positiveFullScale, count);
    m_signed.limits = wholeListLimits(choice.signedFullScale, count);
    openPlot(choice.kind);
}

void PlotBoard::openPlot(PlotKind kind) {
    Slot& s = slot(kind);
    closeAndForget(s.window);
    const RecordStore& records = sourceRecords();
    std::optional<PlotDrawing> drawing = kind == PlotKind::Signed
                                             ? drawSignedPlot(records, s.limits)
                                             : drawPositivePlot(records, s.limits);
    if (!drawing)
        return; // the window closes without a word; the limits stay
    s.window = new PlotWindow(kind, std::move(*drawing), m_printer, m_dialogs, m_windowParent);
    connect(s.window, &PlotWindow::limitRequested, this, [this, kind] { openRange(kind); });
    s.window->show();
}

void PlotBoard::openRange(PlotKind kind) {
    Slot& s = slot(kind);
    if (!s.range) {
        s.range = new PlotRange(kind, s.limits, m_windowParent);
        connect(s.range, &PlotRange::okClicked, this, [this, kind] { rangeOk(kind); });
    }
    platform::bringForward(s.range);
}

void PlotBoard::rangeOk(PlotKind kind) {
    Slot& s = slot(kind);
    const RangeTexts boxes = s.range->texts();
    std::optional<PlotLimits> accepted;
    if (kind == PlotKind::Signed) {
        accepted = signedRange(s.limits, boxes);
        if (!accepted) { // the plot stays as it is
            m_dialogs.messageFor(s.range, SignedRangeRefusal, platform::MessageIcon::Critical);
            return;
        }
    } else {
        // The positive plot's dialog closes its plot before it checks.
        closeAndForget(s.window);
        accepted = positiveRange(s.limits, boxes);
        if (!accepted) {
            m_dialogs.messageFor(s.range, PositiveRangeRefusal, platform::MessageIcon::Critical);
            return;
        }
    }
    s.limits = *accepted;
    openPlot(kind);
    closeAndForget(s.range);
}

} // namespace tarnix::files
