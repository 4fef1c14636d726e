#include "core/CommandOutput.h"

namespace tarnix::core {

namespace {
// How many bytes of UTF-8 text cut anywhere hold whole characters: a cut
// inside one leaves out its first bytes.
qsizetype wholeCharacters(QByteArrayView bytes) {
    qsizetype start = bytes.size(); // of the last character, after its lead byte
    while (start > 0 && bytes.size() - start < 3 && (uchar(bytes[start - 1]) & 0xc0) == 0x80)
        --start;
    if (start == 0)
        return bytes.size();
    const uchar lead = uchar(bytes[start - 1]);
    const qsizetype length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
    return bytes.size() - (start - 1) < length ? start - 1 : bytes.size();
}
} // namespace

void CommandOutput::take(QByteArrayView bytes, const Line& line) {
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        const QByteArrayView part = end < 0 ? bytes : bytes.first(end);
        const bool ended = end >= 0;
        if (m_passing) {
            if (m_dropping)
                m_dropped += part.size() + ended;
            m_passing = !ended;
        } else if (const qsizetype room = LineBytes - m_line.size(); part.size() > room) {
            m_line += part.first(room);
            lineEnded(true, line);
            if (m_dropping)
                m_dropped += part.size() - room + ended;
            m_passing = !ended;
        } else {
            m_line += part;
            if (ended)
                lineEnded(false, line);
        }
        if (!ended)
            return;
        bytes = bytes.sliced(end + 1);
    }
}

void CommandOutput::end(const Line& line) {
    if (!m_line.isEmpty())
        lineEnded(false, line);
    m_passing = false;
}

void CommandOutput::lineEnded(bool cut, const Line& line) {
    m_dropping = m_linesSaid >= LinesPerSecond || m_bytesSaid >= BytesPerSecond;
    if (m_dropping) {
        m_dropped += m_line.size() + !cut; // with its line end
    } else {
        ++m_linesSaid;
        m_bytesSaid += m_line.size() + 1;
        line(cut ? QString::fromUtf8(m_line.first(wholeCharacters(m_line))) +
                       QStringLiteral(" [cut at %1 bytes]").arg(LineBytes)
                 : QString::fromUtf8(m_line));
    }
    m_line.clear();
}

QString CommandOutput::nextSecond() {
    m_linesSaid = 0;
    m_bytesSaid = 0;
    if (m_dropped == 0)
        return {};
    return QStringLiteral("%1 bytes of output dropped, past %2 lines or %3 KiB a second")
        .arg(std::exchange(m_dropped, 0))
        .arg(LinesPerSecond)
        .arg(BytesPerSecond / 1024);
}

} // namespace tarnix::core
