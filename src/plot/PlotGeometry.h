#pragma once

#include "plot/PlotLimits.h"

#include <QLineF>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <optional>
#include <vector>

namespace tarnix::records {
class RecordStore;
}

namespace tarnix::plot {

// The plots in the windows' own units, twips, y growing downward. Record
// From lies at x 1000 and record To at x 5000; Max at y 1000, Min on the
// zero line at y 4000, and in the signed plot -Max at y 7000.
inline constexpr double Left = 1000, Right = 5000;
inline constexpr double Top = 1000, Zero = 4000, Bottom = 7000;
inline constexpr double Over = 900, Under = 7100; // overloads, just beyond the limit lines

// The fixed lines of a plot window.
enum class GuideStyle {
    Axis,  // black, 2 wide
    Limit, // red dashed: Max and -Max
    Half,  // green dotted: halfway and the middle record
};
struct PlotGuide {
    QLineF line;
    GuideStyle style;
};

enum class LabelAlign { Left, Centre, Right };

// A label of a plot window: `anchor` is its top and, by its alignment, its
// left edge, its centre or its right edge.
struct PlotLabelPlace {
    const char* name; // objectName, or nullptr for a fixed text
    const char* fixedText;
    QPointF anchor;
    LabelAlign align;
};

struct PlotLayout {
    QSizeF client;
    std::vector<PlotGuide> guides;
    std::vector<PlotLabelPlace> labels;
};
const PlotLayout& plotLayout(PlotKind kind);

// The red reference line that negative overloads of temperature ranges are
// drawn on, with its label "(-OL) -50" or "(-OL) -60".
struct PlotReference {
    double y;
    QString text;
    QPointF labelTopLeft;
};

// What a plot shows besides its fixed lines: the label texts and the curve.
struct PlotDrawing {
    QString valTop, valMid, zero; // Max, halfway, Min
    QString negMid, negTop;       // the signed plot's lower half
    bool timed = false;           // two or more records: times, unit and curve
    QString t1, t2, t3;           // times of From, the middle record and To
    QString unit;                 // "DCV:200mV"
    std::optional<PlotReference> reference;
    std::vector<float> ys; // y of every record From ... To
};

// The plots of records From to To of `records` (row 0 is record 1). Nothing
// when the plot cannot be drawn and its window is to close: Max equal to
// Min, records beyond the list, or values too large to scale.
std::optional<PlotDrawing> drawSignedPlot(const records::RecordStore& records, const PlotLimits& limits);
std::optional<PlotDrawing> drawPositivePlot(const records::RecordStore& records, const PlotLimits& limits);

// x of the j-th drawn record (from 0) of `count`.
double recordX(std::size_t j, std::size_t count);

// The curve as lines. Up to four records a pixel column every record is
// joined to the next; beyond that each of `pixelColumns` columns keeps its
// first, lowest, highest and last point, so no spike is lost.
std::vector<QLineF> curveLines(const std::vector<float>& ys, int pixelColumns);

} // namespace tarnix::plot
