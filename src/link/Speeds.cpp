#include "link/Speeds.h"

#include "meter/LeadingNumber.h"

namespace tarnix::link {

std::optional<QString> nextSearchSettings(const QString& current) {
    if (current == u"9600,n,8,1")
        return QStringLiteral("4800,n,8,1");
    if (current == u"4800,n,8,1")
        return QStringLiteral("2400,n,8,1");
    if (current == u"2400,n,8,1")
        return QStringLiteral("1200,n,8,1");
    if (current == u"1200,n,8,1")
        return QStringLiteral("9600,n,8,1");
    return std::nullopt;
}

int baudOfSettings(const QString& settings) {
    return int(meter::leadingNumber(settings.left(4)));
}

std::optional<BaudChoice> parseBaudAnswer(const QString& answer) {
    QString text = answer;
    if (const auto comma = text.indexOf(u','); comma >= 0)
        text.remove(comma, 1);
    bool isNumber = false;
    const double value = text.trimmed().toDouble(&isNumber);
    if (!isNumber)
        return std::nullopt;
    const struct {
        double shortForm;
        int baud;
        char code;
    } rows[] = {{1, 1200, '1'}, {2, 2400, '2'}, {4, 4800, '4'}, {9, 9600, '9'}};
    for (const auto& row : rows)
        if (value == row.shortForm || value == row.baud)
            return BaudChoice{row.baud, row.code, QStringLiteral("%1,n,8,1").arg(row.baud)};
    return std::nullopt;
}

QString baudPrompt() {
    return QStringLiteral("Enter the Baud Rate\r\n9600-----9 \r\n4800-----4 \r\n2400-----2 \r\n"
                          "1200-----1 \r\n");
}

} // namespace tarnix::link
