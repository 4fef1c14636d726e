#pragma once

#include <QtGlobal>
#include <map>
#include <vector>

namespace tarnix::analysis {

// The moments of a recording's readings, in whatever order they come, as
// the stretches of time they cover: readings no further apart than a
// tolerance are one stretch. The spaces between stretches are the gaps,
// wherever in a file their readings stand (a logger's block of earlier
// times appended after live readings fills the time it covers). A
// recording read in time order keeps one stretch open at its end, so each
// reading costs a comparison or two.
class TimeCover {
public:
    struct Space {
        qint64 fromMs, toMs;
    };

    TimeCover() = default;
    TimeCover(const TimeCover&) = delete; // it keeps a place in its own map
    TimeCover& operator=(const TimeCover&) = delete;

    // `toleranceMs` may shrink from one reading to the next, never grow.
    void add(qint64 ms, qint64 toleranceMs);
    void clear() {
        m_stretches.clear();
        m_last = m_stretches.end();
        m_longestJoined = 0;
    }
    std::size_t stretches() const { return m_stretches.size(); }
    // The longest space between readings that a stretch took in: gaps no
    // longer than this can be told apart.
    qint64 longestJoined() const { return m_longestJoined; }
    // The spaces between stretches longer than `ms`, earliest first.
    std::vector<Space> spacesLongerThan(qint64 ms) const;

private:
    using Stretches = std::map<qint64, qint64>; // start -> end
    void join(qint64 spaceMs);

    Stretches m_stretches;
    Stretches::iterator m_last = m_stretches.end(); // the one the last reading fell in
    qint64 m_longestJoined = 0;
};

} // namespace tarnix::analysis
