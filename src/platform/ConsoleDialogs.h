#pragma once

#include "platform/Dialogs.h"

#include <functional>

namespace tarnix::platform {

// Dialogs for a program without windows: a message becomes one line on
// standard error, and nobody is there to answer, so input boxes and file
// dialogs come back empty, as if cancelled.
class ConsoleDialogs final : public Dialogs {
public:
    // Where a finished message line goes (without its line end).
    using LineWriter = std::function<void(const QString& line)>;

    // Lines start with "`program`: ". Without a writer they go to standard error.
    explicit ConsoleDialogs(QString program, LineWriter writer = {});

    void messageFor(QObject* window, const QString& text, MessageIcon icon,
                    const QString& title) override;
    QString input(const QString& prompt, const QString& title,
                  const QString& defaultAnswer) override;
    QString saveFileName(const QString& filter) override;
    QString openFileName(const QString& filter) override;

private:
    QString m_program;
    LineWriter m_writer;
};

// A message box text as one line: its line breaks become single blanks.
QString messageLine(const QString& text);

} // namespace tarnix::platform
