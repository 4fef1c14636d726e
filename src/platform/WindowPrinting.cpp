#include "platform/WindowPrinting.h"

#include "platform/Dialogs.h"
#include "platform/Printer.h"

namespace tarnix::platform {

QString printFailureText(const QString& errorText) {
    return errorText.isEmpty() ? QStringLiteral("Printing failed.") : errorText;
}

void printWindowImage(Printer& printer, Dialogs& dialogs, QWidget* window) {
    if (!printer.printWindow(window) && !printer.cancelled())
        dialogs.message(printFailureText(printer.errorText()), MessageIcon::Critical);
}

} // namespace tarnix::platform
