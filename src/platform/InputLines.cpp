#include "platform/InputLines.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace tarnix::platform {

InputLines::InputLines(QObject* parent) : QObject(parent) {}

void InputLines::holdOpen() {
    // open() takes the lowest free descriptor: 0 itself.
    if (::fcntl(STDIN_FILENO, F_GETFD) < 0 && errno == EBADF && ::open("/dev/null", O_RDONLY) < 0)
        std::perror("/dev/null"); // watch() then finds 0 invalid and never ends
}

void InputLines::watch() {
    m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InputLines::onReadable);
}

void InputLines::onReadable() {
    char buffer[512];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        end();
        return;
    }
    m_pending.append(buffer, n);
    for (qsizetype newline; (newline = m_pending.indexOf('\n')) >= 0;) {
        const QByteArray line = m_pending.left(newline);
        m_pending.remove(0, newline + 1);
        Q_EMIT lineRead(QString::fromUtf8(line));
    }
}

void InputLines::end() {
    m_notifier->setEnabled(false);
    if (!m_pending.isEmpty())
        Q_EMIT lineRead(QString::fromUtf8(std::exchange(m_pending, {})));
    Q_EMIT ended();
}

} // namespace tarnix::platform
