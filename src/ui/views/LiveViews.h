#pragma once

#include "ui/views/AnalogMeter.h"
#include "ui/views/Digital.h"
#include "ui/views/LiveViewContext.h"
#include "ui/views/StripChart.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace tarnix::ui {

// The digital view, the analog view and the strip chart: opening them from
// the panel's buttons and their step on each sample tick. At most one of
// each is open.
class LiveViews : public QObject {
    Q_OBJECT

public:
    explicit LiveViews(const LiveViewContext& context, QObject* parent = nullptr);
    // Closes the views: they are windows of their own, and the chart reads
    // the panel's state and these views' overloads on every tick of its timer.
    ~LiveViews() override;

    // DIGITAL: shows the view, or brings an open one forward (minimised too).
    void openDigital();
    // ANALOG: closes an open view and opens one with a new dial, for the
    // functions that have one.
    void openAnalog();
    // GRAPH: closes an open chart and opens the one for the current range, if any.
    void showRangeChart();

    // The views' part of a sample tick. False when the analog view was
    // closed, rebuilt or redrawn: the tick ends there.
    bool sampleStep();

    Digital* digital() const { return m_digital; }
    AnalogMeter* analog() const { return m_analog; }
    StripChart* chart() const { return m_chart; }
    const ChartOverloads& overloads() const { return m_overloads; }

private:
    // A new view goes beside the panel, clear of the views already open.
    void place(QWidget* view) const;

    LiveViewContext m_context;
    QPointer<Digital> m_digital;
    QPointer<AnalogMeter> m_analog;
    QPointer<StripChart> m_chart;
    ChartOverloads m_overloads;
};

} // namespace tarnix::ui
