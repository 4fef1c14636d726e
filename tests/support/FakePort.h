#pragma once

#include "platform/Clock.h"
#include "platform/SerialPort.h"

#include <deque>
#include <functional>
#include <vector>

// A serial port for protocol tests: notes every write with its time and lets
// the test decide what comes back, and when.
class FakePort final : public tarnix::platform::SerialPort {
public:
    struct Write {
        double time;
        QByteArray bytes;
    };
    // Called for each write; may queue reply bytes with reply().
    using Responder = std::function<void(FakePort&, const QByteArray&)>;

    explicit FakePort(const tarnix::platform::Clock& clock) : m_clock(clock) {}

    void setResponder(Responder responder) { m_responder = std::move(responder); }
    // Bytes that reach the PC `after` seconds from now.
    void reply(const QByteArray& bytes, double after = 0.05) {
        for (const char c : bytes)
            m_incoming.push_back({m_clock.monotonic() + after, c});
    }
    const std::vector<Write>& writes() const { return m_writes; }
    void setLost(bool lost) { m_lost = lost; }

    void setPortName(const QString& name) override { m_name = name; }
    QString portName() const override { return m_name; }
    bool open(const tarnix::platform::PortSettings& settings) override {
        m_settings = settings;
        m_open = true;
        return true;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    tarnix::platform::PortSettings settings() const override { return m_settings; }
    int bytesWaiting() override {
        int n = 0;
        for (const auto& b : m_incoming)
            n += b.time <= m_clock.monotonic();
        return n;
    }
    QByteArray readAll() override {
        QByteArray out;
        while (!m_incoming.empty() && m_incoming.front().time <= m_clock.monotonic()) {
            out.append(m_incoming.front().byte);
            m_incoming.pop_front();
        }
        return out;
    }
    void drain() override {}
    void write(const QByteArray& bytes) override {
        m_writes.push_back({m_clock.monotonic(), bytes});
        if (m_responder)
            m_responder(*this, bytes);
    }
    QString errorText() const override { return {}; }
    bool isLost() const override { return m_lost; }

private:
    struct Incoming {
        double time;
        char byte;
    };
    const tarnix::platform::Clock& m_clock;
    Responder m_responder;
    std::vector<Write> m_writes;
    std::deque<Incoming> m_incoming;
    QString m_name;
    tarnix::platform::PortSettings m_settings;
    bool m_open = false;
    bool m_lost = false;
};
