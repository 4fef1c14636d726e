#include "ui/trend/TrendCanvas.h"

#include "core/TrendSource.h"
#include "trend/TrendReadout.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

namespace tarnix::ui {

namespace {
constexpr int ClickSlack = 4; // pixels a click may move and stay a click
} // namespace

TrendCanvas::TrendCanvas(const core::TrendSource& source, trend::TrendZoom& zoom, QWidget* parent)
    : QWidget(parent), m_source(source), m_zoom(zoom) {
    setObjectName(QStringLiteral("TrendCanvas"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 200);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The right button drags a zoom box; a right click alone asks for the menu.
    setContextMenuPolicy(Qt::PreventContextMenu);
}

TrendScene TrendCanvas::scene() const {
    TrendScene scene;
    scene.data = &m_source.data();
    scene.frame = m_zoom.frame();
    scene.gapMs = m_source.gapMs();
    scene.hover = m_hover;
    scene.first = m_zoom.first();
    scene.second = m_zoom.second();
    scene.background = palette().color(QPalette::Base);
    scene.text = palette().color(QPalette::Text);
    // Solid, not see-through: a line that blends costs far more to draw.
    const QColor mid = palette().color(QPalette::Mid);
    scene.grid = QColor::fromRgbF((mid.redF() + 2 * scene.background.redF()) / 3,
                                  (mid.greenF() + 2 * scene.background.greenF()) / 3,
                                  (mid.blueF() + 2 * scene.background.blueF()) / 3);
    if (m_drag == Drag::Box && m_moved)
        scene.box = QRect(m_pressAt, m_lastAt).normalized();
    return scene;
}

void TrendCanvas::dropPicks() {
    m_hover.reset();
    m_zoom.measure(std::nullopt);
    Q_EMIT hoverChanged();
    Q_EMIT measureChanged();
}

void TrendCanvas::showAll() {
    const bool measured = m_zoom.first().has_value();
    m_zoom.home();
    zoomed(measured);
}

void TrendCanvas::undoZoom() {
    const bool measured = m_zoom.first().has_value();
    m_zoom.undo();
    zoomed(measured);
}

void TrendCanvas::zoomed(bool measured) {
    if (measured && !m_zoom.first())
        Q_EMIT measureChanged();
    update();
}

TrendLayout TrendCanvas::layout() const {
    return TrendLayout(size(), m_source.data().series().size());
}

qint64 TrendCanvas::timeAt(double x) const {
    const QRect plot = layout().plot;
    const trend::TrendFrame& f = m_zoom.frame();
    return f.fromMs +
           qint64(std::llround((x - plot.left()) * double(f.toMs - f.fromMs) / plot.width()));
}

std::optional<TrendPick> TrendCanvas::pickAt(QPoint at) const {
    const TrendLayout l = layout();
    const auto lane = l.laneAt(at.y());
    if (!lane || at.x() < l.plot.left() - 4 || at.x() > l.plot.right() + 4)
        return std::nullopt;
    const qsizetype reading =
        trend::nearestReading(m_source.data().series()[*lane], timeAt(at.x()));
    if (reading < 0)
        return std::nullopt;
    return TrendPick{*lane, reading, m_source.data().series()[*lane].time(reading)};
}

void TrendCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintTrend(painter, size(), scene());
}

void TrendCanvas::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0)
        return;
    const QRect plot = layout().plot;
    const bool measured = m_zoom.first().has_value();
    m_zoom.zoomAt((event->position().x() - plot.left()) / plot.width(), std::pow(0.8, steps));
    zoomed(measured);
}

void TrendCanvas::mousePressEvent(QMouseEvent* event) {
    m_pressAt = m_lastAt = event->position().toPoint();
    m_moved = false;
    const bool box = event->button() == Qt::RightButton ||
                     (event->button() == Qt::LeftButton && event->modifiers() & Qt::ShiftModifier);
    m_drag = box ? Drag::Box : event->button() == Qt::LeftButton ? Drag::Pan : Drag::None;
}

void TrendCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_drag != Drag::None && (at - m_pressAt).manhattanLength() > ClickSlack)
        m_moved = true;
    if (m_drag == Drag::Pan && m_moved)
        m_zoom.pan(-double(at.x() - m_lastAt.x()) / layout().plot.width());
    m_lastAt = at;
    if (const auto pick = m_drag == Drag::None ? pickAt(at) : std::nullopt;
        pick.has_value() != m_hover.has_value() ||
        (pick && (pick->series != m_hover->series || pick->reading != m_hover->reading))) {
        m_hover = pick;
        Q_EMIT hoverChanged();
    }
    update();
}

void TrendCanvas::mouseReleaseEvent(QMouseEvent* event) {
    const Drag drag = std::exchange(m_drag, Drag::None);
    const bool measured = m_zoom.first().has_value();
    if (drag == Drag::Box && m_moved)
        zoomToBox(QRect(m_pressAt, event->position().toPoint()).normalized());
    if (measured && !m_zoom.first())
        Q_EMIT measureChanged();
    else if (drag == Drag::Box && event->button() == Qt::RightButton)
        Q_EMIT menuAsked(event->globalPosition().toPoint());
    else if (drag == Drag::Pan && !m_moved)
        click(event->position().toPoint());
    update();
}

void TrendCanvas::zoomToBox(const QRect& box) {
    const TrendLayout l = layout();
    std::optional<std::pair<std::size_t, trend::ValueSpan>> values;
    if (const auto lane = l.laneAt(m_pressAt.y()); lane && box.height() > ClickSlack) {
        const QRect& r = l.lanes[*lane];
        const trend::ValueSpan shown = laneValues(scene(), l)[*lane];
        const auto valueAt = [&](int y) {
            return shown.bottom + double(r.bottom() - y) * (shown.top - shown.bottom) / r.height();
        };
        values.emplace(*lane, trend::ValueSpan{valueAt(box.bottom()), valueAt(box.top())});
    }
    m_zoom.zoomTo(timeAt(box.left()), timeAt(box.right()), values);
}

void TrendCanvas::click(QPoint at) {
    const auto pick = pickAt(at);
    if (!pick)
        return;
    const auto& first = m_zoom.first();
    if (!first || m_zoom.second() || pick->series != first->series)
        m_zoom.measure(pick);
    else
        m_zoom.measure(first, pick);
    Q_EMIT measureChanged();
}

void TrendCanvas::keyPressEvent(QKeyEvent* event) {
    const bool measured = m_zoom.first().has_value();
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        m_zoom.zoomAt(0.5, 0.5);
        break;
    case Qt::Key_Minus:
        m_zoom.zoomAt(0.5, 2);
        break;
    case Qt::Key_Left:
        m_zoom.pan(-0.1);
        break;
    case Qt::Key_Right:
        m_zoom.pan(0.1);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        // A lane without readings in view has no values to move.
        const auto values = knownLaneValues(scene(), layout());
        for (std::size_t i = 0; i < values.size(); ++i)
            if (values[i])
                m_zoom.panValues(i, *values[i], event->key() == Qt::Key_Up ? 0.1 : -0.1);
        break;
    }
    case Qt::Key_Home:
        showAll();
        return;
    case Qt::Key_Escape:
        undoZoom();
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    zoomed(measured);
}

void TrendCanvas::leaveEvent(QEvent*) {
    if (m_hover) {
        m_hover.reset();
        Q_EMIT hoverChanged();
        update();
    }
}

} // namespace tarnix::ui
