#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace tarnix::ui {

// A label that reports clicks (the value display sends "EEE" when clicked).
class ClickableLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            Q_EMIT clicked();
        QLabel::mouseReleaseEvent(event);
    }
};

} // namespace tarnix::ui
