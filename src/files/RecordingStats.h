#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace tarnix::files {

// A summary of one recording, built a reading at a time so any size of file
// streams through: for each function and range, the numeric readings, the
// overloads, min, max, mean, standard deviation and the first and last
// time; and the stretches without a reading longer than twice the sampling
// interval (the median spacing).
class RecordingStats {
public:
    // `value` is the reading in the base unit `unit`, with `decimals` places
    // as the meter showed it; none for OL, -OL, "Initial" and the like.
    // `overload` marks OL and -OL.
    void add(const QDateTime& at, const QString& function, const QString& range,
             const QString& unit, std::optional<double> value, int decimals, bool overload);

    qint64 readings() const { return qint64(m_times.size()); }
    // The summary, one group after another, then the gaps. The mean and the
    // standard deviation show one place more than the finest reading, or
    // ten significant digits when `precise`.
    QString report(bool precise = false) const;

private:
    struct Group {
        QString function, range, unit;
        qint64 count = 0, overloads = 0;
        int decimals = 0; // the most places a reading showed
        double min = 0, max = 0, mean = 0, m2 = 0; // m2: the squared deviations' sum
        QDateTime first, last;
    };
    std::vector<Group> m_groups; // in the order first seen
    std::vector<qint64> m_times; // ms since the epoch, in file order
};

// The reading of a data-file record for the summary: its value in the base
// unit, if it is a number, and whether it is an overload.
struct RecordValue {
    QString unit;
    std::optional<double> value;
    int decimals = 0; // places of the value in the base unit
    bool overload = false;
};
RecordValue recordValue(const QString& range, const QString& display);

// The places after the point of a number's text ("0.01234": 5).
int decimalPlaces(QStringView number);

// OL and -OL: the meter's display when the input is beyond its range.
bool isOverload(QStringView display);
// -OL: beyond the range's negative end.
bool isNegativeOverload(QStringView display);

} // namespace tarnix::files
