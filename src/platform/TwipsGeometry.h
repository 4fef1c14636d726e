#pragma once

class QWidget;
class QSize;

namespace tarnix::platform {

// Places a widget at a rectangle given in twips inside its parent, at the
// screen's logical resolution.
void setGeometryTwips(QWidget* widget, int left, int top, int width, int height);
// A size in twips as pixels for `widget`'s screen.
QSize sizeFromTwips(const QWidget* widget, int width, int height);

} // namespace tarnix::platform
