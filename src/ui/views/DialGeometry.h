#pragma once

#include "meter/Measurement.h"

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringView>
#include <functional>
#include <vector>

namespace tarnix::ui {

// The analog meter's dial in the view's own scale: x to the right, y up,
// the needle's pivot at (0, 0) just below the window's bottom edge. Angles
// are degrees counter-clockwise from the positive x axis, 90 straight up.

enum class DialFamily {
    WideTemperature, // 1370'C and 2000'F
    Celsius200,      // 200'C
    Fahrenheit200,   // 200'F
    OneSided,        // ACV, ACA, RES, CAP: zero at the left
    CentreZero,      // DCV, DCA: zero in the middle
};

// The dial is drawn one way as the window opens and slightly differently
// when it is redrawn after a resize.
enum class DialDrawing { Load, Redraw };

// The functions that have a dial; for any other the view stays shut.
bool hasDial(QStringView function);
// The functions that close an open view at the next sample tick.
bool closesDial(QStringView function);

// The family by the range first, then by the function.
DialFamily dialFamily(QStringView function, QStringView range);

// The user scale over the window's outer size (twips).
struct DialScale {
    double width;  // sx
    double height; // sy
    double radius; // R, half the width
    double left, right, top, bottom;
};
DialScale dialScale(QSizeF window, DialDrawing drawing);

// The arc is drawn counter-clockwise from start to end, radius R, width 2.
struct DialArc {
    double startDegrees;
    double endDegrees;
};
DialArc dialArc(DialFamily family, DialDrawing drawing);

// A tick mark from the arc outwards, longer on every fifth and tenth.
struct DialTick {
    QPointF inner;
    QPointF outer;
};
std::vector<DialTick> dialTicks(DialFamily family, double radius);

// A scale number before its text width is known. The text is printed with
// its top left corner at a point made from `anchor`: see placeScaleNumbers.
struct ScaleNumber {
    QString text;
    QPointF anchor; // 1.16 R out at the number's angles
    bool nextLine;  // y is one text line below the number printed before
    bool topCentre; // the number above the pivot
};
// `fullScale` is the range's own number (200 for 200mV).
std::vector<ScaleNumber> scaleNumbers(DialFamily family, QStringView range, double fullScale,
                                      double radius, DialDrawing drawing);

// A number's text in the dial's own writing: " 100", "-1", " 1.5".
QString dialNumberText(double value);

struct PlacedText {
    QString text;
    QPointF topLeft; // in the dial's scale, so the text extends downwards to y - line height
};
// Where each number's text goes: on load centred on its anchor (the top
// centre one unit to the right), on redraw from 120 units left of it;
// a next-line number goes one `lineHeight` below the one printed before it.
std::vector<PlacedText> placeScaleNumbers(const std::vector<ScaleNumber>& numbers,
                                          DialDrawing drawing,
                                          const std::function<double(const QString&)>& textWidth,
                                          double lineHeight);

// The needle's angle for a reading: overloads stop at the dial's ends and
// every value is held inside them.
double needleAngle(const meter::Measurement& reading);

// The needle is drawn from its tip to the pivot.
struct NeedleLine {
    QPointF tip;
    QPointF pivot;
};
NeedleLine needleLine(double angleDegrees, double radius);

// The smallest window whose dial is redrawn after a resize; the window keeps
// this shape at any width.
inline constexpr QSizeF DialSmallestWindow{4605, 2925};
// The outer size a resized window is given before its dial is redrawn.
QSizeF dialWindowAfterResize(QSizeF window);

// What a sample tick does to an open view, in the order it is decided.
enum class DialTickStep {
    Close,      // a function without a needle ("DIODE", "FREQ")
    Rebuild,    // function or range changed: reopen (or stay shut)
    Redraw,     // the window was resized: resize and redraw the dial
    MoveNeedle, // erase the needle and draw it at the new reading
};
DialTickStep dialTickStep(QStringView function, QStringView range, QStringView dialFunction,
                          QStringView dialRange, bool windowResized);

// "DCV : 200mV"
QString dialCaption(const QString& function, const QString& range);

} // namespace tarnix::ui
