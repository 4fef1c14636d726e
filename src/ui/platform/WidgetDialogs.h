#pragma once

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

namespace tarnix::platform {

// Dialogs shown as Qt message and input boxes over a parent window.
class WidgetDialogs final : public Dialogs {
public:
    explicit WidgetDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    void message(const QString& text, MessageIcon icon, const QString& title) override;
    bool retry(const QString& text) override;
    QString input(const QString& prompt, const QString& title,
                  const QString& defaultAnswer) override;
    QString saveFileName(const QString& filter) override;
    QString openFileName(const QString& filter) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace tarnix::platform
