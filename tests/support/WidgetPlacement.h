#pragma once

#include <QString>
#include <QWidget>

// No visible widget of `window` is cut off by its edge (a row wholly out of
// sight is meant so), and no two visible widgets side by side overlap:
// nothing covered or left where another layout put it. Empty when all is
// well, else what is wrong.
inline QString misplacedWidget(const QWidget* window) {
    for (const QWidget* child : window->findChildren<QWidget*>()) {
        if (!child->isVisible() || child->window() != window)
            continue;
        const QRect at(child->mapTo(window, QPoint(0, 0)), child->size());
        if (!window->rect().contains(at) && window->rect().intersects(at))
            return child->objectName() +
                   QStringLiteral(" reaches %1x%2").arg(at.right()).arg(at.bottom());
        for (const QObject* other : child->parentWidget()->children()) {
            const auto* sibling = qobject_cast<const QWidget*>(other);
            if (sibling && sibling != child && sibling->isVisible() && !sibling->isWindow() &&
                sibling->geometry().intersects(child->geometry()))
                return child->objectName() + QStringLiteral(" covers ") + sibling->objectName();
        }
    }
    return {};
}
