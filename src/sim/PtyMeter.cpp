#include "sim/PtyMeter.h"

#include "sim/SimMeter.h"

#include <QFile>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace tarnix::sim {

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The speeds the meter can talk at; anything else is noise to it.
int baudOfSpeed(speed_t speed) {
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    default:
        return 0;
    }
}

} // namespace

PtyMeter::PtyMeter(SimMeter& meter, QObject* parent) : QObject(parent), m_meter(meter) {
    m_sendTimer.setSingleShot(true);
    m_sendTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_sendTimer, &QTimer::timeout, this, &PtyMeter::onSendTime);
}

PtyMeter::~PtyMeter() {
    close();
}

bool PtyMeter::open(const QString& linkPath) {
    close();
    m_errorText.clear();

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        fail(QStringLiteral("cannot make a pseudo-terminal"));
        return false;
    }
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    char name[128];
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        fail(QStringLiteral("cannot unlock the pseudo-terminal"));
        return false;
    }
    m_devicePath = QString::fromLocal8Bit(name);

    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &raw) != 0) {
        fail(QStringLiteral("cannot open %1").arg(m_devicePath));
        return false;
    }
    // No echo and no character translation, even before the program sets
    // the port up and after it restores these settings on closing.
    ::cfmakeraw(&raw);
    if (::tcsetattr(m_slave, TCSANOW, &raw) != 0) {
        fail(QStringLiteral("cannot set %1 to raw bytes").arg(m_devicePath));
        return false;
    }
    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) {
        fail(QStringLiteral("cannot make the pseudo-terminal non-blocking"));
        return false;
    }
    if (!linkPath.isEmpty() && !makeLink(linkPath))
        return false;

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyMeter::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyMeter::writeBacklog);
    return true;
}

bool PtyMeter::makeLink(const QString& linkPath) {
    const QByteArray link = QFile::encodeName(linkPath);
    struct stat st {};
    if (::lstat(link.constData(), &st) == 0) {
        // An older run's symlink is replaced; anything else is someone's file.
        if (!S_ISLNK(st.st_mode)) {
            m_errorText = QStringLiteral("%1 exists and is not a symlink").arg(linkPath);
            close();
            return false;
        }
        ::unlink(link.constData());
    }
    if (::symlink(QFile::encodeName(m_devicePath).constData(), link.constData()) != 0) {
        fail(QStringLiteral("cannot make the symlink %1").arg(linkPath));
        return false;
    }
    m_linkPath = linkPath;
    return true;
}

void PtyMeter::close() {
    m_sendTimer.stop();
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (!m_linkPath.isEmpty()) {
        // Only our own link goes; another run may have taken the name since.
        const QByteArray link = QFile::encodeName(m_linkPath);
        if (QFile::symLinkTarget(m_linkPath) == m_devicePath)
            ::unlink(link.constData());
        m_linkPath.clear();
    }
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
    m_devicePath.clear();
    m_backlog.clear();
    m_broken = false;
}

void PtyMeter::fail(const QString& what) {
    m_errorText = QStringLiteral("%1: %2").arg(what, systemError(errno));
    close();
}

int PtyMeter::portBaud() const {
    // Read at every request: the program may have reopened the port at
    // another speed, and closing it puts back the settings it found.
    termios settings{};
    if (::tcgetattr(m_master, &settings) != 0)
        return 0;
    return baudOfSpeed(::cfgetospeed(&settings));
}

void PtyMeter::onReadable() {
    char buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        if (n == 0)
            errno = EIO;
        stopOnError();
        return;
    }
    const QByteArray bytes(buffer, n);
    const int baud = portBaud();
    m_meter.receive(bytes, baud, now());
    schedule();
    Q_EMIT received(bytes, baud);
}

void PtyMeter::stopOnError() {
    m_errorText = QStringLiteral("%1 stopped working: %2").arg(m_devicePath, systemError(errno));
    // Notifiers left on would fire at once, again and again.
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    m_sendTimer.stop();
    m_backlog.clear();
    m_broken = true;
    Q_EMIT failed(m_errorText);
}

void PtyMeter::onSendTime() {
    m_backlog += m_meter.takeArrived(now());
    writeBacklog();
    schedule();
}

void PtyMeter::writeBacklog() {
    while (!m_backlog.isEmpty() && m_master >= 0) {
        const ssize_t n = ::write(m_master, m_backlog.constData(), size_t(m_backlog.size()));
        if (n > 0) {
            m_backlog.remove(0, n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n == 0 || errno == EAGAIN) {
            // The terminal's buffer is full: go on once the program has read some.
            break;
        } else {
            stopOnError();
            return;
        }
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_backlog.isEmpty());
}

void PtyMeter::setPowered(bool on) {
    m_meter.setPowered(on, now());
    schedule();
}

void PtyMeter::schedule() {
    const auto next = m_meter.nextArrival();
    if (!next || m_broken) {
        m_sendTimer.stop();
        return;
    }
    const double wait = std::max(0.0, *next - now());
    m_sendTimer.start(int(std::ceil(wait * 1000.0)));
}

} // namespace tarnix::sim
