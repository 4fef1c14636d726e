#include "logger/RecordTimes.h"

#include "meter/LeadingNumber.h"

#include <algorithm>

namespace tarnix::logger {

namespace {

int fieldValue(const QString& text) {
    return int(meter::leadingNumber(text));
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QChar(u'0'));
}

} // namespace

RecordClock::RecordClock(const ClockStamp& stamp, int intervalUnits, int year)
    : m_year(year), m_yearDigits((year % 100 + 100) % 100), m_month(fieldValue(stamp.month)),
      m_day(fieldValue(stamp.day)), m_hour(fieldValue(stamp.hour)),
      m_minute(fieldValue(stamp.minute)), m_tenths(fieldValue(stamp.second) * 10),
      m_stepTenths(std::clamp(intervalUnits, 0, 65535) * 4) {}

void RecordClock::advance() {
    m_tenths += m_stepTenths;
    m_minute += m_tenths / 600;
    m_tenths %= 600;
    m_hour += m_minute / 60;
    m_minute %= 60;
    m_day += m_hour / 24;
    m_hour %= 24;

    // One month-end step per record, as the logger's calendar does it: a day
    // beyond the month's length moves on by whole month lengths.
    int length = 0;
    switch (m_month) {
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
        length = 31;
        break;
    case 4:
    case 6:
    case 9:
    case 11:
        length = 30;
        break;
    case 2:
        length = isLeapYear(m_year) ? 29 : 28;
        break;
    default:
        return; // no calendar for other month numbers
    }
    const bool december = m_month == 12;
    if (m_day > length) {
        m_month += m_day / length;
        m_day %= length;
    }
    if (december && m_month > 12) {
        // Only December's step starts a new year; the year text keeps it.
        m_month %= 12;
        m_yearDigits = (m_yearDigits + 1) % 100;
    }
}

QString RecordClock::dateText() const {
    return twoDigits(m_yearDigits) + u'/' + twoDigits(m_month) + u'/' + twoDigits(m_day);
}

QString RecordClock::timeText() const {
    return twoDigits(m_hour) + u':' + twoDigits(m_minute) + u':' + twoDigits(m_tenths / 10) + u'.' +
           QString::number(m_tenths % 10);
}

} // namespace tarnix::logger
