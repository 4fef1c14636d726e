#include "ui/views/StripChart.h"

#include "core/SamplingClock.h"
#include "core/SharedState.h"
#include "platform/Clock.h"
#include "ui/views/ChartPalette.h"
#include "ui/platform/TwipsGeometry.h"
#include "ui/platform/WindowPrinting.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QLineSeries>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace tarnix::ui {

namespace {

constexpr int InnerWidth = 6015, InnerHeight = 4800; // twips
constexpr int TickMs = 1000;
// The size of the labels under the points, and the smallest they shrink to
// when the widest of them ("R20") would run into its neighbours.
constexpr double LabelPoints = 7, SmallestLabelPoints = 5;
constexpr double LabelGap = 3; // pixels between two labels

QAction* addMenuItem(QMenuBar* bar, const char* name, const QString& caption) {
    QAction* action = bar->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

StripChart::StripChart(const ChartChoice& choice, const LiveViewContext& context,
                       const ChartOverloads& overloads, std::function<void()> rangeChanged)
    : m_context(context), m_overloads(overloads), m_rangeChanged(std::move(rangeChanged)),
      m_function(context.state.reading.functionText), m_range(context.state.reading.rangeText),
      m_series(choice.labelled), m_body(new QWidget(this)), m_caption(new QLabel(m_body)) {
    m_body->setObjectName(QStringLiteral("ChartArea")); // what Print prints
    setObjectName(QString(choice.window));
    setWindowTitle(QStringLiteral("Real Time Chart"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* menu = new QMenuBar(this);
    m_continue = addMenuItem(menu, "CmdContinue", QStringLiteral("Continue"));
    m_pause = addMenuItem(menu, "CmdPause", QStringLiteral("Pause"));
    QAction* print = addMenuItem(menu, "CmdPrint", QStringLiteral("Print"));
    connect(m_continue, &QAction::triggered, this, &StripChart::resume);
    connect(m_pause, &QAction::triggered, this, &StripChart::pause);
    connect(print, &QAction::triggered, this, &StripChart::print);
    m_continue->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menu);
    layout->addWidget(m_body);

    m_caption->setObjectName(QStringLiteral("LblFunction"));
    buildChart();

    m_timer.setParent(this);
    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setInterval(TickMs);
    connect(&m_timer, &QTimer::timeout, this, &StripChart::tick);

    resize(sizeFromTwips(this, InnerWidth, InnerHeight) + QSize(0, menu->sizeHint().height()));
}

void StripChart::buildChart() {
    m_line = new QLineSeries;
    m_line->setPointsVisible(true);
    m_line->setPen(QPen(QColor(0, 70, 160), 2));
    m_chart = new QChart;
    m_chart->legend()->hide();
    m_chart->addSeries(m_line);
    m_chart->setMargins(QMargins(4, 4, 4, 4));

    // The seconds go under the points as the chart's own text items: twenty
    // axis labels in a window this narrow would be cut to "...".
    m_xAxis = new QValueAxis;
    m_xAxis->setRange(-0.5, ChartPoints - 0.5);
    m_xAxis->setTickCount(ChartPoints + 1); // a grid line between every two points
    m_xAxis->setLabelsVisible(false);
    if (m_series.labelled()) {
        QFont small = m_xAxis->labelsFont();
        small.setPointSizeF(LabelPoints);
        for (int row = 0; row < ChartPoints; ++row) {
            auto* label = new QGraphicsSimpleTextItem(m_chart);
            label->setFont(small);
            m_secondLabels.push_back(label);
        }
        m_chart->setMargins(QMargins(4, 4, 4, 16));
        connect(m_chart, &QChart::plotAreaChanged, this, &StripChart::placeSecondLabels);
    }
    m_yAxis = new QValueAxis;
    m_yAxis->setLabelFormat(QStringLiteral("%g"));
    m_chart->addAxis(m_xAxis, Qt::AlignBottom);
    m_chart->addAxis(m_yAxis, Qt::AlignLeft);
    m_line->attachAxis(m_xAxis);
    m_line->attachAxis(m_yAxis);

    followPalette(*m_chart, palette());
    m_view = new QChartView(m_chart, m_body);
    m_view->setObjectName(QStringLiteral("Chart"));
    m_view->setRenderHint(QPainter::Antialiasing);
    showSeries();
}

void StripChart::placeChart(const ChartLayout& layout) {
    setGeometryTwips(m_view, layout.chart);
    m_caption->adjustSize();
    moveTwips(m_caption, layout.caption);
}

void StripChart::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    m_loadedInner = size();
    m_loadedLayout = chartLayoutOnLoad(outerSizeTwips(this));
    placeChart(m_loadedLayout);
}

// Laid out again whenever the inner area changes; back at the size it
// opened with, as it opened.
void StripChart::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_shownOnce)
        placeChart(size() == m_loadedInner ? m_loadedLayout
                                           : chartLayoutAfterResize(outerSizeTwips(this)));
}

void StripChart::closeEvent(QCloseEvent* event) {
    m_timer.stop();
    QWidget::closeEvent(event);
}

void StripChart::tick() {
    const core::SharedState& state = m_context.state;
    if (!chartTakesPoint(int(m_context.sampling.sampleTickCount()), state.texts.samplingSeconds))
        return;
    const meter::Reading& reading = state.reading;
    if (reading.functionText != m_function || reading.rangeText != m_range) {
        m_rangeChanged(); // closes this chart
        return;
    }
    m_caption->setText(chartCaption(reading.functionText, reading.rangeText));
    m_caption->adjustSize();
    m_series.addPoint(
        chartPointValue(state.measurement.shown, m_overloads.chartMax, m_overloads.chartMin),
        m_context.clock.now().time());
    showSeries();
}

void StripChart::showSeries() {
    QList<QPointF> points;
    double low = 0, high = 0;
    for (int row = 0; row < ChartPoints; ++row) {
        const double v = m_series.value(row);
        points << QPointF(row, v);
        low = row == 0 ? v : std::min(low, v);
        high = row == 0 ? v : std::max(high, v);
    }
    m_line->replace(points);

    for (std::size_t row = 0; row < m_secondLabels.size(); ++row)
        m_secondLabels[row]->setText(m_series.label(int(row)));

    // The value axis follows the points shown.
    if (high - low < 1e-9) {
        const double pad = std::max(1.0, std::abs(high) * 0.1);
        low -= pad;
        high += pad;
    }
    m_yAxis->setRange(low, high);
    m_yAxis->applyNiceNumbers();
    placeSecondLabels();
}

void StripChart::placeSecondLabels() {
    const QRectF area = m_chart->plotArea();
    const double share = area.width() / ChartPoints;
    const double room = share - LabelGap;
    // One size for every label: the designed one, or as much smaller as the
    // widest needs, down to a size still read.
    const auto widest = [this](const QFont& font) {
        const QFontMetricsF metrics(font);
        double width = 0;
        for (const QGraphicsSimpleTextItem* label : m_secondLabels)
            width = std::max(width, metrics.horizontalAdvance(label->text()));
        return width;
    };
    QFont font = m_xAxis->labelsFont();
    font.setPointSizeF(LabelPoints);
    while (widest(font) > room && font.pointSizeF() > SmallestLabelPoints)
        font.setPointSizeF(std::max(SmallestLabelPoints, font.pointSizeF() - 0.5));
    // Still too wide: a label under every other point, with two shares each.
    const int step = widest(font) <= room ? 1 : 2;
    const QFontMetricsF metrics(font);
    for (std::size_t row = 0; row < m_secondLabels.size(); ++row) {
        QGraphicsSimpleTextItem* label = m_secondLabels[row];
        label->setFont(font);
        const double x = m_chart->mapToPosition(QPointF(double(row), 0), m_line).x();
        const double width = metrics.horizontalAdvance(label->text());
        label->setPos(x - label->boundingRect().width() / 2, area.bottom() + 2);
        label->setVisible(row % step == 0 && width <= step * share - LabelGap);
    }
}

void StripChart::pause() {
    m_continue->setEnabled(true);
    m_pause->setEnabled(false);
    m_timer.stop();
}

void StripChart::resume() {
    m_continue->setEnabled(false);
    m_pause->setEnabled(true);
    m_timer.start();
}

void StripChart::print() {
    printWindowImage(m_context.printer, m_context.dialogs, this, m_body);
}

} // namespace tarnix::ui
