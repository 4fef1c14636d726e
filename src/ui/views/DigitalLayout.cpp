#include "ui/views/DigitalLayout.h"

#include <cmath>

namespace tarnix::ui {

namespace {

// The value label keeps 380 twips of margin across and 770 down (the
// function label above it and the window's caption and frame).
constexpr double ValueMarginX = 380;
constexpr double ValueMarginY = 770;
// Up to this width the window is 0.6 times as high as it is wide; wider
// windows follow the value label, which keeps the shape 10 : 4.
constexpr double ProportionalWidthLimit = 2385;

} // namespace

int digitalValueFontSize(double labelWidth) {
    const long l = std::lround(labelWidth);
    // C++ integer division truncates toward zero, as the rule wants.
    if (l > 2175)
        return int((l - 2000) / 50 + 36);
    return int((l - 1360) / 30 + 10);
}

std::optional<DigitalLayout> digitalLayout(QSizeF window, QSizeF lastSeen) {
    if (window.width() < DigitalMinimumWidth) {
        return DigitalLayout{DigitalSmallest,
                             QRectF(DigitalValueAtOpen.topLeft(), QSizeF(1360, 274)), 10};
    }
    if (window == lastSeen)
        return std::nullopt;

    const double w = window.width();
    const double valueWidth = w - ValueMarginX;
    const double valueHeight =
        w > ProportionalWidthLimit ? valueWidth * 0.4 : w * 0.6 - ValueMarginY;
    return DigitalLayout{QSizeF(w, valueHeight + ValueMarginY),
                         QRectF(DigitalValueAtOpen.topLeft(), QSizeF(valueWidth, valueHeight)),
                         digitalValueFontSize(valueWidth)};
}

QString digitalCaption(const QString& function, const QString& range) {
    return function + QStringLiteral(" : ") + range;
}

} // namespace tarnix::ui
