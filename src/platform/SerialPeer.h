#pragma once

#include <QByteArray>

namespace tarnix::platform {

// The far end of an in-memory serial line: a simulated meter. Times are the
// clock's monotonic seconds, so bytes take their wire time on the real clock
// and on the virtual clock of the tests alike.
class SerialPeer {
public:
    virtual ~SerialPeer() = default;
    // The PC wrote `bytes` at `time` at the port speed `baud`; called once
    // they have crossed the wire whole.
    virtual void receive(const QByteArray& bytes, int baud, double time) = 0;
    // The PC started writing `bytes` at `time`: they are on the wire now and
    // may yet be cut off. Only a listener on the wire cares.
    virtual void sending(const QByteArray& bytes, int baud, double time) {
        (void)bytes, (void)baud, (void)time;
    }
    // How many of the peer's bytes have reached the PC by `time`.
    virtual int arrivedCount(double time) const = 0;
    // Removes and returns the bytes that have reached the PC by `time`.
    virtual QByteArray takeArrived(double time) = 0;
};

} // namespace tarnix::platform
