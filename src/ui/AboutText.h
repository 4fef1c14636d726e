#pragma once

#include <QString>

class QObject;

namespace tarnix::platform {
class Dialogs;
}

namespace tarnix::ui {

// The About box's text: the version (the one --version prints), the
// licence, and where the README and the manual pages are installed.
QString aboutText();

// Shows it as a box of `window` (F1).
void showAbout(platform::Dialogs& dialogs, QObject* window);

} // namespace tarnix::ui
