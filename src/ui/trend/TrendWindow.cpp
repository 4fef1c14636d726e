#include "ui/trend/TrendWindow.h"

#include "trend/TrendReadout.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "ui/trend/TrendCanvas.h"
#include "ui/trend/TrendExport.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>

namespace tarnix::ui {

namespace {
constexpr int FollowEveryMs = 1000;
constexpr int NoticeReads = 10; // reads of the file a notice stays for
} // namespace

QString TrendWindow::titleFor(const QStringList& paths) {
    QStringList names;
    for (const QString& path : paths)
        names << path.section(u'/', -1);
    return QStringLiteral("Trend - %1").arg(names.join(QStringLiteral(", ")));
}

TrendWindow::TrendWindow(const QStringList& paths, platform::Dialogs& dialogs,
                         platform::Printer& printer, const platform::Clock& clock, QWidget* parent)
    : TrendWindow(core::TrendSource(paths, clock), titleFor(paths), dialogs, printer, parent) {}

TrendWindow::TrendWindow(records::RecordStore records, const QString& name,
                         platform::Dialogs& dialogs, platform::Printer& printer,
                         const platform::Clock& clock, QWidget* parent)
    : TrendWindow(core::TrendSource(std::move(records), clock), titleFor({name}), dialogs,
                  printer, parent) {}

TrendWindow::TrendWindow(core::TrendSource source, const QString& title,
                         platform::Dialogs& dialogs, platform::Printer& printer, QWidget* parent)
    : QWidget(parent), m_source(std::move(source)), m_dialogs(dialogs), m_printer(printer),
      m_canvas(new TrendCanvas(m_source, m_zoom, this)), m_readout(new QLabel(this)),
      m_measure(new QLabel(this)), m_status(new QLabel(this)), m_follow(new QTimer(this)) {
    setObjectName(QStringLiteral("Trend"));
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    m_readout->setObjectName(QStringLiteral("TrendReadout"));
    m_measure->setObjectName(QStringLiteral("TrendMeasure"));
    m_status->setObjectName(QStringLiteral("TrendStatus"));
    for (QLabel* label : {m_readout, m_measure, m_status}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setFocusPolicy(Qt::NoFocus); // the keys stay with the drawing
    }
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(m_canvas, 1);
    column->addWidget(m_readout);
    column->addWidget(m_measure);
    column->addWidget(m_status);

    const auto action = [this](const QString& text, QKeySequence key, auto slot) {
        auto* a = new QAction(text, this);
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        addAction(a);
        return a;
    };
    action(QStringLiteral("Show All\tHome"), {}, [this] { m_canvas->showAll(); });
    action(QStringLiteral("Undo Zoom\tEsc"), {}, [this] { m_canvas->undoZoom(); });
    action(QStringLiteral("Save As..."), QKeySequence::Save, &TrendWindow::askSaveAs);
    action(QStringLiteral("Print..."), QKeySequence::Print, &TrendWindow::printTrend);
    action(QStringLiteral("Close"), QKeySequence::Close, &QWidget::close);

    connect(m_canvas, &TrendCanvas::hoverChanged, this, &TrendWindow::showReadout);
    connect(m_canvas, &TrendCanvas::measureChanged, this, &TrendWindow::showMeasure);
    connect(m_canvas, &TrendCanvas::menuAsked, this, &TrendWindow::showMenu);
    connect(m_follow, &QTimer::timeout, this, &TrendWindow::readMore);
    showMeasure();
    resize(1000, 620);
    m_canvas->setFocus();
}

bool TrendWindow::load() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto progress = m_dialogs.progressFor(this, QStringLiteral("Reading %1").arg(windowTitle()));
    QString error;
    m_loading = true;
    m_canvas->setEnabled(false); // no zoom over readings half read
    const bool ok = m_source.load(&error, [&](int percent) {
        // Between chunks the window paints and answers: cancelling the box,
        // or closing the window, stops the read.
        QCoreApplication::processEvents();
        return progress->update(percent) && !m_closeAsked;
    });
    m_canvas->setEnabled(true);
    m_canvas->setFocus(); // disabled, it had given the keys away
    m_loading = false;
    progress.reset();
    QApplication::restoreOverrideCursor();
    if (m_source.stopped()) {
        close();
        return false;
    }
    extentChanged();
    if (!ok)
        m_dialogs.messageFor(this, error, platform::MessageIcon::Critical);
    m_follow->start(FollowEveryMs);
    return ok;
}

void TrendWindow::closeEvent(QCloseEvent* event) {
    if (m_loading) { // the read stops at its next chunk, and the window closes then
        m_closeAsked = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TrendWindow::extentChanged() {
    const trend::TrendData& data = m_source.data();
    if (data.firstMs())
        m_zoom.setExtent(*data.firstMs(), *data.lastMs());
    m_status->setText(trend::statusText(data) +
                      (m_notice.isEmpty() ? QString() : QStringLiteral("; ") + m_notice));
    m_canvas->update();
}

void TrendWindow::readMore() {
    if (m_noticeReads > 0 && --m_noticeReads == 0) {
        m_notice.clear();
        extentChanged();
    }
    QString error;
    switch (m_source.readMore(&error)) {
    case core::TrendSource::Growth::None:
        return;
    case core::TrendSource::Growth::Grew:
        extentChanged();
        return;
    case core::TrendSource::Growth::Reread:
        m_canvas->dropPicks(); // readings came in before those picked
        extentChanged();
        return;
    case core::TrendSource::Growth::Rewritten:
        // Other readings: picks and set axes of the old ones mean nothing now.
        m_canvas->dropPicks();
        m_zoom = trend::TrendZoom();
        m_notice = core::trendFileRewritten(m_source.paths().last());
        m_noticeReads = NoticeReads;
        extentChanged();
        return;
    case core::TrendSource::Growth::Failed:
        m_canvas->dropPicks(); // what was read may be gone with the failed read
        m_notice = error;
        m_noticeReads = NoticeReads;
        extentChanged();
        return;
    }
}

void TrendWindow::showReadout() {
    const auto& pick = m_canvas->hover();
    if (!pick) {
        m_readout->clear();
        return;
    }
    const trend::TrendSeries& series = m_source.data().series()[pick->series];
    const auto fields = m_source.recordFields(series.row(pick->reading));
    m_readout->setText(trend::readoutText(series, pick->reading,
                                          fields ? QString::fromUtf8(fields->at(5)) : QString(),
                                          fields ? QString::fromUtf8(fields->at(0))
                                                 : QString::number(series.row(pick->reading) + 1)));
}

void TrendWindow::showMeasure() {
    const auto& first = m_canvas->first();
    const auto& second = m_canvas->second();
    if (!first) { // none yet, or ended by Home or a zoom elsewhere
        m_measure->setText(
            QStringLiteral("Click a reading, then another, to measure between them."));
        return;
    }
    const trend::TrendSeries& series = m_source.data().series()[first->series];
    if (!second) {
        m_measure->setText(QStringLiteral("From %1: click another reading of %2 %3 to measure.")
                               .arg(trend::readoutText(series, first->reading, {}, {})
                                        .section(QStringLiteral("  "), 0, 0),
                                    series.function(), series.range()));
        return;
    }
    m_measure->setText(trend::measureText(
        trend::measureBetween(series, first->reading, second->reading), series.unit()));
}

void TrendWindow::showMenu(QPoint global) {
    QMenu menu(this);
    menu.addActions(actions());
    menu.exec(global);
}

void TrendWindow::askSaveAs() {
    const QString path = m_dialogs.saveFileName(trendSaveFilter());
    if (!path.isEmpty())
        saveAs(path);
}

bool TrendWindow::saveAs(const QString& path) {
    TrendScene scene = m_canvas->scene();
    scene.hover.reset();
    QString error;
    if (saveTrend(path, scene, m_canvas->size(), m_source, &error))
        return true;
    m_dialogs.messageFor(this, error, platform::MessageIcon::Critical);
    return false;
}

void TrendWindow::printTrend() {
    m_canvas->setWindowTitle(windowTitle()); // the name of what it prints
    if (!m_printer.printWindow(m_canvas) && !m_printer.cancelled())
        m_dialogs.messageFor(this, m_printer.errorText(), platform::MessageIcon::Critical);
}

} // namespace tarnix::ui
