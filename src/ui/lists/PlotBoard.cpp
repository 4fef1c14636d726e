#include "ui/lists/PlotBoard.h"

#include "plot/PlotGeometry.h"
#include "platform/Dialogs.h"
#include "records/RecordMeasurement.h"
#include "ui/lists/ListWindow.h"
#include "ui/lists/PlotRange.h"
#include "ui/lists/PlotWindow.h"
#include "ui/platform/CloseAndForget.h"
#include "ui/platform/WindowPlacement.h"

namespace tarnix::ui {

PlotBoard::PlotBoard(platform::Dialogs& dialogs, platform::Printer& printer, QWidget* windowParent)
    : QObject(windowParent), m_dialogs(dialogs), m_printer(printer), m_windowParent(windowParent) {}

PlotBoard::Slot& PlotBoard::slot(plot::PlotKind kind) {
    return kind == plot::PlotKind::Signed ? m_signed : m_positive;
}

const plot::PlotLimits& PlotBoard::limits(plot::PlotKind kind) const {
    return kind == plot::PlotKind::Signed ? m_signed.limits : m_positive.limits;
}

PlotWindow* PlotBoard::window(plot::PlotKind kind) const {
    return kind == plot::PlotKind::Signed ? m_signed.window : m_positive.window;
}

PlotRange* PlotBoard::rangeDialog(plot::PlotKind kind) const {
    return kind == plot::PlotKind::Signed ? m_signed.range : m_positive.range;
}

const records::RecordStore& PlotBoard::sourceRecords() const {
    static const records::RecordStore none; // the list has been closed: nothing to draw from
    return m_plotted ? m_plotted->model().records() : none;
}

void PlotBoard::closeAll() {
    for (Slot* s : {&m_signed, &m_positive}) {
        closeAndForget(s->window);
        closeAndForget(s->range);
    }
}

void PlotBoard::plot(plot::PlotSource source, ListWindow* list) {
    const records::RecordStore& records = list->model().records();
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
    const meter::Measurement first =
        records::measurementOfRecord(records.cell(0, 3), records.cell(0, 4), records.cell(0, 5));
    const double count = double(records.size());
    if (source == plot::PlotSource::FileList) {
        m_signed.limits = plot::wholeListLimits(plot::fileListFullScale(first), count);
        openPlot(plot::PlotKind::Signed);
        return;
    }
    const plot::DataListPlot choice = plot::dataListPlot(first);
    m_positive.limits = plot::wholeListLimits(choice.positiveFullScale, count);
    m_signed.limits = plot::wholeListLimits(choice.signedFullScale, count);
    openPlot(choice.kind);
}

void PlotBoard::openPlot(plot::PlotKind kind) {
    Slot& s = slot(kind);
    closeAndForget(s.window);
    const records::RecordStore& records = sourceRecords();
    std::optional<plot::PlotDrawing> drawing = kind == plot::PlotKind::Signed
                                                    ? drawSignedPlot(records, s.limits)
                                                    : drawPositivePlot(records, s.limits);
    if (!drawing)
        return; // the window closes without a word; the limits stay
    s.window = new PlotWindow(kind, std::move(*drawing), m_printer, m_dialogs, m_windowParent);
    connect(s.window, &PlotWindow::limitRequested, this, [this, kind] { openRange(kind); });
    s.window->show();
}

void PlotBoard::openRange(plot::PlotKind kind) {
    Slot& s = slot(kind);
    if (!s.range) {
        s.range = new PlotRange(kind, s.limits, m_windowParent);
        connect(s.range, &PlotRange::okClicked, this, [this, kind] { rangeOk(kind); });
    }
    bringForward(s.range);
}

void PlotBoard::rangeOk(plot::PlotKind kind) {
    Slot& s = slot(kind);
    const plot::RangeTexts boxes = s.range->texts();
    std::optional<plot::PlotLimits> accepted;
    if (kind == plot::PlotKind::Signed) {
        accepted = signedRange(s.limits, boxes);
        if (!accepted) { // the plot stays as it is
            m_dialogs.messageFor(s.range, plot::SignedRangeRefusal,
                                 platform::MessageIcon::Critical);
            return;
        }
    } else {
        // The positive plot's dialog closes its plot before it checks.
        closeAndForget(s.window);
        accepted = positiveRange(s.limits, boxes);
        if (!accepted) {
            m_dialogs.messageFor(s.range, plot::PositiveRangeRefusal,
                                 platform::MessageIcon::Critical);
            return;
        }
    }
    s.limits = *accepted;
    openPlot(kind);
    closeAndForget(s.range);
}

} // namespace tarnix::ui
