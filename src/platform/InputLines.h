#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace tarnix::platform {

// Standard input split into lines as they come, and its end: a program that
// takes commands there ends with the terminal or pipe that feeds it.
class InputLines final : public QObject {
    Q_OBJECT

public:
    explicit InputLines(QObject* parent = nullptr);
    InputLines(const InputLines&) = delete;
    InputLines& operator=(const InputLines&) = delete;

    // Standard input closed when the program started (`<&-`) is opened on
    // /dev/null, so that it reads as ended and no file the program opens
    // later takes its place. Call first thing in main().
    static void holdOpen();
    // Starts reading; /dev/null ends at once, from the event loop.
    void watch();

Q_SIGNALS:
    void lineRead(const QString& line);
    // End of file or a read that failed; a last line without its newline came before.
    void ended();

private:
    void onReadable();
    void end();

    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_pending; // a line not yet ended
};

} // namespace tarnix::platform
