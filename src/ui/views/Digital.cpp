#include "ui/views/Digital.h"

#include "ui/platform/DesignFonts.h"
#include "ui/platform/TwipsGeometry.h"
#include "ui/views/DigitalLayout.h"

#include <QLabel>

namespace tarnix::ui {

namespace {

QLabel* addLabel(QWidget* parent, const char* name, double points) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(timesNewRoman(points, true));
    return label;
}

} // namespace

Digital::Digital()
    : m_function(addLabel(this, "LblFunction", DigitalLabelFontPoints)),
      m_range(addLabel(this, "LblRange", DigitalLabelFontPoints)),
      m_value(addLabel(this, "LblValue", DigitalValueFontAtOpen)) {
    setObjectName(QStringLiteral("Digital"));
    setWindowTitle(QStringLiteral("Digital"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_function->move(DigitalFunctionAt.toPoint());
    setGeometryTwips(m_range, DigitalRangeAt);
    m_range->hide();
    setGeometryTwips(m_value, DigitalValueAtOpen);
    m_value->setAlignment(Qt::AlignCenter);
    resize(sizeFromTwips(this, int(DigitalInnerAtOpen.width()), int(DigitalInnerAtOpen.height())));
    m_lastSeen = outerSizeTwips(this);
    m_lastInner = size();
}

void Digital::sampleStep(const QString& function, const QString& range, const QString& value) {
    const QSizeF outer = outerSizeTwips(this);
    const QSizeF lastSeen = size() == m_lastInner ? outer : m_lastSeen;
    if (const auto layout = digitalLayout(outer, lastSeen)) {
        resizeOuterTwips(this, layout->window);
        setGeometryTwips(m_value, layout->value);
        m_value->setFont(timesNewRoman(layout->valueFontPoints, true));
        // What was asked for: a window manager that keeps another size
        // makes the next tick try again.
        m_lastSeen = layout->window;
    } else {
        m_lastSeen = outer;
    }
    m_lastInner = size();
    m_function->setText(digitalCaption(function, range));
    m_function->adjustSize();
    m_range->setText(range);
    m_value->setText(value);
}

} // namespace tarnix::ui
