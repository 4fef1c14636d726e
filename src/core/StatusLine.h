#pragma once

#include <QString>

namespace tarnix::core {

// A console stream (standard error) that carries messages as lines and, when
// it is a terminal, one status line rewritten in place with "\r".
class StatusLine {
public:
    // `live`: the status is shown; on a pipe or a file it is left out.
    StatusLine(int fd, bool live) : m_fd(fd), m_live(live) {}

    bool live() const { return m_live; }
    // Rewrites the status line; shortened to the terminal's width so "\r" can
    // take it back.
    void show(const QString& text);
    // A line of its own: the status steps aside and comes back under it.
    void say(const QString& line);
    // Ends the status with a newline, so what follows starts on a clean line.
    void end();

private:
    void put(const QString& text);
    void erase();

    int m_fd;
    bool m_live;
    QString m_shown;
};

} // namespace tarnix::core
