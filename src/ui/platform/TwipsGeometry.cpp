#include "ui/platform/TwipsGeometry.h"

#include "platform/Twips.h"

#include <QRectF>
#include <QSizeF>
#include <QWidget>
#include <cmath>

namespace tarnix::ui {

void setGeometryTwips(QWidget* widget, int left, int top, int width, int height) {
    const double dx = widget->logicalDpiX(), dy = widget->logicalDpiY();
    widget->setGeometry(platform::twipsToPixels(left, dx), platform::twipsToPixels(top, dy),
                        platform::twipsToPixels(width, dx), platform::twipsToPixels(height, dy));
}

void setGeometryTwips(QWidget* widget, const QRectF& twips) {
    setGeometryTwips(widget, int(twips.left()), int(twips.top()), int(twips.width()),
                     int(twips.height()));
}

void moveTwips(QWidget* widget, QPointF twips) {
    widget->move(platform::twipsToPixels(twips.x(), widget->logicalDpiX()),
                 platform::twipsToPixels(twips.y(), widget->logicalDpiY()));
}

QSize sizeFromTwips(const QWidget* widget, int width, int height) {
    return {platform::twipsToPixels(width, widget->logicalDpiX()),
            platform::twipsToPixels(height, widget->logicalDpiY())};
}

namespace {

constexpr QSizeF DesignFrame{90, 375}; // twips

QSizeF frameTwips(const QWidget* window) {
    const QSize px = window->frameGeometry().size() - window->size();
    if (px.width() <= 0 && px.height() <= 0)
        return DesignFrame;
    return {platform::pixelsToTwips(px.width(), window->logicalDpiX()),
            platform::pixelsToTwips(px.height(), window->logicalDpiY())};
}

} // namespace

QSizeF outerSizeTwips(const QWidget* window) {
    const QSizeF frame = frameTwips(window);
    return {
        std::round(platform::pixelsToTwips(window->width(), window->logicalDpiX()) + frame.width()),
        std::round(platform::pixelsToTwips(window->height(), window->logicalDpiY()) +
                   frame.height())};
}

void resizeOuterTwips(QWidget* window, QSizeF twips) {
    const QSizeF frame = frameTwips(window);
    window->resize(platform::twipsToPixels(twips.width() - frame.width(), window->logicalDpiX()),
                   platform::twipsToPixels(twips.height() - frame.height(), window->logicalDpiY()));
}

} // namespace tarnix::ui
