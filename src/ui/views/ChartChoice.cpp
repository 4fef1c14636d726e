#include "ui/views/ChartChoice.h"


#include <algorithm>

namespace tarnix::ui {

namespace {

struct ChartRow {
    const char16_t* range;
    ChartChoice choice;
};

} // namespace

std::optional<ChartChoice> chartChoice(QStringView function, QStringView range) {
    const auto chart = [](const char* window, int max, int min, bool labelled) {
        return ChartChoice{QLatin1String(window), max, min, labelled};
    };
    // The 1000 V chart also serves AC's 750 V: its overloads follow the function.
    const bool dc = function == u"DCV";
    const ChartChoice volts600 = chart("V600", dc ? 1000 : 750, dc ? -1000 : -750, true);
    const ChartChoice ohms200 = chart("Ohm200", 200, 0, true);
    const ChartChoice ohms2k = chart("Ohm2K", 2, 0, true);
    const ChartChoice ohms20k = chart("Ohm20K", 20, 0, true);
    const ChartRow rows[] = {
        {u"200mV", chart("mV200", 200, -200, false)},
        {u"200'C", chart("mV200", 200, -50, false)},
        {u"200'F", chart("mV200", 200, -60, false)},
        {u"2V", chart("V2", 2, -2, true)},
        {u"20V", chart("V20", 20, -20, true)},
        {u"200V", chart("V200", 200, -200, true)},
        {u"1000V", volts600},
        {u"750V", volts600},
        {u"200Ohm", ohms200},
        {u"200KOhm", ohms200},
        {u"200nF", ohms200},
        {u"200mA", ohms200},
        {u"200uA", ohms200},
        {u"2KOhm", ohms2k},
        {u"2MOhm", ohms2k},
        {u"2uF", ohms2k},
        {u"2mA", ohms2k},
        {u"20KOhm", ohms20k},
        {u"20MOhm", ohms20k},
        {u"20uF", ohms20k},
        {u"20A", ohms20k},
        {u"20mA", ohms20k},
        {u"2000pF", chart("p2000", 2000, 0, true)},
        {u"2000'F", chart("F2000", 2000, -60, true)},
        {u"1370'C", chart("C1370", 1370, -50, true)},
    };
    for (const ChartRow& row : rows)
        if (range == QStringView(row.range))
            return row.choice;
    return std::nullopt;
}

double chartPointValue(const meter::Shown& value, int chartMax, int chartMin) {
    if (value.overload != meter::Overload::None)
        return value.overload == meter::Overload::Under ? chartMin : chartMax;
    return value.number;
}

bool chartTakesPoint(int sampleTickCount, int samplingSeconds) {
    return sampleTickCount == 0 || sampleTickCount == samplingSeconds;
}

QString chartSecondLabel(QTime time) {
    return QStringLiteral("%1").arg(time.second(), 2, 10, QLatin1Char('0'));
}

QString chartCaption(const QString& function, const QString& range) {
    return function + QLatin1Char(':') + range;
}

ChartSeries::ChartSeries(bool labelled) : m_labelled(labelled) {
    for (int row = 0; row < ChartPoints; ++row)
        m_labels[std::size_t(row)] = QStringLiteral("R%1").arg(row + 1);
}

void ChartSeries::addPoint(double value, QTime at) {
    // The oldest slot becomes the newest point.
    const auto newest = std::size_t(m_oldest);
    m_oldest = (m_oldest + 1) % ChartPoints;
    m_values[newest] = value;
    if (m_labelled)
        m_labels[newest] = chartSecondLabel(at);
}

double ChartSeries::value(int row) const {
    return m_values[std::size_t(slot(row))];
}

QString ChartSeries::label(int row) const {
    if (m_labelled)
        return m_labels[std::size_t(slot(row))];
    // Unlabelled points keep the row names they had at the start.
    return m_labels[std::size_t(row)];
}

ChartLayout chartLayoutOnLoad(QSizeF window) {
    const QRectF chart(0, 0, 6015, 4575);
    return {chart, QPointF(window.width() / 2 - 240, chart.bottom())};
}

ChartLayout chartLayoutAfterResize(QSizeF window) {
    // A window shrunk below the margins leaves the chart no room, not less.
    const QRectF chart(0, 0, std::max(0.0, window.width() - 120),
                       std::max(0.0, window.height() - 1000));
    return {chart, QPointF(window.width() / 2, chart.bottom())};
}

} // namespace tarnix::ui
