#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <optional>

namespace tarnix::ui {

// The digital view's layout, all in twips. Only the value label moves with
// the window; the function label sits at the top left, sized to its text,
// and the hidden range label never moves.
inline constexpr QRectF DigitalValueAtOpen{120, 240, 2175, 735};
inline constexpr int DigitalValueFontAtOpen = 36;
inline constexpr QPointF DigitalFunctionAt{0, 0};
inline constexpr QRectF DigitalRangeAt{2295, 0, 45, 225};
inline constexpr double DigitalLabelFontPoints = 9.75;
inline constexpr QSizeF DigitalInnerAtOpen{2385, 1095};

// Below this outer width the window snaps back to DigitalSmallest.
inline constexpr double DigitalMinimumWidth = 1740;
inline constexpr QSizeF DigitalSmallest{1740, 1044};

struct DigitalLayout {
    QSizeF window;       // the outer size to give the window
    QRectF value;        // the value label
    int valueFontPoints; // the value label's font size
};

// The layout at a sample tick for a window whose outer size is `window`,
// or nothing when the size is the one seen at the last tick. The caller
// remembers the window's size after applying the result (or as it is, when
// there is none) as the next tick's `lastSeen`.
std::optional<DigitalLayout> digitalLayout(QSizeF window, QSizeF lastSeen);

// The value label's font size for a label `labelWidth` twips wide: larger
// steps for wide labels, so the text keeps filling the label.
int digitalValueFontSize(double labelWidth);

// "DCV : 200mV"
QString digitalCaption(const QString& function, const QString& range);

} // namespace tarnix::ui
