#pragma once

#include "platform/RealClock.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

namespace tarnix::sim {

class SimMeter;

// A simulated meter behind a pseudo-terminal (Linux): the program opens
// devicePath() like any serial device. Each byte the meter answers reaches
// the port after its wire time, and the meter hears only what was sent at
// its own speed, read from the terminal settings the program chose.
class PtyMeter final : public QObject {
    Q_OBJECT
public:
    explicit PtyMeter(SimMeter& meter, QObject* parent = nullptr);
    ~PtyMeter() override;
    PtyMeter(const PtyMeter&) = delete;
    PtyMeter& operator=(const PtyMeter&) = delete;

    // Makes the pseudo-terminal and, when `linkPath` is given, a symlink to
    // it (replacing an older symlink there). False with errorText() set when
    // either cannot be made.
    bool open(const QString& linkPath = {});
    bool isOpen() const { return m_master >= 0; }
    QString devicePath() const { return m_devicePath; }
    QString linkPath() const { return m_linkPath; }
    QString errorText() const { return m_errorText; }

    SimMeter& meter() { return m_meter; }
    // Switches the meter off or on.
    void setPowered(bool on);

Q_SIGNALS:
    // The program sent `bytes` with its port at `baud` (0: a speed the meter
    // does not know). The meter has already heard them.
    void received(const QByteArray& bytes, int baud);
    // The pseudo-terminal stopped working; the meter hears nothing more.
    void failed(const QString& reason);

private:
    void onReadable();
    void onSendTime();
    void writeBacklog();
    void schedule();
    int portBaud() const;
    double now() const { return m_clock.monotonic(); }
    void fail(const QString& what);
    void stopOnError();
    bool makeLink(const QString& linkPath);
    void close();

    SimMeter& m_meter;
    int m_master = -1;
    // Held open so the master never sees a hang-up while the program has the port closed.
    int m_slave = -1;
    QString m_devicePath;
    QString m_linkPath;
    QString m_errorText;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer m_sendTimer;
    platform::RealClock m_clock; // a pseudo-terminal's bytes cross in real time
    QByteArray m_backlog; // answer bytes due but not yet taken by the terminal
    bool m_broken = false;
};

} // namespace tarnix::sim
