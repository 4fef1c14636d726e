#include "ui/lists/PlotWindow.h"

#include "ui/lists/PlotCanvas.h"
#include "ui/platform/WindowPrinting.h"

#include <QAction>
#include <QMenuBar>

namespace tarnix::ui {

PlotWindow::PlotWindow(plot::PlotKind kind, plot::PlotDrawing drawing, platform::Printer& printer,
                       platform::Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_kind(kind), m_printer(printer), m_dialogs(dialogs) {
    setAttribute(Qt::WA_DeleteOnClose);
    const bool isSigned = kind == plot::PlotKind::Signed;
    setObjectName(isSigned ? QStringLiteral("ListPlot2") : QStringLiteral("ListPlot1"));
    setWindowTitle(isSigned ? QStringLiteral("Plot Data/File") : QStringLiteral("Plot Data/File "));
    QAction* limit = menuBar()->addAction(QStringLiteral("Limit"));
    limit->setObjectName(QStringLiteral("MnuLimit"));
    connect(limit, &QAction::triggered, this, &PlotWindow::limitRequested);
    QAction* printAction = menuBar()->addAction(QStringLiteral("Print"));
    printAction->setObjectName(QStringLiteral("MnuPrint"));
    connect(printAction, &QAction::triggered, this, &PlotWindow::print);
    auto* canvas = new PlotCanvas(kind, std::move(drawing), this);
    setCentralWidget(canvas);
    resize(canvas->sizeHint() + QSize(0, menuBar()->sizeHint().height()));
}

void PlotWindow::print() {
    printWindowImage(m_printer, m_dialogs, this, centralWidget());
}

} // namespace tarnix::ui
