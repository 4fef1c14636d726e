#include "cli/ConfigFile.h"

#include <QStringList>

namespace tarnix::cli {

namespace {

// The line without its comment: a "#" at its start or after a blank, outside quotes.
QString withoutComment(const QString& line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'"')
            quoted = !quoted;
        else if (line[i] == u'#' && !quoted && (i == 0 || line[i - 1].isSpace()))
            return line.left(i);
    }
    return line;
}

bool isKeyWord(const QString& key) {
    if (key.isEmpty())
        return false;
    for (const QChar c : key)
        if (!(c.isLetterOrNumber() || c == u'-' || c == u'_'))
            return false;
    return true;
}

} // namespace

std::variant<QList<ConfigEntry>, QString> readConfigText(const QString& text,
                                                        const QString& fileName) {
    QList<ConfigEntry> entries;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = int(i + 1);
        const auto refuse = [&](const QString& why) {
            return QStringLiteral("%1:%2: %3").arg(fileName).arg(number).arg(why);
        };
        const QString line = withoutComment(lines[i]).trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            return refuse(QStringLiteral("\"%1\" is not of the form key = value").arg(line));
        const QString key = line.left(equals).trimmed();
        QString value = line.mid(equals + 1).trimmed();
        if (!isKeyWord(key))
            return refuse(QStringLiteral("\"%1\" is not a key").arg(key));
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        else if (value.contains(u'"'))
            return refuse(QStringLiteral("a value in quotes must be quoted whole: %1").arg(value));
        for (const ConfigEntry& before : entries)
            if (before.key == key)
                return refuse(QStringLiteral("%1 is given twice (first on line %2)")
                                  .arg(key)
                                  .arg(before.line));
        entries.append({number, key, value});
    }
    return entries;
}

} // namespace tarnix::cli
