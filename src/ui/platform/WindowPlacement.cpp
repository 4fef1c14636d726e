#include "ui/platform/WindowPlacement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace tarnix::ui {

QPoint freeSpot(QSize size, QRect anchor, const std::vector<QRect>& taken, QRect screen) {
    std::vector<QPoint> spots{{anchor.right() + 1, anchor.top()}};
    for (const QRect& window : taken) {
        spots.push_back({window.right() + 1, window.top()});
        spots.push_back({window.left(), window.bottom() + 1});
    }
    spots.push_back({anchor.left(), anchor.bottom() + 1});
    // Each spot is first moved onto the screen as far as the window fits.
    const auto onScreen = [&](QPoint spot) {
        return QPoint(
            std::clamp(spot.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width())),
            std::clamp(spot.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height())));
    };
    const auto covered = [&](QPoint spot) {
        const QRect rect(spot, size);
        qint64 area = 0;
        for (const QRect& other : taken)
            area += qint64((rect & other).width()) * (rect & other).height();
        const QRect onAnchor = rect & anchor;
        return area + qint64(onAnchor.width()) * onAnchor.height();
    };
    // The first spot that covers nothing; failing that, the one that covers least.
    QPoint best = onScreen(spots.front());
    qint64 least = covered(best);
    for (const QPoint& spot : spots) {
        if (least == 0)
            break;
        const QPoint moved = onScreen(spot);
        if (const qint64 area = covered(moved); area < least) {
            best = moved;
            least = area;
        }
    }
    return best;
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

} // namespace tarnix::ui
