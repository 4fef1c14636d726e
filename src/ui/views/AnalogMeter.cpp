#include "ui/views/AnalogMeter.h"

#include "ui/platform/DesignFonts.h"
#include "ui/platform/TwipsGeometry.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <utility>

namespace tarnix::ui {

namespace {

constexpr QSize InnerAtOpen{4485, 2520}; // twips
const QColor DialYellow{255, 255, 0};

// The dial's own scale (y up, origin at the needle's pivot) over the window's
// inner area in pixels.
class DialMapping {
public:
    DialMapping(const DialScale& s, QSizeF pixels)
        : m_scale(s), m_xPerUnit(pixels.width() / s.width), m_yPerUnit(pixels.height() / s.height) {
    }

    QPointF toPixels(QPointF p) const {
        return {(p.x() - m_scale.left) * m_xPerUnit, (m_scale.top - p.y()) * m_yPerUnit};
    }
    double unitsPerPixelX() const { return 1 / m_xPerUnit; }
    double unitsPerPixelY() const { return 1 / m_yPerUnit; }

private:
    DialScale m_scale;
    double m_xPerUnit;
    double m_yPerUnit;
};

QPointF onCircle(double degrees, double radius) {
    const double a = qDegreesToRadians(degrees);
    return {radius * std::cos(a), radius * std::sin(a)};
}

} // namespace

AnalogMeter::AnalogMeter(const meter::Measurement& reading)
    : m_function(reading.function), m_range(reading.range), m_fullScale(reading.fullScale),
      m_family(dialFamily(reading.function, reading.range)),
      m_caption(new QLabel(this)) {
    setObjectName(QStringLiteral("AnalogMeter"));
    setWindowTitle(QStringLiteral("Analog"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Black on the dial's yellow in a dark theme too.
    QPalette yellow = palette();
    yellow.setColor(QPalette::Window, DialYellow);
    yellow.setColor(QPalette::WindowText, Qt::black);
    setPalette(yellow);
    setAutoFillBackground(true);
    m_caption->setObjectName(QStringLiteral("LblFun"));
    m_caption->setFont(msSansSerif(9.75, true));
    m_caption->move(0, 0);
    resize(sizeFromTwips(this, InnerAtOpen.width(), InnerAtOpen.height()));
}

void AnalogMeter::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shownOnce)
        layOutDial(DialDrawing::Load);
    m_shownOnce = true;
}

void AnalogMeter::layOutDial(DialDrawing drawing) {
    m_drawing = drawing;
    m_drawnFor = outerSizeTwips(this);
    m_drawnInner = size();
    m_needle.reset();
    update();
}

bool AnalogMeter::resized() {
    const bool redrawn = std::exchange(m_redrawn, false);
    if (size() == m_drawnInner)
        return false;
    if (redrawn && size() == std::exchange(m_refused, size())) {
        layOutDial(DialDrawing::Redraw); // asked twice, refused twice
        return false;
    }
    if (!redrawn)
        m_refused = {};
    return true;
}

void AnalogMeter::redraw() {
    const QSizeF shape = dialWindowAfterResize(outerSizeTwips(this));
    resizeOuterTwips(this, shape);
    layOutDial(DialDrawing::Redraw);
    // A window manager may take a moment to apply the size, or refuse it:
    // the dial is drawn for the size asked for, and the next tick fits it
    // to the size the window really has.
    m_drawnFor = shape;
    m_redrawn = true;
}

void AnalogMeter::moveNeedle(const meter::Measurement& reading) {
    m_caption->setText(dialCaption(reading.function, reading.range));
    m_caption->adjustSize();
    m_needle = needleAngle(reading);
    update();
}

QStringList AnalogMeter::scaleTexts() const {
    QStringList texts;
    for (const ScaleNumber& n : scaleNumbers(m_family, m_range, m_fullScale, scale().radius, m_drawing))
        texts << n.text;
    return texts;
}

void AnalogMeter::paintEvent(QPaintEvent*) {
    const DialScale dial = scale();
    if (dial.width <= 0 || dial.height <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const DialMapping map(dial, size());
    const QColor ink = palette().color(QPalette::WindowText);
    const double r = dial.radius;

    // The arc, as a fine polyline so that it follows the window's scale
    // even when that is not the same across and down.
    const DialArc arc = dialArc(m_family, m_drawing);
    QPainterPath arcPath(map.toPixels(onCircle(arc.startDegrees, r)));
    for (double a = arc.startDegrees; a < arc.endDegrees; a += 0.25)
        arcPath.lineTo(map.toPixels(onCircle(a, r)));
    arcPath.lineTo(map.toPixels(onCircle(arc.endDegrees, r)));
    painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(arcPath);

    painter.setPen(QPen(ink, 1));
    for (const DialTick& tick : dialTicks(m_family, r))
        painter.drawLine(map.toPixels(tick.inner), map.toPixels(tick.outer));

    const QFont numbers = msSansSerif(8.25, false);
    painter.setFont(numbers);
    const QFontMetricsF metrics(numbers);
    const auto placed = placeScaleNumbers(
        scaleNumbers(m_family, m_range, m_fullScale, r, m_drawing), m_drawing,
        [&](const QString& text) { return metrics.horizontalAdvance(text) * map.unitsPerPixelX(); },
        metrics.height() * map.unitsPerPixelY());
    for (const PlacedText& text : placed)
        painter.drawText(map.toPixels(text.topLeft) + QPointF(0, metrics.ascent()), text.text);

    if (m_needle) {
        const NeedleLine needle = needleLine(*m_needle, r);
        painter.setPen(QPen(ink, 1, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(map.toPixels(needle.tip), map.toPixels(needle.pivot));
    }
}

} // namespace tarnix::ui
