#include "platform/ConsoleDialogs.h"

#include <QStringList>
#include <cstdio>

namespace tarnix::platform {

ConsoleDialogs::ConsoleDialogs(QString program, LineWriter writer)
    : m_program(std::move(program)), m_writer(std::move(writer)) {
    if (!m_writer)
        m_writer = [](const QString& line) {
            std::fprintf(stderr, "%s\n", qPrintable(line));
            std::fflush(stderr);
        };
}

void ConsoleDialogs::messageFor(QObject*, const QString& text, MessageIcon, const QString&) {
    m_writer(m_program + QStringLiteral(": ") + messageLine(text));
}

QString ConsoleDialogs::input(const QString&, const QString&, const QString&) {
    return {};
}

QString ConsoleDialogs::saveFileName(const QString&) {
    return {};
}

QString ConsoleDialogs::openFileName(const QString&) {
    return {};
}

QString messageLine(const QString& text) {
    // Blank lines between paragraphs would otherwise leave double blanks.
    QStringList parts = text.split(QChar(u'\n'));
    QStringList kept;
    for (QString& part : parts) {
        if (part.endsWith(u'\r'))
            part.chop(1);
        if (!part.isEmpty())
            kept.append(part);
    }
    return kept.join(u' ');
}

} // namespace tarnix::platform
