#pragma once

#include <QString>

namespace tarnix::app {

// The About box's title and text: the version (the one --version prints),
// the licence, and where the README and the manual pages are installed.
QString aboutTitle();
QString aboutText();

} // namespace tarnix::app
