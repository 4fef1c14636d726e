#pragma once

#include "platform/Severity.h"

#include <QString>

namespace tarnix::core {

// A console stream (standard error) that carries messages as lines and, when
// it is a terminal, one status line rewritten in place with "\r". On the
// system journal each line starts with its syslog priority ("<4>").
class StatusLine {
public:
    enum class Kind { Plain, Live, Journal };
    // Live: the status is shown; on a pipe, a file or the journal it is left out.
    StatusLine(int fd, Kind kind) : m_fd(fd), m_live(kind == Kind::Live), m_journal(kind == Kind::Journal) {}
    StatusLine(int fd, bool live) : StatusLine(fd, live ? Kind::Live : Kind::Plain) {}

    bool live() const { return m_live; }
    // Rewrites the status line; shortened to the terminal's width so "\r" can
    // take it back.
    void show(const QString& text);
    // A line of its own: the status steps aside and comes back under it.
    void say(const QString& line, platform::Severity severity = platform::Severity::Warning);
    // Ends the status with a newline, so what follows starts on a clean line.
    void end();

private:
    void put(const QString& text);
    void erase();

    int m_fd;
    bool m_live;
    bool m_journal;
    QString m_shown;
};

} // namespace tarnix::core
