#pragma once

class QWidget;

namespace tarnix::platform {

class Dialogs;
class Printer;

// Prints the image of `window`; a failure is told to the user, a cancel is not.
void printWindowImage(Printer& printer, Dialogs& dialogs, QWidget* window);

} // namespace tarnix::platform
