#pragma once

#include "meter/Measurement.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace tarnix::plot {

// The two plot windows: the signed plot mirrors the upper half below the zero
// line, the positive plot has only the upper half.
enum class PlotKind { Signed, Positive };

// The list window the plots were last opened from; the range dialogs redraw from it.
enum class PlotSource { FileList, DataList };

// What one plot window draws. Record numbers count from 1.
struct PlotLimits {
    double fullScale = 0; // full scale of the first record's range: the default Max
    double floor = 0;     // the default Min, the lowest Min the positive plot accepts
    double records = 0;   // records in the source list
    double max = 0;       // value at the top line
    double min = 0;       // value at the zero line
    double from = 0;      // first record drawn
    double to = 0;        // last record drawn
    double count = 0;     // records drawn: to - from + 1

    bool operator==(const PlotLimits&) const = default;
};

// The whole list from 0 up to the full scale.
PlotLimits wholeListLimits(double fullScale, double records);

// "Plot" in the opened-file list: always the signed plot; frequency in kHz up
// to 10000, the 600 V ranges at 1000 (DCV) and 750 (ACV).
// `first` is the list's first record.
double fileListFullScale(const meter::Measurement& first);

// "Plot" in the downloaded-data list sets both windows' full scales and opens
// the positive plot for the functions that are never negative.
struct DataListPlot {
    PlotKind kind;
    double positiveFullScale; // 10 for "1MHz", 10000 for "1KHz"
    double signedFullScale;
};
DataListPlot dataListPlot(const meter::Measurement& first);

// The four boxes of a range dialog.
struct RangeTexts {
    QString from, to, min, max;
};
// The boxes as the dialog opens: the current From, To, Min and Max.
RangeTexts rangeTexts(const PlotLimits& limits);

inline const QString SignedRangeRefusal = QStringLiteral("Invalid, try again !");
inline const QString PositiveRangeRefusal = QStringLiteral("Invalid, Try again!");

// The limits after OK in a range dialog, or nothing when it refuses the
// boxes. Both want the span within the list and Max above Min; the positive
// plot's also wants Max within the full scale and Min at least the floor.
std::optional<PlotLimits> signedRange(const PlotLimits& current, const RangeTexts& boxes);
std::optional<PlotLimits> positiveRange(const PlotLimits& current, const RangeTexts& boxes);

// Numbers as the plots and dialogs show them: plain and shortest (200, 0.5, -200).
QString plainNumber(double value);

} // namespace tarnix::plot
