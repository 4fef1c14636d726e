#pragma once

class QWidget;
class QSize;
class QSizeF;
class QRectF;
class QPointF;

namespace tarnix::ui {

// Places a widget at a rectangle given in twips inside its parent, at the
// screen's logical resolution.
void setGeometryTwips(QWidget* widget, int left, int top, int width, int height);
void setGeometryTwips(QWidget* widget, const QRectF& twips);
// Moves a widget's top left corner to a point given in twips.
void moveTwips(QWidget* widget, QPointF twips);
// A size in twips as pixels for `widget`'s screen.
QSize sizeFromTwips(const QWidget* widget, int width, int height);

// A window's outer size in twips, rounded to whole twips: its inner area and
// the frame and caption the window system gives it. Where there is none (no
// window manager, or offscreen), the window is counted with the frame its
// layout was designed with, 90 twips across and 375 down, so that sizes
// derived from the outer size keep their designed proportions.
QSizeF outerSizeTwips(const QWidget* window);
// Gives a window the outer size `twips`: the frame keeps its own size and
// the inner area takes the rest.
void resizeOuterTwips(QWidget* window, QSizeF twips);

} // namespace tarnix::ui
