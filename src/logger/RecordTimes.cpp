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

// Days in the month; 0 for a number that is no month.
int monthLength(int month, int year) {
    if (month == 2)
        return isLeapYear(year) ? 29 : 28;
    constexpr int lengths[] = {31, 0, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month >= 1 && month <= 12 ? lengths[month - 1] : 0;
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
    const int length = monthLength(m_month, m_year);
    if (length == 0)
        return; // no calendar for other month numbers
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
