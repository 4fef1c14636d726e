#include "ui/lists/ListWindow.h"

#include "records/DataChannel.h"
#include "records/AnalysisFile.h"
#include "records/DataFile.h"
#include "platform/Dialogs.h"
#include "platform/Twips.h"
#include "ui/lists/ListGrid.h"
#include "ui/lists/ListPrinting.h"
#include "ui/lists/PlotBoard.h"
#include "ui/platform/TwipsGeometry.h"
#include "ui/trend/TrendOpening.h"

#include <QGuiApplication>
#include <QPushButton>

namespace tarnix::ui {

ListWindow::ListWindow(const ListContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), m_context(context), m_model(this) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_grid = new ListGrid(&m_model, this);
    addTrendEntry(this, QStringLiteral("Trend"), [this] { openTrend(); });
}

void ListWindow::openTrend() {
    openListTrend(m_model.records(), windowTitle(), m_context.dialogs, m_context.printer,
                  m_context.clock, this);
}

void ListWindow::placeGrid(int left, int top, int width, int height) {
    setGeometryTwips(m_grid, left, top, std::max(width, 0), std::max(height, 0));
}

void ListWindow::layOutNow() {
    layOut(int(platform::pixelsToTwips(width(), logicalDpiX())),
           int(platform::pixelsToTwips(height(), logicalDpiY())));
}

void ListWindow::resizeEvent(QResizeEvent* event) {
    layOutNow();
    QWidget::resizeEvent(event);
}

QPushButton* ListWindow::addButton(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    m_buttons.push_back(button);
    return button;
}

void ListWindow::placeButtons(int top, int height) {
    int left = 60;
    for (QPushButton* button : m_buttons) {
        setGeometryTwips(button, left, top, ButtonWidth, height);
        left += ButtonWidth + 120;
    }
}

void ListWindow::plotList(plot::PlotSource source) {
    if (m_context.plots)
        m_context.plots->plot(source, this);
}

void ListWindow::saveList() {
    if (m_context.data.pcRecording) {
        m_context.dialogs.messageFor(this, records::AlreadyRecordingMessage,
                                     platform::MessageIcon::Critical);
        return;
    }
    QString chosen;
    const QString path = m_context.dialogs.saveFileName(records::ListSaveFilter, &chosen);
    if (path.isEmpty())
        return;
    const bool csv = chosen == records::AnalysisCsvFilter;
    if (!csv)
        m_context.data.dataFileName = path;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    qint64 leftOut = 0;
    const bool saved = csv ? saveAnalysisFile(path, m_model.records(), &leftOut, &error)
                           : saveDataFile(path, m_model.records(), &error);
    QGuiApplication::restoreOverrideCursor();
    if (!saved)
        m_context.dialogs.messageFor(this, error, platform::MessageIcon::Critical);
    else if (leftOut > 0)
        m_context.dialogs.messageFor(this, records::leftOutMessage(path, leftOut),
                                     platform::MessageIcon::Exclamation);
}

void ListWindow::printList() {
    printGridList(this, m_model.records(), m_context.printer, m_context.dialogs,
                  m_context.pollingTimer, m_context.clock);
}

} // namespace tarnix::ui
