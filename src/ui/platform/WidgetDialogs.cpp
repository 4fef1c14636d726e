#include "ui/platform/WidgetDialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace tarnix::platform {

namespace {

QString windowTitle(const QString& title) {
    return title.isEmpty() ? QStringLiteral("Tarnix") : title;
}

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void WidgetDialogs::message(const QString& text, MessageIcon icon, const QString& title) {
    QMessageBox box(boxIcon(icon), windowTitle(title), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool WidgetDialogs::retry(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, windowTitle({}), text,
                    QMessageBox::Ok | QMessageBox::Cancel, m_parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

QString WidgetDialogs::input(const QString& prompt, const QString& title,
                             const QString& defaultAnswer) {
    bool accepted = false;
    const QString answer = QInputDialog::getText(m_parent, windowTitle(title), prompt,
                                                 QLineEdit::Normal, defaultAnswer, &accepted);
    return accepted ? answer : QString();
}

QString WidgetDialogs::saveFileName(const QString& filter) {
    // No confirmation for an existing file and no extension added: the name
    // is used as typed. The file itself is replaced safely by its writer.
    return QFileDialog::getSaveFileName(m_parent, QString(), QString(), filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString WidgetDialogs::openFileName(const QString& filter) {
    return QFileDialog::getOpenFileName(m_parent, QString(), QString(), filter);
}

} // namespace tarnix::platform
