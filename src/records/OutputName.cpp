#include "records/OutputName.h"

namespace tarnix::records {

namespace {

constexpr QStringView TimeFields = u"YmdHM";

} // namespace

std::optional<QString> outputNameProblem(const QString& pattern) {
    if (!turnsOver(pattern))
        return std::nullopt; // "50%.dat" is a name like any other
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != u'%')
            continue;
        if (i + 1 == pattern.size() ||
            !(TimeFields.contains(pattern[i + 1]) || pattern[i + 1] == u'%'))
            return QStringLiteral("a file name takes %Y %m %d %H %M and %%, not \"%1\"")
                .arg(pattern.mid(i, 2));
        ++i;
    }
    return std::nullopt;
}

bool turnsOver(const QString& pattern) {
    for (qsizetype i = 0; i + 1 < pattern.size(); ++i)
        if (pattern[i] == u'%' && TimeFields.contains(pattern[++i]))
            return true;
    return false;
}

QString outputNameAt(const QString& pattern, const QDateTime& at, bool utc) {
    if (!turnsOver(pattern))
        return pattern;
    const QDateTime t = utc ? at.toUTC() : at.toLocalTime();
    const QDate day = t.date();
    const QTime time = t.time();
    const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    QString name;
    name.reserve(pattern.size() + 8);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != u'%' || i + 1 == pattern.size()) {
            name += c;
            continue;
        }
        switch (pattern[++i].unicode()) {
        case u'Y': name += QString::number(day.year()); break;
        case u'm': name += two(day.month()); break;
        case u'd': name += two(day.day()); break;
        case u'H': name += two(time.hour()); break;
        case u'M': name += two(time.minute()); break;
        default: name += pattern[i]; // "%%", or a field outputNameProblem refuses
        }
    }
    return name;
}

} // namespace tarnix::records
