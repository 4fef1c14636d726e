#include "ui/platform/WindowPrinting.h"

#include "platform/Dialogs.h"
#include "platform/Printer.h"

#include <QWidget>

namespace tarnix::ui {

QString printFailureText(const QString& errorText) {
    return errorText.isEmpty() ? QStringLiteral("Printing failed.") : errorText;
}

void printWindowImage(platform::Printer& printer, platform::Dialogs& dialogs, QWidget* window,
                      QWidget* drawing) {
    // The printer may wait in a dialog, and a window closed meanwhile (a
    // chart handing over to the next range, say) would be deleted under the
    // print that is still running: it goes once the print has returned.
    const bool deletesOnClose = window->testAttribute(Qt::WA_DeleteOnClose);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    if (!printer.printWindow(drawing) && !printer.cancelled())
        dialogs.messageFor(window, printFailureText(printer.errorText()),
                           platform::MessageIcon::Critical);
    window->setAttribute(Qt::WA_DeleteOnClose, deletesOnClose);
    if (deletesOnClose && !window->isVisible())
        window->deleteLater();
}

} // namespace tarnix::ui
