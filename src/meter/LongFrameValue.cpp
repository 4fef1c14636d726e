#include "meter/LongFrameValue.h"

#include "meter/LeadingNumber.h"

namespace tarnix::meter {

std::optional<QString> decodeDisplayChar(std::uint8_t ch) {
    switch (ch) {
    case ' ':
    case '+':
        return QString();
    case '-':
    case '.':
    case 'O':
    case 'L':
        return QString(QChar(ch));
    default:
        if (ch >= '0' && ch <= '9')
            return QString(QChar(ch));
        return std::nullopt;
    }
}

std::optional<MeterValue> renderDisplayChars(QByteArrayView sixChars) {
    QString joined;
    for (const char c : sixChars) {
        const auto part = decodeDisplayChar(std::uint8_t(c));
        if (!part)
            return std::nullopt;
        joined += *part;
    }
    return renderDisplayText(joined);
}

MeterValue renderDisplayText(const QString& t) {
    if (t.contains(u'L'))
        return MeterValue::fromText(QString::fromUtf16(t.contains(u'-') ? NegativeOverloadText
                                                                         : OverloadText));
    const qsizetype point = t.indexOf(u'.'); // 0-based; -1 when absent
    if (point < 0 || point == t.size() - 1)
        return MeterValue::fromNumber(leadingNumber(t));
    const double integerPart = leadingNumber(QStringView(t).left(point));
    const QString rebuilt = formatNumber(integerPart) + t.mid(point);
    if (t.startsWith(u'-') && integerPart == 0.0)
        return MeterValue::fromNumber(-leadingNumber(rebuilt));
    return MeterValue::fromText(rebuilt);
}

} // namespace tarnix::meter
