#include "platform/TwipsGeometry.h"

#include "platform/Twips.h"

#include <QSizeF>
#include <QWidget>
#include <cmath>

namespace tarnix::platform {

void setGeometryTwips(QWidget* widget, int left, int top, int width, int height) {
    const double dx = widget->logicalDpiX(), dy = widget->logicalDpiY();
    widget->setGeometry(twipsToPixels(left, dx), twipsToPixels(top, dy),
                        twipsToPixels(width, dx), twipsToPixels(height, dy));
}

QSize sizeFromTwips(const QWidget* widget, int width, int height) {
    return {twipsToPixels(width, widget->logicalDpiX()),
            twipsToPixels(height, widget->logicalDpiY())};
}

QSizeF outerSizeTwips(const QWidget* window) {
    const QSize px = window->frameGeometry().size();
    return {std::round(pixelsToTwips(px.width(), window->logicalDpiX())),
            std::round(pixelsToTwips(px.height(), window->logicalDpiY()))};
}

void resizeOuterTwips(QWidget* window, QSizeF twips) {
    // Before the window is shown the frame is not known and counts as none.
    const QSize frame = window->frameGeometry().size() - window->size();
    window->resize(twipsToPixels(twips.width(), window->logicalDpiX()) - frame.width(),
                   twipsToPixels(twips.height(), window->logicalDpiY()) - frame.height());
}

} // namespace tarnix::platform
