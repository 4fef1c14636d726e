#include "ui/platform/DisplayOpening.h"

#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace tarnix::ui {

namespace {

// The one opening under way: Qt's message handler is a plain function.
DisplayOpening* opening = nullptr;

} // namespace

bool needsDisplay(const QString& platformOption) {
    const QString chosen =
        platformOption.isEmpty() ? qEnvironmentVariable("QT_QPA_PLATFORM") : platformOption;
    // Unset, Qt takes xcb, or wayland in a Wayland session. A list is tried in order.
    const QStringList platforms = chosen.isEmpty() ? QStringList{QStringLiteral("xcb")}
                                                   : chosen.split(u';', Qt::SkipEmptyParts);
    for (const QString& platform : platforms) {
        const QString name = platform.section(u':', 0, 0); // "xcb:option=value"
        if (name != u"xcb" && !name.startsWith(u"wayland"))
            return false;
    }
    return true;
}

bool displayMissing(const QString& platformOption) {
    return needsDisplay(platformOption) && qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

DisplayOpening::DisplayOpening(QByteArray line) : m_line(std::move(line)) {
    opening = this;
    m_previous = qInstallMessageHandler(&DisplayOpening::handle);
}

DisplayOpening::~DisplayOpening() {
    qInstallMessageHandler(m_previous);
    opening = nullptr;
    for (const Held& held : m_held)
        qt_message_output(held.type,
                          QMessageLogContext(nullptr, 0, nullptr, held.category.constData()),
                          held.text);
}

void DisplayOpening::handle(QtMsgType type, const QMessageLogContext& context,
                            const QString& text) {
    // Qt gives up on its platform with a fatal message, then aborts.
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", opening->m_line.constData());
        std::fflush(stderr);
        std::_Exit(1);
    }
    const std::lock_guard lock(opening->m_heldLock);
    opening->m_held.push_back({type, context.category, text});
}

} // namespace tarnix::ui
