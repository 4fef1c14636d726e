#pragma once

#include "ui/trend/TrendPainter.h"

#include <QWidget>

namespace tarnix::core {
class TrendSource;
} // namespace tarnix::core

namespace tarnix::ui {

// The trend's drawing area and what the mouse and keys do there: the wheel
// zooms around the pointer, a drag pans, a drag with Shift or the right
// button zooms to a box; + and - zoom, the arrows pan, Home shows all, Esc
// undoes the last zoom. The crosshair follows the reading nearest the
// pointer; a click marks a reading, and a second click measures to it.
class TrendCanvas : public QWidget {
    Q_OBJECT

public:
    TrendCanvas(const core::TrendSource& source, trend::TrendZoom& zoom, QWidget* parent = nullptr);

    // The scene as shown now, for painting elsewhere (a file, a printer).
    TrendScene scene() const;
    const std::optional<TrendPick>& hover() const { return m_hover; }
    const std::optional<TrendPick>& first() const { return m_zoom.first(); }
    const std::optional<TrendPick>& second() const { return m_zoom.second(); }
    // The readings changed (read again): picks that may point past them go.
    void dropPicks();
    // Home and Esc: all of it; back to before the last zoom.
    void showAll();
    void undoZoom();

Q_SIGNALS:
    void hoverChanged();
    void measureChanged();
    // A right click that drew no box, at this point of the screen.
    void menuAsked(QPoint global);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    TrendLayout layout() const;
    qint64 timeAt(double x) const;
    std::optional<TrendPick> pickAt(QPoint at) const;
    void zoomToBox(const QRect& box);
    // After a zoom, which may have dropped the measurement: said, and shown.
    void zoomed(bool measured);
    void click(QPoint at);

    const core::TrendSource& m_source;
    trend::TrendZoom& m_zoom;
    std::optional<TrendPick> m_hover;
    enum class Drag { None, Pan, Box } m_drag = Drag::None;
    QPoint m_pressAt, m_lastAt;
    bool m_moved = false;
};

} // namespace tarnix::ui
