#pragma once

#include "ui/views/ChartChoice.h"
#include "ui/views/LiveViewContext.h"

#include <QSizeF>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

class QAction;
class QChart;
class QChartView;
class QGraphicsSimpleTextItem;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace tarnix::ui {

// The plotted values of the overloads, shared by whichever chart is open.
struct ChartOverloads {
    int chartMax = 0;
    int chartMin = 0;
};

// A strip chart of the last 20 readings for one family of ranges, "Real Time
// Chart". Its own timer ticks every second; a tick takes a point only when
// the PC sampling clock is at a sample tick. A change of function or range
// hands over to the chart of the new range.
class StripChart : public QWidget {
    Q_OBJECT

public:
    StripChart(const ChartChoice& choice, const LiveViewContext& context,
               const ChartOverloads& overloads, std::function<void()> rangeChanged);

    QTimer& timer() { return m_timer; }
    const ChartSeries& series() const { return m_series; }
    QString chartFunction() const { return m_function; }
    QString chartRange() const { return m_range; }

    // Timer1's tick.
    void tick();
    void pause();
    void resume();
    void print();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildChart();
    void placeChart(const ChartLayout& layout);
    void showSeries();
    void placeSecondLabels();

    LiveViewContext m_context;
    const ChartOverloads& m_overloads;
    std::function<void()> m_rangeChanged;
    QString m_function; // what the chart was chosen for
    QString m_range;
    ChartSeries m_series;
    QTimer m_timer;
    QWidget* m_body;
    QChartView* m_view = nullptr;
    QChart* m_chart = nullptr;
    QLineSeries* m_line = nullptr;
    QValueAxis* m_xAxis = nullptr;
    QValueAxis* m_yAxis = nullptr;
    std::vector<QGraphicsSimpleTextItem*> m_secondLabels; // owned by the chart
    QLabel* m_caption;
    QAction* m_continue;
    QAction* m_pause;
    QSize m_loadedInner; // inner size at load: a frame that arrives late is no resize
    ChartLayout m_loadedLayout;
    bool m_shownOnce = false;
};

} // namespace tarnix::ui
