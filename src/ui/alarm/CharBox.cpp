#include "ui/alarm/CharBox.h"

#include <QKeyEvent>

namespace tarnix::ui {

CharBox::CharBox(QString accepted, bool editingKeys, QWidget* parent)
    : QLineEdit(parent), m_accepted(std::move(accepted)), m_editingKeys(editingKeys) {
    setMaxLength(1);
    setAlignment(Qt::AlignCenter);
}

void CharBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        QLineEdit::keyPressEvent(event);
        return;
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_editingKeys)
            QLineEdit::keyPressEvent(event);
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (text.size() == 1 && m_accepted.contains(text[0]))
        QLineEdit::keyPressEvent(event);
    // every other key is ignored
}

void CharBox::mousePressEvent(QMouseEvent* event) {
    clear();
    QLineEdit::mousePressEvent(event);
}

} // namespace tarnix::ui
