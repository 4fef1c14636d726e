#include "platform/TwipsGeometry.h"

#include "platform/Twips.h"

#include <QWidget>

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

} // namespace tarnix::platform
