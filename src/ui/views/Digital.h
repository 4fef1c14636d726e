#pragma once

#include <QSizeF>
#include <QWidget>

class QLabel;

namespace tarnix::ui {

// The digital view: the panel's value in large type with function and range
// above it. It has no timer: the PC sampling clock calls sampleStep() on
// every sample tick, which fits the layout to the window and shows the texts.
class Digital : public QWidget {
    Q_OBJECT

public:
    // Opens at the right of `panel` (a top-level window, not its parent).
    Digital();

    void sampleStep(const QString& function, const QString& range, const QString& value);

private:
    QLabel* m_function;
    QLabel* m_range;
    QLabel* m_value;
    // The outer size at the last sample tick, twips, and the inner size then:
    // only a change of the inner size is the user's resize (a window
    // manager's frame may arrive after the window was first measured).
    QSizeF m_lastSeen;
    QSize m_lastInner;
};

} // namespace tarnix::ui
