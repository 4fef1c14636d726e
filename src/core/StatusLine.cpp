#include "core/StatusLine.h"

#include "platform/StandardStreams.h"
#include "platform/WriteAll.h"

#include <algorithm>

namespace tarnix::core {

void StatusLine::put(const QString& text) {
    // Nothing to be done about a console that is gone.
    (void)platform::writeAll(m_fd, text.toLocal8Bit());
}

void StatusLine::erase() {
    put(u'\r' + QString(m_shown.size(), u' ') + u'\r');
}

void StatusLine::show(const QString& text) {
    if (!m_live)
        return;
    QString line = text;
    // The last column stays free: a full row would move the cursor down.
    if (const int width = platform::terminalWidth(m_fd); width > 1 && line.size() >= width)
        line.truncate(width - 1);
    if (line == m_shown)
        return;
    const qsizetype blanks = std::max<qsizetype>(0, m_shown.size() - line.size());
    put(u'\r' + line + QString(blanks, u' '));
    m_shown = line;
}

void StatusLine::say(const QString& text, platform::Severity severity) {
    // The journal's priorities: err, warning and info.
    static constexpr const char* Priorities[] = {"<3>", "<4>", "<6>"};
    const QString line = m_journal ? QLatin1String(Priorities[int(severity)]) + text : text;
    if (m_live && !m_shown.isEmpty()) {
        erase();
        put(line + u'\n' + m_shown);
        return;
    }
    put(line + u'\n');
}

void StatusLine::end() {
    if (m_live && !m_shown.isEmpty())
        put(QStringLiteral("\n"));
    m_shown.clear();
}

} // namespace tarnix::core
