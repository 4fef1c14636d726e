#include "ui/lists/PlotBoard.h"

#include "files/PlotGeometry.h"
#include "platform/Dialogs.h"
#include "ui/lists/ListWindow.h"
#include "ui/lists/PlotRange.h"
#include "ui/lists/PlotWindow.h"
#include "ui/platform/CloseAndForget.h"
#include "ui/platform/WindowPlacement.h"

namespace tarnix::ui {

PlotBoard::PlotBoard(platform::Dialogs& dialogs, platform::Printer& printer, QWidget* windowParent)
    : QObject(windowParent), m_dialogs(dialogs), m_printer(printer), m_windowParent(windowParent) {}

PlotBoard::Slot& PlotBoard::slot(files::PlotKind kind) {
    return kind == files::PlotKind::Signed ? m_signed : m_positive;
}

const files::PlotLimits& PlotBoard::limits(files::PlotKind kind) const {
    return kind == files::PlotKind::Signed ? m_signed.limits : m_positive.limits;
}

PlotWindow* PlotBoard::window(files::PlotKind kind) const {
    return kind == files::PlotKind::Signed ? m_signed.window : m_positive.window;
}

PlotRange* PlotBoard::rangeDialog(files::PlotKind kind) const {
    return kind == files::PlotKind::Signed ? m_signed.range : m_positive.range;
}

const files::RecordStore& PlotBoard::sourceRecords() const {
    static const files::RecordStore none; // the list has been closed: nothing to draw from
    return m_plotted ? m_plotted->model().records() : none;
}

void PlotBoard::closeAll() {
    for (Slot* s : {&m_signed, &m_positive}) {
        closeAndForget(s->window);
        closeAndForget(s->range);
    }
}

void PlotBoard::plot(files::PlotSource source, ListWindow* list) {
    const files::RecordStore& records = list->model().records();
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
    if (source == files::PlotSource::FileList) {
        m_signed.limits = files::wholeListLimits(files::fileListFullScale(function, range), count);
        openPlot(files::PlotKind::Signed);
        return;
    }
    const files::DataListPlot choice = files::dataListPlot(function, range);
    m_positive.limits = files::wholeListLimits(choice.positiveFullScale, count);
    m_signed.limits = files::wholeListLimits(choice.signedFullScale, count);
    openPlot(choice.kind);
}

void PlotBoard::openPlot(files::PlotKind kind) {
    Slot& s = slot(kind);
    closeAndForget(s.window);
    const files::RecordStore& records = sourceRecords();
    std::optional<files::PlotDrawing> drawing = kind == files::PlotKind::Signed
                                                    ? drawSignedPlot(records, s.limits)
                                                    : drawPositivePlot(records, s.limits);
    if (!drawing)
        return; // the window closes without a word; the limits stay
    s.window = new PlotWindow(kind, std::move(*drawing), m_printer, m_dialogs, m_windowParent);
    connect(s.window, &PlotWindow::limitRequested, this, [this, kind] { openRange(kind); });
    s.window->show();
}

void PlotBoard::openRange(files::PlotKind kind) {
    Slot& s = slot(kind);
    if (!s.range) {
        s.range = new PlotRange(kind, s.limits, m_windowParent);
        connect(s.range, &PlotRange::okClicked, this, [this, kind] { rangeOk(kind); });
    }
    bringForward(s.range);
}

void PlotBoard::rangeOk(files::PlotKind kind) {
    Slot& s = slot(kind);
    const files::RangeTexts boxes = s.range->texts();
    std::optional<files::PlotLimits> accepted;
    if (kind == files::PlotKind::Signed) {
        accepted = signedRange(s.limits, boxes);
        if (!accepted) { // the plot stays as it is
            m_dialogs.messageFor(s.range, files::SignedRangeRefusal,
                                 platform::MessageIcon::Critical);
            return;
        }
    } else {
        // The positive plot's dialog closes its plot before it checks.
        closeAndForget(s.window);
        accepted = positiveRange(s.limits, boxes);
        if (!accepted) {
            m_dialogs.messageFor(s.range, files::PositiveRangeRefusal,
                                 platform::MessageIcon::Critical);
            return;
        }
    }
    s.limits = *accepted;
    openPlot(kind);
    closeAndForget(s.range);
}

} // namespace tarnix::ui
