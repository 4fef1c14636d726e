#include "ui/ToolTips.h"

#include <QWidget>

namespace tarnix::ui {

void setToolTips(QWidget* window, std::span<const ToolTip> tips) {
    for (const ToolTip& tip : tips)
        for (QWidget* widget : window->findChildren<QWidget*>(QString::fromLatin1(tip.name)))
            widget->setToolTip(QString::fromUtf8(tip.text));
}

} // namespace tarnix::ui
