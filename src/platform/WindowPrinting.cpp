#include "platform/WindowPrinting.h"

#include "platform/Dialogs.h"
#include "platform/Printer.h"

namespace tarnix::platform {

void printWindowImage(Printer& printer, Dialogs& dialogs, QWidget* window) {
    if (printer.printWindow(window) || printer.cancelled())
        return;
    const QString why = printer.errorText();
    dialogs.message(why.isEmpty() ? QStringLiteral("Printing failed.") : why,
                    MessageIcon::Exclamation);
}

} // namespace tarnix::platform
