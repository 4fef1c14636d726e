#pragma once

#include "plot/PlotGeometry.h"

#include <QWidget>

class QLabel;

namespace tarnix::ui {

// The drawing area of a plot window: the fixed lines, the labels and the
// curve, painted from the geometry in twips scaled to the area's size, so
// that the plot survives being covered and follows the window's size.
class PlotCanvas : public QWidget {
    Q_OBJECT

public:
    PlotCanvas(plot::PlotKind kind, plot::PlotDrawing drawing, QWidget* parent = nullptr);

    // The area's size at the screen's resolution, as designed.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeLabels();
    const std::vector<QLineF>& curve();

    const plot::PlotLayout& m_layout;
    plot::PlotDrawing m_drawing;
    std::vector<std::pair<QLabel*, plot::PlotLabelPlace>> m_labels;
    std::vector<QLineF> m_curve; // for m_curveColumns pixel columns
    int m_curveColumns = -1;
};

} // namespace tarnix::ui
