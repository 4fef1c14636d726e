#include "ui/lists/PlotRange.h"

#include "ui/platform/TwipsGeometry.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarnix::ui {

namespace {

constexpr int GroupWidth = 1425, GroupHeight = 900, BoxWidth = 570, BoxHeight = 285;

// A group heading with two labelled boxes side by side under it. Labels and
// boxes belong to the dialog, not to the frame, so that frame styles of the
// main window do not dress them as read-outs.
std::pair<QLineEdit*, QLineEdit*> addGroup(QWidget* dialog, const char* heading, int left,
                                           const char* leftName, const char* leftCaption,
                                           const char* rightName, const char* rightCaption) {
    auto* group = new QGroupBox(QString::fromLatin1(heading), dialog);
    setGeometryTwips(group, left, 60, GroupWidth, GroupHeight);
    const auto addBox = [dialog](const char* name, const char* caption, int boxLeft) {
        auto* label = new QLabel(QString::fromLatin1(caption), dialog);
        setGeometryTwips(label, boxLeft, 360, BoxWidth, 225);
        auto* box = new QLineEdit(dialog);
        box->setObjectName(QString::fromLatin1(name));
        setGeometryTwips(box, boxLeft, 600, BoxWidth, BoxHeight);
        return box;
    };
    return {addBox(leftName, leftCaption, left + 105), addBox(rightName, rightCaption, left + 750)};
}

} // namespace

PlotRange::PlotRange(plot::PlotKind kind, const plot::PlotLimits& limits, QWidget* parent)
    : QDialog(parent), m_kind(kind), m_limits(limits) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setObjectName(kind == plot::PlotKind::Signed ? QStringLiteral("Plot2Range")
                                                  : QStringLiteral("Plot1Range"));
    setWindowTitle(QStringLiteral("Plot Range"));
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);
    setStyleSheet(
        QStringLiteral("QGroupBox { font-weight: normal; }")); // headings fit their frames
    std::tie(m_from, m_to) = addGroup(this, "No.s of Records", 30, "TxtT1", "From", "TxtT2", "To");
    std::tie(m_min, m_max) = addGroup(this, "Limitation", 1500, "TxtR1", "Min.", "TxtR2", "Max.");
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    setGeometryTwips(ok, 60, 1080, 2835, 450);
    connect(ok, &QPushButton::clicked, this, &PlotRange::okClicked);
    resize(sizeFromTwips(this, 2955, 1650));
    fill();
}

plot::RangeTexts PlotRange::texts() const {
    return {m_from->text(), m_to->text(), m_min->text(), m_max->text()};
}

void PlotRange::fill() {
    const plot::RangeTexts t = rangeTexts(m_limits);
    m_from->setText(t.from);
    m_to->setText(t.to);
    m_min->setText(t.min);
    m_max->setText(t.max);
}

void PlotRange::resizeEvent(QResizeEvent* event) {
    if (m_kind == plot::PlotKind::Positive)
        fill();
    QDialog::resizeEvent(event);
}

} // namespace tarnix::ui
