#include "ui/platform/WindowPlacement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace tarnix::platform {

QPoint freeSpot(QSize size, QRect anchor, const std::vector<QRect>& taken, QRect screen) {
    std::vector<QPoint> spots{{anchor.right() + 1, anchor.top()}};
    for (const QRect& window : taken) {
        spots.push_back({window.right() + 1, window.top()});
        spots.push_back({window.left(), window.bottom() + 1});
    }
    spots.push_back({anchor.left(), anchor.bottom() + 1});
    const auto free = [&](const QRect& rect) {
        return screen.contains(rect) && !rect.intersects(anchor) &&
               std::none_of(taken.begin(), taken.end(),
                            [&](const QRect& window) { return rect.intersects(window); });
    };
    for (const QPoint& spot : spots)
        if (free(QRect(spot, size)))
            return spot;
    const QPoint beside = spots.front();
    return {std::clamp(beside.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width())),
            std::clamp(beside.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()))};
}

void placeClear(QWidget* window, const QWidget* anchor, std::initializer_list<const QWidget*> open) {
    std::vector<QRect> taken;
    for (const QWidget* other : open)
        if (other && other != window && other->isVisible() && !other->isMinimized())
            taken.push_back(other->frameGeometry());
    // The window has no frame yet: it will get one like the anchor's.
    const QSize frame = anchor->frameGeometry().size() - anchor->geometry().size();
    const QScreen* screen = anchor->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
    window->move(freeSpot(window->size() + frame, anchor->frameGeometry(), taken, area));
}

void bringForward(QWidget* window) {
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace tarnix::platform
