#pragma once

#include "meter/Measurement.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringView>
#include <QTime>
#include <array>
#include <optional>

namespace tarnix::ui {

// The strip-chart windows, by objectName. At most one is open at a time.
inline constexpr std::array<QLatin1String, 11> ChartWindowNames{
    QLatin1String("mV200"),  QLatin1String("V20"),    QLatin1String("V200"),
    QLatin1String("V600"),   QLatin1String("Ohm200"), QLatin1String("Ohm2K"),
    QLatin1String("Ohm20K"), QLatin1String("p2000"),  QLatin1String("F2000"),
    QLatin1String("C1370"),  QLatin1String("V2")};

// The chart that serves a range, and what it plots for the overloads.
struct ChartChoice {
    QLatin1String window; // one of ChartWindowNames
    int chartMax;         // plotted for "OL"
    int chartMin;         // plotted for "-OL"
    bool labelled;        // points carry the second they were taken at
};

// None for a range without a chart (frequency, diode, hold, ...): the open
// chart closes and the overload values stay as they were.
std::optional<ChartChoice> chartChoice(QStringView function, QStringView range);

// The value a reading is plotted at.
double chartPointValue(const meter::Shown& value, int chartMax, int chartMin);

// A chart ticks every second but takes a point only on a sample tick of the
// PC sampling clock: when its count is 0 or has reached the interval (the
// leading number of the sampling field, e.g. "2 sec").
bool chartTakesPoint(int sampleTickCount, int samplingSeconds);

// "07": the second of `time`, two digits.
QString chartSecondLabel(QTime time);

// "DCV:200mV"
QString chartCaption(const QString& function, const QString& range);

inline constexpr int ChartPoints = 20;

// The points on show, oldest at the left. A new point pushes the oldest
// out; a fresh series is all zeros under the chart's own row names
// ("R1" ... "R20"), which only a labelled series replaces with seconds.
class ChartSeries {
public:
    explicit ChartSeries(bool labelled);

    void addPoint(double value, QTime at);

    // Row 0 is the leftmost point, ChartPoints - 1 the newest.
    double value(int row) const;
    QString label(int row) const;
    bool labelled() const { return m_labelled; }

private:
    int slot(int row) const { return (m_oldest + row) % ChartPoints; }

    std::array<double, ChartPoints> m_values{};
    std::array<QString, ChartPoints> m_labels;
    int m_oldest = 0; // the slot of row 0
    bool m_labelled;
};

// Where the chart and its function label sit in a window of outer size
// `window` (twips): as it loads, and once it was resized.
struct ChartLayout {
    QRectF chart;
    QPointF caption; // the function label's top left
};
ChartLayout chartLayoutOnLoad(QSizeF window);
ChartLayout chartLayoutAfterResize(QSizeF window);

} // namespace tarnix::ui
