#pragma once

class QChart;
class QPalette;

namespace tarnix::ui {

// Gives `chart` the colours of `palette`: the window's background round the
// plot, an entry field's inside the plot, its texts and a lighter line on a
// dark theme.
void followPalette(QChart& chart, const QPalette& palette);

} // namespace tarnix::ui
