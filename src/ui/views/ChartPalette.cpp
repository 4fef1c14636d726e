#include "ui/views/ChartPalette.h"

#include <QAbstractAxis>
#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QPalette>

namespace tarnix::ui {

void followPalette(QChart& chart, const QPalette& palette) {
    const QColor text = palette.color(QPalette::Text);
    const QColor edge = palette.color(QPalette::Mid);
    // Grid lines a shade off the plot's own colour, so they stay in the background.
    const QColor base = palette.color(QPalette::Base);
    const auto shade = [&](int c, int t) { return (c * 85 + t * 15) / 100; };
    const QColor grid(shade(base.red(), text.red()), shade(base.green(), text.green()),
                      shade(base.blue(), text.blue()));
    chart.setBackgroundBrush(palette.window());
    chart.setBackgroundPen(Qt::NoPen);
    chart.setPlotAreaBackgroundBrush(palette.base());
    chart.setPlotAreaBackgroundPen(QPen(edge));
    chart.setPlotAreaBackgroundVisible(true);
    for (QAbstractAxis* axis : chart.axes()) {
        axis->setLabelsBrush(palette.windowText());
        axis->setLinePenColor(edge);
        axis->setGridLineColor(grid);
    }
    // The seconds under the points are the chart's own text items.
    for (QGraphicsItem* item : chart.childItems())
        if (auto* label = dynamic_cast<QGraphicsSimpleTextItem*>(item))
            label->setBrush(palette.windowText());
    // The dark blue line would sink into a dark plot.
    const bool dark = base.lightness() < 128;
    for (QAbstractSeries* series : chart.series())
        if (auto* line = qobject_cast<QLineSeries*>(series)) {
            QPen pen = line->pen();
            if (dark)
                pen.setColor(pen.color().lighter(250));
            line->setPen(pen);
            line->setPointLabelsColor(text);
        }
}

} // namespace tarnix::ui
