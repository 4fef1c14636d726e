#pragma once

#include "plot/PlotLimits.h"

#include <QDialog>

class QLineEdit;

namespace tarnix::ui {

// "Plot Range": the records to draw (From, To) and the value limits (Min.,
// Max.) of one plot window, "Plot2Range" for the signed plot and
// "Plot1Range" for the positive plot. Not modal. The boxes show the window's
// current limits when it opens; the positive plot's dialog shows them again
// whenever it is resized. OK hands the boxes to whoever checks and applies them.
class PlotRange : public QDialog {
    Q_OBJECT

public:
    PlotRange(plot::PlotKind kind, const plot::PlotLimits& limits, QWidget* parent = nullptr);

    plot::PlotKind kind() const { return m_kind; }
    plot::RangeTexts texts() const;

Q_SIGNALS:
    void okClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fill();

    plot::PlotKind m_kind;
    const plot::PlotLimits& m_limits;
    QLineEdit* m_from = nullptr;
    QLineEdit* m_to = nullptr;
    QLineEdit* m_min = nullptr;
    QLineEdit* m_max = nullptr;
};

} // namespace tarnix::ui
