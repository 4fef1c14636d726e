#pragma once

#include <QByteArray>

namespace tarnix::platform {

// The far end of an in-memory serial line: a simulated meter. Times are the
// clock's monotonic seconds, so bytes take their wire time on the real clock
// and on the virtual clock of the tests alike.
class SerialPeer {
public:
    virtual ~SerialPeer() = default;
    // The PC wrote `bytes` at `time` at the port speed `baud`.
    virtual void receive(const QByteArray& bytes, int baud, double time) = 0;
    // How many of the peer's bytes have reached the PC by `time`.
    virtual int arrivedCount(double time) const = 0;
    // Removes and returns the bytes that have reached the PC by `time`.
    virtual QByteArray takeArrived(double time) = 0;
};

} // namespace tarnix::platform
