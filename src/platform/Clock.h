#pragma once

#include <QDateTime>

namespace tarnix::platform {

// Where the program's time comes from.
class Clock {
public:
    virtual ~Clock() = default;

    // Seconds since midnight with fractions, as the meter protocol's waits count.
    virtual double secondsSinceMidnight() const = 0;
    virtual QDateTime now() const = 0;
    // Seconds from an arbitrary start; never goes back, not even at midnight.
    virtual double monotonic() const = 0;

    // Waits while the user interface stays alive (timers and clicks run).
    // False when the wait was cut short because the program is ending;
    // every later wait then returns false at once.
    [[nodiscard]] virtual bool wait(double seconds) = 0;
    // The program is ending: the running waits end and later ones return at once.
    virtual void stop() = 0;
    virtual bool stopped() const = 0;
};

} // namespace tarnix::platform
