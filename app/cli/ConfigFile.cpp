#include "cli/ConfigFile.h"

#include "platform/RegularFile.h"

#include <QStringDecoder>

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

// The line as text, without the CR of a CR LF line end; `why` not, when it
// is not UTF-8 or holds a control character.
QString lineText(QByteArrayView bytes, QString* why) {
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    for (const char c : bytes)
        if ((uchar(c) < 0x20 && c != '\t') || c == 0x7f) {
            *why = QStringLiteral("the line holds a control character (byte 0x%1); only text and tabs are read")
                       .arg(uchar(c), 2, 16, QChar(u'0'));
            return {};
        }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        *why = QStringLiteral("the line is not UTF-8 text");
    return text;
}

} // namespace

std::variant<QList<ConfigEntry>, QString> readConfigText(const QByteArray& text,
                                                        const QString& fileName) {
    QList<ConfigEntry> entries;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = int(i + 1);
        const auto refuse = [&](const QString& why) {
            return QStringLiteral("%1:%2: %3").arg(fileName).arg(number).arg(why);
        };
        QString why;
        const QString text = lineText(lines[i], &why);
        if (!why.isEmpty())
            return refuse(why);
        const QString line = withoutComment(text).trimmed();
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

std::variant<QList<ConfigEntry>, QString> readConfigFile(const QString& path) {
    QString why;
    const auto bytes = platform::readSmallRegularFile(path, ConfigFileMostKiB,
                                                      QStringLiteral("configuration file"), &why);
    if (!bytes)
        return QStringLiteral("cannot read %1").arg(why);
    return readConfigText(*bytes, path);
}

} // namespace tarnix::cli
