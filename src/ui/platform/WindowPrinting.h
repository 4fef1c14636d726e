#pragma once

#include <QString>

class QWidget;

namespace tarnix::platform {
class Dialogs;
class Printer;
} // namespace tarnix::platform

namespace tarnix::ui {

// What a failed print tells the user: the printer's reason, never nothing.
QString printFailureText(const QString& errorText);

// Prints the image of `drawing`, the part of `window` below its menu bar; a
// failure is told to the user, a cancel is not.
void printWindowImage(platform::Printer& printer, platform::Dialogs& dialogs, QWidget* window,
                      QWidget* drawing);

} // namespace tarnix::ui
