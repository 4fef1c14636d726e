#include "sim/SimMeter.h"

#include "platform/Diagnostics.h"

#include <algorithm>
#include <cmath>

namespace tarnix::sim {

namespace {

// A partly heard command is forgotten after this long without a byte.
constexpr double CommandGiveUp = 1.0;

int parameterCount(char command) {
    switch (command) {
    case 'R':
        return 2;
    case 'W':
        return 3;
    default:
        return 0;
    }
}

int addressOf(const QByteArray& command) {
    return (std::uint8_t(command[1]) | std::uint8_t(command[2]) << 8) % MemorySize;
}

} // namespace

SimMeter::SimMeter(Model model, int baud) : m_model(model), m_baud(baud) {}

void SimMeter::setPowered(bool on, double time) {
    const bool switchedOn = on && !m_powered;
    m_powered = on;
    if (switchedOn && m_powerUpByte)
        answer(QByteArray(1, char(0xFF)), time);
    if (!on) {
        m_output.clear();
        m_partial.clear();
        m_outputFreeAt = 0;
    }
}

std::uint8_t SimMeter::memory(int address) const {
    return m_memory[std::size_t(address) % MemorySize];
}

void SimMeter::setMemory(int address, std::uint8_t value) {
    m_memory[std::size_t(address) % MemorySize] = value;
}

void SimMeter::loadMemory(const QByteArray& image) {
    const auto n = std::min<qsizetype>(image.size(), MemorySize);
    for (qsizetype i = 0; i < n; ++i)
        m_memory[std::size_t(i)] = std::uint8_t(image[i]);
}

QByteArray SimMeter::memoryImage() const {
    return QByteArray(reinterpret_cast<const char*>(m_memory.data()), MemorySize);
}

void SimMeter::setScript(std::vector<ScriptedReading> readings, bool hold) {
    m_script = std::move(readings);
    m_hold = hold;
    m_next = 0;
}

void SimMeter::receive(const QByteArray& bytes, int baud, double time) {
    // The line from the PC carries one byte after the other.
    double t = std::max(time, m_inputFreeAt);
    const double perByte = baud > 0 ? 10.0 / baud : 0.0;
    for (const char c : bytes) {
        t += perByte;
        // Bytes at another speed arrive as noise the meter cannot frame.
        if (m_powered && baud == m_baud)
            hear(std::uint8_t(c), t);
    }
    m_inputFreeAt = t;
}

void SimMeter::hear(std::uint8_t byte, double time) {
    if (!m_partial.isEmpty() && time - m_lastHeard > CommandGiveUp)
        m_partial.clear();
    m_lastHeard = time;
    m_partial.append(char(byte));
    if (m_partial.size() > parameterCount(m_partial[0])) {
        const QByteArray command = m_partial;
        m_partial.clear();
        execute(command, time);
    }
}

void SimMeter::execute(const QByteArray& command, double time) {
    if (m_commands.size() >= KeptCommands)
        m_commands.pop_front();
    m_commands.push_back(command);
    qCDebug(lcSim).noquote() << QStringLiteral("%1 s").arg(time, 0, 'f', 3) << "heard"
                             << command.toHex(' ') << "at" << m_baud << "baud";
    switch (command[0]) {
    case ' ':
        ++m_requests;
        answer(nextFrame(), time);
        break;
    case 'R': {
        QByteArray reply(std::max(0, m_readReplyLength), char(13));
        if (reply.size() > 0)
            reply[0] = 'R';
        if (reply.size() > 1)
            reply[1] = char(memory(addressOf(command)));
        answer(reply, time);
        break;
    }
    case 'W':
        setMemory(addressOf(command), std::uint8_t(command[3]));
        break;
    case 'X':
        answer(QByteArray(1, char(m_recording ? 1 : 0)) + char(13), time);
        break;
    case 'U': {
        QByteArray dump;
        dump.reserve(DumpLength);
        dump.append(char(0xAA));
        dump.append(char(0x55));
        for (const std::uint8_t b : m_memory) {
            dump.append(char(b));
            dump.append(char(~b));
        }
        answer(dump, time);
        break;
    }
    case '1':
        m_baud = 1200;
        break;
    case '2':
        m_baud = 2400;
        break;
    case '4':
        m_baud = 4800;
        break;
    case '9':
        m_baud = 9600;
        break;
    case 'A':
        m_recording = !m_recording;
        break;
    default: // 'E', 'N', 'G' and anything unknown: nothing to answer
        break;
    }
}

void SimMeter::answer(const QByteArray& bytes, double time) {
    double t = std::max(time + m_latency, m_outputFreeAt);
    for (const char c : bytes) {
        t += byteTime();
        m_output.push_back({t, std::uint8_t(c)});
    }
    m_outputFreeAt = t;
}

QByteArray SimMeter::nextFrame() {
    if (m_script.empty())
        return wanderingReading().frameFor(m_model);
    const ScriptedReading& reading = m_script[std::min(m_next, m_script.size() - 1)];
    QByteArray frame = reading.frameFor(m_model);
    if (!m_frozen) {
        if (m_next + 1 < m_script.size())
            ++m_next;
        else if (!m_hold)
            m_next = 0;
    }
    return frame;
}

ScriptedReading SimMeter::wanderingReading() const {
    // A DC voltage in the 20V range drifting between 2 and 8 volts.
    const double volts =
        5.0 + 3.0 * std::sin(m_requests / 25.0) + 0.05 * std::sin(m_requests * 1.7);
    const QString text = QString::number(volts, 'f', 2);
    if (auto reading = ScriptedReading::fromValue(m_model, 2, text))
        return *reading;
    return ScriptedReading::packed(2, 0, 0);
}

int SimMeter::arrivedCount(double time) const {
    const auto end = std::find_if(m_output.begin(), m_output.end(),
                                  [time](const OutByte& b) { return b.arrival > time; });
    return int(end - m_output.begin());
}

QByteArray SimMeter::takeArrived(double time) {
    QByteArray bytes;
    while (!m_output.empty() && m_output.front().arrival <= time) {
        bytes.append(char(m_output.front().value));
        m_output.pop_front();
    }
    return bytes;
}

std::optional<double> SimMeter::nextArrival() const {
    if (m_output.empty())
        return std::nullopt;
    return m_output.front().arrival;
}

} // namespace tarnix::sim
