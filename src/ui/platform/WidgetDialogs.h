#pragma once

#include "platform/Clock.h"
#include "platform/Dialogs.h"

#include <QFileDialog>
#include <QPointer>
#include <QProgressDialog>
#include <QWidget>
#include <memory>

namespace tarnix::ui {

// Dialogs shown as Qt message and input boxes, each a box of a window: the
// one a message names, else the window the user is working in, else the
// program's main window.
class WidgetDialogs final : public platform::Dialogs {
public:
    // `clock` times how long work runs before its progress box shows.
    explicit WidgetDialogs(const platform::Clock& clock, QWidget* mainWindow = nullptr)
        : m_clock(clock), m_mainWindow(mainWindow) {}
    void setMainWindow(QWidget* window) { m_mainWindow = window; }

    void messageFor(QObject* window, const QString& text, platform::MessageIcon icon,
                    const QString& title) override;
    bool retry(const QString& text) override;
    QString input(const QString& prompt, const QString& title,
                  const QString& defaultAnswer) override;
    QString saveFileName(const QString& filter) override;
    QString saveFileName(const QString& filter, QString* chosen) override;
    QString openFileName(const QString& filter) override;
    std::unique_ptr<platform::Progress> progressFor(QObject* window, const QString& text) override;

    // The file dialog both file boxes show, ready to run. Its filters read
    // as `filter` gives them, and "All Files (*.*)" lists every file, also
    // those without a dot, which "*.*" alone hides on Linux.
    static std::unique_ptr<QFileDialog> fileDialog(QWidget* parent, QFileDialog::AcceptMode mode,
                                                   const QString& filter);

private:
    const platform::Clock& m_clock;
    class ProgressAside;
    QWidget* owner(QObject* window) const;
    QString fileName(QFileDialog::AcceptMode mode, const QString& filter, QString* chosen = nullptr);

    QPointer<QWidget> m_mainWindow;
    QPointer<QProgressDialog> m_progress; // the newest progress box, while it lives
};

} // namespace tarnix::ui
