#pragma once

#include "ui/views/DialGeometry.h"

#include <QSizeF>
#include <QWidget>
#include <optional>

class QLabel;

namespace tarnix::ui {

// The analog view: a needle on a dial drawn for one function and range, like
// a moving-coil panel meter. The dial is laid out when the window opens and
// again after a resize; the needle moves only when moveNeedle() is called on
// a sample tick. Everything is painted from the dial's geometry, so the
// window repaints whole when it is covered or scaled.
class AnalogMeter : public QWidget {
    Q_OBJECT

public:
    explicit AnalogMeter(const meter::Measurement& reading);

    QString dialFunction() const { return m_function; }
    QString dialRange() const { return m_range; }
    // The window was resized since the dial was drawn. A window that twice
    // in a row did not take the size a redraw asked for, but kept the same
    // other size (maximised, or a tiling window manager), keeps it: the dial
    // is fitted to it and the needle goes on moving. Any other size is a
    // resize by the user, snapped again.
    bool resized();
    // Gives a resized window the dial's shape (at least 4605 twips wide) and
    // lays the dial out again; the needle is gone until the next move.
    void redraw();
    void moveNeedle(const meter::Measurement& reading);

    // What is drawn, for tests: the dial's scale, its numbers' texts and the
    // needle's angle (none before the first move after the dial was drawn).
    DialScale scale() const { return dialScale(m_drawnFor, m_drawing); }
    DialDrawing drawing() const { return m_drawing; }
    QStringList scaleTexts() const;
    std::optional<double> needle() const { return m_needle; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void layOutDial(DialDrawing drawing);

    QString m_function;
    QString m_range;
    double m_fullScale;
    DialFamily m_family;
    QLabel* m_caption;
    DialDrawing m_drawing = DialDrawing::Load;
    QSizeF m_drawnFor;      // outer size in twips the dial was drawn for
    QSize m_drawnInner;     // inner size in pixels then: a late frame is no resize
    bool m_redrawn = false; // the last tick redrew the dial
    QSize m_refused;        // the size the window kept instead of the one a redraw asked for
    std::optional<double> m_needle;
    bool m_shownOnce = false;
};

} // namespace tarnix::ui
