#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

namespace tarnix::core {

// What a command writes, as lines fit for a log, in bounds whatever it
// writes: a line is cut at LineBytes (the rest of it is passed over), and
// once a second has had LinesPerSecond lines or BytesPerSecond bytes, what
// follows in it is dropped and only counted. Never more than one line is held.
class CommandOutput {
public:
    using Line = std::function<void(const QString&)>;
    static constexpr qsizetype LineBytes = 4096;
    static constexpr int LinesPerSecond = 100;
    static constexpr qsizetype BytesPerSecond = 64 * 1024;

    // Bytes as they came; each line ended, or cut, goes to `line` unless dropped.
    void take(QByteArrayView bytes, const Line& line);
    // The output has ended: a line without its end is said too.
    void end(const Line& line);
    // True from the first line said in a second until nextSecond().
    bool secondRunning() const { return m_linesSaid > 0; }
    // The second is over: what it dropped, as a line; empty when nothing was.
    QString nextSecond();

private:
    void lineEnded(bool cut, const Line& line);

    QByteArray m_line;       // the line being read, at most LineBytes
    bool m_passing = false;  // passing over the rest of a cut or dropped line
    bool m_dropping = false; // and counting it as dropped
    int m_linesSaid = 0;     // in this second
    qsizetype m_bytesSaid = 0;
    qint64 m_dropped = 0; // bytes
};

} // namespace tarnix::core
