#include "ui/lists/PlotCanvas.h"

#include "ui/platform/TwipsGeometry.h"

#include <QLabel>
#include <QPainter>
#include <cmath>

namespace tarnix::ui {

namespace {

QPen guidePen(plot::GuideStyle style) {
    QPen pen;
    switch (style) {
    case plot::GuideStyle::Axis:
        pen = QPen(Qt::black, 2);
        break;
    case plot::GuideStyle::Limit:
        pen = QPen(Qt::red, 1, Qt::DashLine);
        break;
    case plot::GuideStyle::Half:
        pen = QPen(Qt::darkGreen, 1, Qt::DotLine);
        break;
    }
    pen.setCosmetic(true); // widths in pixels at any scale
    return pen;
}

QPen cosmeticPen(const QColor& colour) {
    QPen pen(colour, 1);
    pen.setCosmetic(true);
    return pen;
}

// The text a label shows from the drawing, by its name.
QString labelText(const plot::PlotDrawing& d, QStringView name) {
    const std::pair<const char16_t*, const QString*> texts[] = {
        {u"LblValTop", &d.valTop}, {u"LblValMid", &d.valMid}, {u"Lbl0", &d.zero},
        {u"MidLbl", &d.negMid},    {u"TopLbl", &d.negTop},    {u"LblT1", &d.t1},
        {u"LblT2", &d.t2},         {u"LblT3", &d.t3},         {u"LblUnit", &d.unit}};
    for (const auto& [n, text] : texts)
        if (name == QStringView(n))
            return *text;
    return {};
}

} // namespace

PlotCanvas::PlotCanvas(plot::PlotKind kind, plot::PlotDrawing drawing, QWidget* parent)
    : QWidget(parent), m_layout(plotLayout(kind)), m_drawing(std::move(drawing)) {
    // Black on white under any theme, as the plot prints. The labels take the
    // colours themselves: under a style sheet they no longer inherit them.
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    QFont small = font();
    small.setPointSizeF(8);
    for (plot::PlotLabelPlace place : m_layout.labels) {
        auto* label = new QLabel(this);
        label->setPalette(palette);
        label->setFont(small);
        if (place.name) {
            const QString name = QString::fromLatin1(place.name);
            label->setObjectName(name);
            label->setText(labelText(m_drawing, name));
        } else {
            label->setText(QString::fromLatin1(place.fixedText));
        }
        if (label->objectName() == u"LblOdd") {
            label->setVisible(m_drawing.reference.has_value());
            if (m_drawing.reference) {
                label->setText(m_drawing.reference->text);
                place.anchor = m_drawing.reference->labelTopLeft;
            }
        }
        m_labels.emplace_back(label, place);
    }
}

QSize PlotCanvas::sizeHint() const {
    return sizeFromTwips(this, int(m_layout.client.width()), int(m_layout.client.height()));
}

void PlotCanvas::resizeEvent(QResizeEvent* event) {
    placeLabels();
    QWidget::resizeEvent(event);
}

void PlotCanvas::placeLabels() {
    const double sx = width() / m_layout.client.width();
    const double sy = height() / m_layout.client.height();
    for (const auto& [label, place] : m_labels) {
        const QSize size = label->sizeHint();
        double left = place.anchor.x() * sx;
        if (place.align == plot::LabelAlign::Centre)
            left -= size.width() / 2.0;
        else if (place.align == plot::LabelAlign::Right)
            left -= size.width();
        label->setGeometry(int(std::lround(left)), int(std::lround(place.anchor.y() * sy)),
                           size.width(), size.height());
    }
}

const std::vector<QLineF>& PlotCanvas::curve() {
    // One min/max pair per device pixel across the curve's width.
    const double span =
        (plot::Right - plot::Left) * width() / m_layout.client.width();
    const int columns = std::max(1, int(std::ceil(span * devicePixelRatioF())));
    if (columns != m_curveColumns) {
        m_curve = plot::curveLines(m_drawing.ys, columns);
        m_curveColumns = columns;
    }
    return m_curve;
}

void PlotCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(width() / m_layout.client.width(), height() / m_layout.client.height());
    for (const plot::PlotGuide& guide : m_layout.guides) {
        painter.setPen(guidePen(guide.style));
        painter.drawLine(guide.line);
    }
    if (m_drawing.reference) {
        painter.setPen(cosmeticPen(Qt::red));
        painter.drawLine(QLineF(plot::Left, m_drawing.reference->y, plot::Right,
                                m_drawing.reference->y));
    }
    const std::vector<QLineF>& lines = curve();
    painter.setPen(cosmeticPen(Qt::black));
    painter.drawLines(lines.data(), int(lines.size()));
}

} // namespace tarnix::ui
