#pragma once

#include "platform/SerialPeer.h"

#include <vector>

// Sits on the wire in front of a simulated meter and notes everything the PC
// sends, with the port's speed and the time, as it goes out.
class TapPeer final : public tarnix::platform::SerialPeer {
public:
    struct Sent {
        QByteArray bytes;
        int baud;
        double time;
    };

    explicit TapPeer(tarnix::platform::SerialPeer& meter) : m_meter(meter) {}

    void sending(const QByteArray& bytes, int baud, double time) override {
        m_sent.push_back({bytes, baud, time});
    }
    void receive(const QByteArray& bytes, int baud, double time) override {
        m_meter.receive(bytes, baud, time);
    }
    int arrivedCount(double time) const override { return m_meter.arrivedCount(time); }
    QByteArray takeArrived(double time) override { return m_meter.takeArrived(time); }

    const std::vector<Sent>& sent() const { return m_sent; }
    void clear() { m_sent.clear(); }

    // The speeds of the reading requests, in order.
    std::vector<int> requestSpeeds() const {
        std::vector<int> speeds;
        for (const auto& s : m_sent)
            if (s.bytes == " ")
                speeds.push_back(s.baud);
        return speeds;
    }
    int count(const QByteArray& bytes) const {
        int n = 0;
        for (const auto& s : m_sent)
            n += s.bytes == bytes;
        return n;
    }

private:
    tarnix::platform::SerialPeer& m_meter;
    std::vector<Sent> m_sent;
};
