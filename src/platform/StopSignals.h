#pragma once

#include <QObject>

class QSocketNotifier;

namespace tarnix::platform {

// SIGINT and SIGTERM as a Qt signal, and for a program that is driven by
// signals also SIGHUP, SIGUSR1 and SIGUSR2, or SIGHUP alone to reopen files. The handler only writes the
// signal's number to a socket pair; the event loop reads it between events,
// so the program never stops in the middle of a handler (a line half
// written). One watcher per program.
class StopSignals final : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    enum class Watch {
        Stops,               // SIGINT and SIGTERM
        StopsAndUserSignals, // also SIGHUP as a stop, and SIGUSR1 and SIGUSR2
        StopsAndReopen,      // also SIGHUP, to close and reopen the files written
    };

    // Installs the handlers. False when the socket pair cannot be made.
    bool watch(Watch what = Watch::Stops);

Q_SIGNALS:
    void stopAsked(int signalNumber);
    // SIGUSR1 (1) or SIGUSR2 (2).
    void userSignal(int which);
    // SIGHUP under StopsAndReopen.
    void reopenAsked();

private:
    void onReadable();
    void restoreDefaults();

    int m_read = -1;
    int m_write = -1;
    QSocketNotifier* m_notifier = nullptr;
    Watch m_watched = Watch::Stops;
};

} // namespace tarnix::platform
