#pragma once

#include "platform/SerialPeer.h"
#include "sim/ScriptedReading.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace tarnix::sim {

inline constexpr int MemorySize = 4096;
inline constexpr int DumpLength = 2 + 2 * MemorySize; // 8194

// The simulated meter at the far end of the wire. It understands the meter's
// commands, keeps a 4096-byte memory (logger header, alarm bytes, records),
// answers only bytes sent at its own speed, and puts every byte on the wire
// for its time (10 bits per byte at the current speed).
//
//   " "            -> a reading frame (5 or 12 bytes, by model)
//   "R" lo hi      -> 3 bytes: 'R', the data byte, CR
//   "W" lo hi val  -> no reply
//   "X"            -> 2 bytes: 1 while the logger records (else 0), CR
//   "U"            -> 8194 bytes: 2 leading bytes, then per address its byte
//                     and that byte's complement
//   "1" "2" "4" "9"-> the meter moves to 1200/2400/4800/9600 baud
//   "A"            -> the REC MODE key: the logger starts or stops recording
//   "E", "N", "G"  -> noted (the value key, the alarm outputs), no reply
//   switched on    -> nothing, or one byte 0xFF where asked for
class SimMeter final : public platform::SerialPeer {
public:
    explicit SimMeter(Model model = Model::Short, int baud = 9600);

    Model model() const { return m_model; }
    void setModel(Model model) { m_model = model; }
    int baud() const { return m_baud; }
    void setBaud(int baud) { m_baud = baud; }

    // A switched-off meter hears nothing and sends nothing. Switched on at
    // `time`, it stays silent until asked, unless a power-up byte is asked
    // for: then it puts one 0xFF on the line, as some adapters do.
    bool poweredOn() const { return m_powered; }
    void setPowered(bool on, double time = 0);
    void setPowerUpByte(bool send) { m_powerUpByte = send; }

    bool recording() const { return m_recording; }
    void setRecording(bool on) { m_recording = on; }

    std::uint8_t memory(int address) const;
    void setMemory(int address, std::uint8_t value);
    // Loads a memory image from its start; a short image leaves the rest as it was.
    void loadMemory(const QByteArray& image);
    QByteArray memoryImage() const;

    // The readings to answer with, one per request, starting over at the end
    // (or staying on the last one with `hold`). With no script the meter
    // shows a slowly wandering voltage.
    void setScript(std::vector<ScriptedReading> readings, bool hold = false);
    void setScript(const ReadingScript& script) { setScript(script.readings, script.hold); }
    // Answers every request with the current reading, without stepping on.
    void freezeScript(bool frozen) { m_frozen = frozen; }
    int requestCount() const { return m_requests; }

    // The complete commands heard, in order, with their parameter bytes: the
    // last KeptCommands of them, so a meter serving for days stays small.
    static constexpr std::size_t KeptCommands = 20000;
    const std::deque<QByteArray>& commands() const { return m_commands; }
    void clearCommands() { m_commands.clear(); }

    // For tests: answers a read with this many bytes instead of 3.
    void setReadReplyLength(int length) { m_readReplyLength = length; }
    // Seconds between the end of a command and the first byte of the answer.
    void setResponseLatency(double seconds) { m_latency = seconds; }

    // platform::SerialPeer
    void receive(const QByteArray& bytes, int baud, double time) override;
    int arrivedCount(double time) const override;
    QByteArray takeArrived(double time) override;

    // When the next byte not yet taken reaches the PC; nullopt when none is on its way.
    std::optional<double> nextArrival() const;

private:
    struct OutByte {
        double arrival;
        std::uint8_t value;
    };

    void hear(std::uint8_t byte, double time);
    void execute(const QByteArray& command, double time);
    void answer(const QByteArray& bytes, double time);
    QByteArray nextFrame();
    ScriptedReading wanderingReading() const;
    double byteTime() const { return 10.0 / m_baud; }

    Model m_model;
    int m_baud;
    bool m_powered = true;
    bool m_powerUpByte = false;
    bool m_recording = false;
    bool m_frozen = false;
    bool m_hold = false;
    std::array<std::uint8_t, MemorySize> m_memory{};
    std::vector<ScriptedReading> m_script;
    std::size_t m_next = 0;
    int m_requests = 0;
    int m_readReplyLength = 3;
    double m_latency = 0.002;

    QByteArray m_partial; // a command still waiting for its parameter bytes
    double m_lastHeard = 0;
    double m_inputFreeAt = 0;
    double m_outputFreeAt = 0;
    std::deque<OutByte> m_output;
    std::deque<QByteArray> m_commands;
};

} // namespace tarnix::sim
