#pragma once

#include <QFont>

namespace tarnix::ui {

// The windows' fonts by their designed names. Where a name is not installed,
// fontconfig picks a look-alike (Liberation Serif for Times New Roman) and
// the style hint a fallback of the same kind.
QFont timesNewRoman(double points, bool bold);
QFont msSansSerif(double points, bool bold);

} // namespace tarnix::ui
