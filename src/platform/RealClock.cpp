#include "platform/RealClock.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace tarnix::platform {

RealClock::RealClock() { m_elapsed.start(); }

double RealClock::secondsSinceMidnight() const {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

QDateTime RealClock::now() const { return QDateTime::currentDateTime(); }

double RealClock::monotonic() const { return m_elapsed.nsecsElapsed() / 1e9; }

bool RealClock::wait(double seconds) {
    if (m_stopped)
        return false;
    const int ms = std::isfinite(seconds) ? int(std::clamp(std::ceil(seconds * 1000.0), 0.0, 1e9)) : 0;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    bool woken = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        woken = true;
        loop.quit();
    });
    m_loops.push_back(&loop);
    timer.start(ms);
    loop.exec();
    m_loops.erase(std::find(m_loops.begin(), m_loops.end(), &loop));
    // A loop that ended without its timer was ended by the application
    // quitting: the program is going away, so no further wait may hold it.
    if (!woken)
        m_stopped = true;
    return !m_stopped;
}

void RealClock::stop() {
    m_stopped = true;
    for (QEventLoop* loop : m_loops)
        loop->quit();
}

} // namespace tarnix::platform
