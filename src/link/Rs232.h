#pragma once

#include <QByteArray>
#include <cstdint>
#include <functional>

namespace tarnix::platform {
class Clock;
class Dialogs;
class SerialPort;
struct PortSettings;
} // namespace tarnix::platform

namespace tarnix::link {

// The byte exchange with the meter over the one serial port: the flush, the
// wait that keeps the window alive, and single-byte memory reads and writes.
//
// Every routine that waits returns false when it stopped early: the program
// is ending (the clock was stopped) or the device went away. Callers then
// give up their action without touching anything else.
class Rs232 {
public:
    Rs232(platform::SerialPort& port, platform::Clock& clock, platform::Dialogs& dialogs);

    platform::SerialPort& port() { return m_port; }
    platform::Clock& clock() { return m_clock; }

    // Throws away every waiting byte.
    void flush();
    void send(const QByteArray& bytes);
    // Opens the port at `settings`, or moves an open port to them, once the
    // bytes sent have left the wire at the old speed, so the meter hears them
    // whole. False with the port's errorText() when it does not open.
    bool reopen(const platform::PortSettings& settings);
    // Takes every byte that has arrived.
    QByteArray receive();

    // Waits `seconds` while the user interface stays alive. A wait that would
    // end at or after midnight returns at once, as the meter protocol always has.
    [[nodiscard]] bool delay(double seconds);

    // Reads the byte at `address` into lastByte(): "R", 0.2 s, then low and
    // high address bytes; the meter answers with exactly three bytes, the data
    // byte second. Three seconds without that answer show "Wait Time Out ! Try
    // again !" and start the read again, until the user cancels that box or
    // the time-out limit is reached; then gaveUp() is true.
    [[nodiscard]] bool readByte(int address);
    std::uint8_t lastByte() const { return m_lastByte; }

    // Time-outs in a row after which a read gives up without asking (0: ask
    // every time). A program with nobody to answer sets one.
    void setTimeoutLimit(int timeouts) { m_timeoutLimit = timeouts; }
    // Whether a time-out below that limit asks the user to try again, or
    // tries again without asking.
    void setAskOnTimeout(bool ask) { m_askOnTimeout = ask; }
    int timeoutLimit() const { return m_timeoutLimit; }
    bool asksOnTimeout() const { return m_askOnTimeout; }
    // The last read ended because the meter did not answer, not because the
    // program is ending or the device went away.
    bool gaveUp() const { return m_gaveUp; }
    // Called at every read time-out: the meter has gone quiet, whoever is
    // waiting on it.
    void setTimeoutListener(std::function<void()> listener) { m_onTimeout = std::move(listener); }

    // Writes `value` at `address`: "W", 0.2 s, then low, high, value, then 0.2 s.
    // Nothing comes back.
    [[nodiscard]] bool writeByte(int address, int value);

    // True while the program is ending or the device is gone.
    bool stopped() const;

private:
    // One line of the tarnix.link diagnostics: time, direction, speed, bytes.
    void note(const char* what, const QByteArray& bytes) const;

    platform::SerialPort& m_port;
    platform::Clock& m_clock;
    platform::Dialogs& m_dialogs;
    double m_sendingUntil = 0.0; // when the last byte sent is through the line
    std::uint8_t m_lastByte = 0;
    int m_timeoutLimit = 0;
    bool m_askOnTimeout = true;
    bool m_gaveUp = false;
    std::function<void()> m_onTimeout;
};

// Reads that give up after `timeouts` time-outs in a row without asking
// anybody, for as long as this object lives; the link's own rule comes back after.
class QuietReads {
public:
    QuietReads(Rs232& link, int timeouts)
        : m_link(link), m_limit(link.timeoutLimit()), m_ask(link.asksOnTimeout()) {
        link.setTimeoutLimit(timeouts);
        link.setAskOnTimeout(false);
    }
    ~QuietReads() {
        m_link.setTimeoutLimit(m_limit);
        m_link.setAskOnTimeout(m_ask);
    }
    QuietReads(const QuietReads&) = delete;
    QuietReads& operator=(const QuietReads&) = delete;

private:
    Rs232& m_link;
    int m_limit;
    bool m_ask;
};

} // namespace tarnix::link
