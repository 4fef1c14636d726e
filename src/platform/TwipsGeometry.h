#pragma once

class QWidget;
class QSize;
class QSizeF;

namespace tarnix::platform {

// Places a widget at a rectangle given in twips inside its parent, at the
// screen's logical resolution.
void setGeometryTwips(QWidget* widget, int left, int top, int width, int height);
// A size in twips as pixels for `widget`'s screen.
QSize sizeFromTwips(const QWidget* widget, int width, int height);

// A window's outer size (with its frame and caption, where the window
// system gives them) in twips, rounded to whole twips.
QSizeF outerSizeTwips(const QWidget* window);
// Gives a window the outer size `twips`: the frame keeps its own size and
// the inner area takes the rest.
void resizeOuterTwips(QWidget* window, QSizeF twips);

} // namespace tarnix::platform
