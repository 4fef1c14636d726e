#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>
#include <vector>

namespace tarnix::analysis {

// The reading of a data-file record for the summary: its value in the base
// unit, if it is a number, and whether it is an overload.
struct RecordValue {
    QString unit;
    std::optional<double> value;
    int decimals = 0; // places of the value in the base unit
    bool overload = false;
};
RecordValue recordValue(const QString& range, const QString& display);

// A value column's text as a number the meter could show ("-0.01234"), or
// empty: no "inf", "nan" or exponent.
QString shownNumberText(QStringView text);

// The places after the point of a number's text ("0.01234": 5).
int decimalPlaces(QStringView number);

// OL and -OL: the meter's display when the input is beyond its range.
bool isOverload(QStringView display);
// -OL: beyond the range's negative end.
bool isNegativeOverload(QStringView display);

// Where the series of a function, range and unit stands among `series`
// (anything with those three fields), added at the end when it is new.
template <class Series>
std::size_t seriesIndex(std::vector<Series>& series, const QString& function,
                        const QString& range, const QString& unit) {
    for (std::size_t i = 0; i < series.size(); ++i)
        if (series[i].function == function && series[i].range == range && series[i].unit == unit)
            return i;
    series.push_back({function, range, unit});
    return series.size() - 1;
}

// The unit of a range as file readers need it, for the ranges seen lately:
// a file holds few ranges, taken in turns, and millions of records.
struct RangeUnitBytes {
    bool hasUnit = false;
    QByteArray unit; // V, A, Ohm, ...
    int exponent = 0;
};
class RangeUnits {
public:
    const RangeUnitBytes& of(QByteArrayView range);

private:
    struct Entry {
        QByteArray range;
        bool known = false;
        RangeUnitBytes unit;
    };
    std::array<Entry, 8> m_entries;
    std::size_t m_next = 0; // the entry a new range takes
};

} // namespace tarnix::analysis
