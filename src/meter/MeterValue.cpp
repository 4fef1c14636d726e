#include "meter/MeterValue.h"

#include "meter/LeadingNumber.h"

#include <cmath>

namespace tarnix::meter {

QString formatNumber(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("0");
    if (value == 0.0)
        return QStringLiteral("0"); // also for -0
    QString text = QString::number(value, 'f', 10);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == u"-0")
        return QStringLiteral("0");
    return text;
}

MeterValue MeterValue::fromText(QString text) {
    MeterValue v;
    v.m_value = std::move(text);
    return v;
}

MeterValue MeterValue::fromNumber(double number) {
    MeterValue v;
    v.m_value = number;
    return v;
}

QString MeterValue::text() const {
    if (const auto* number = std::get_if<double>(&m_value))
        return formatNumber(*number);
    return std::get<QString>(m_value);
}

double MeterValue::number() const {
    if (const auto* number = std::get_if<double>(&m_value))
        return *number;
    return leadingNumber(std::get<QString>(m_value));
}

} // namespace tarnix::meter
