#pragma once

#include "logger/LoggerHeader.h"

#include <QString>

namespace tarnix::logger {

// The date and time of the downloaded records. The logger keeps only the
// clock stamp of its first record and the sampling interval, so each record's
// time is the previous one plus the interval, carried into minutes, hours,
// days and months by the logger's own calendar rules; the year comes from
// the PC, whose year decides February's length.
//
// Seconds are counted in tenths so that 0.4-second steps never drift.
class RecordClock {
public:
    // The stamp's fields are read by their leading number ("0A" reads 0).
    RecordClock(const ClockStamp& stamp, int intervalUnits, int year);

    // The clock of the next record.
    void advance();

    QString dateText() const; // "yy/mm/dd"
    QString timeText() const; // "hh:mm:ss.t"

private:
    int m_year;       // decides February
    int m_yearDigits; // shown; rolls on at a December month end
    int m_month;
    int m_day;
    int m_hour;
    int m_minute;
    int m_tenths; // of the seconds field
    int m_stepTenths;
};

} // namespace tarnix::logger
