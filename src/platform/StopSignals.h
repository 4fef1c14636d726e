#pragma once

#include <QObject>

class QSocketNotifier;

namespace tarnix::platform {

// SIGINT and SIGTERM as a Qt signal. The handler only writes the signal's
// number to a socket pair; the event loop reads it between events, so the
// program never stops in the middle of a handler (a line half written).
// One watcher per program.
class StopSignals final : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Installs the handlers. False when the socket pair cannot be made.
    bool watch();

Q_SIGNALS:
    void stopAsked(int signalNumber);

private:
    void onReadable();

    int m_read = -1;
    int m_write = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace tarnix::platform
