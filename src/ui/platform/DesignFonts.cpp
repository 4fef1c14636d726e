#include "ui/platform/DesignFonts.h"

namespace tarnix::ui {

namespace {
QFont designFont(const QString& family, QFont::StyleHint hint, double points, bool bold) {
    QFont font(family);
    font.setStyleHint(hint);
    font.setBold(bold);
    font.setPointSizeF(points);
    return font;
}
} // namespace

QFont timesNewRoman(double points, bool bold) {
    return designFont(QStringLiteral("Times New Roman"), QFont::Serif, points, bold);
}

QFont msSansSerif(double points, bool bold) {
    return designFont(QStringLiteral("MS Sans Serif"), QFont::SansSerif, points, bold);
}

} // namespace tarnix::ui
