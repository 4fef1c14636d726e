#include "ui/views/LiveViews.h"

#include "core/SharedState.h"
#include "ui/platform/CloseAndForget.h"
#include "ui/platform/WindowPlacement.h"

namespace tarnix::ui {

LiveViews::LiveViews(const LiveViewContext& context, QObject* parent)
    : QObject(parent), m_context(context) {}

LiveViews::~LiveViews() {
    closeAndForget(m_chart); // its close stops its timer at once
    closeAndForget(m_analog);
    closeAndForget(m_digital);
}

void LiveViews::openDigital() {
    if (!m_digital) {
        m_digital = new Digital;
        place(m_digital);
    }
    bringForward(m_digital);
}

void LiveViews::place(QWidget* view) const {
    placeClear(view, m_context.panel, {m_digital, m_analog, m_chart});
}

void LiveViews::openAnalog() {
    closeAndForget(m_analog);
    const meter::Reading& reading = m_context.state.reading;
    if (!hasDial(reading.functionText))
        return;
    m_analog = new AnalogMeter(m_context.state.measurement);
    place(m_analog);
    m_analog->show();
}

void LiveViews::showRangeChart() {
    closeAndForget(m_chart);
    const meter::Reading& reading = m_context.state.reading;
    const auto choice = chartChoice(reading.functionText, reading.rangeText);
    if (!choice)
        return;
    m_overloads = {choice->chartMax, choice->chartMin};
    // Handing over to the next chart from inside this chart's own tick:
    // the old window is closed and deleted once its tick has returned.
    m_chart = new StripChart(*choice, m_context, m_overloads, [this] { showRangeChart(); });
    place(m_chart);
    m_chart->show();
    m_chart->timer().start();
}

bool LiveViews::sampleStep() {
    const core::SharedState& state = m_context.state;
    const meter::Reading& reading = state.reading;
    if (m_digital)
        m_digital->sampleStep(reading.functionText, reading.rangeText, reading.value.text());
    if (!m_analog)
        return true;
    switch (dialTickStep(reading.functionText, reading.rangeText, m_analog->dialFunction(),
                         m_analog->dialRange(), m_analog->resized())) {
    case DialTickStep::Close:
        closeAndForget(m_analog);
        return false;
    case DialTickStep::Rebuild:
        openAnalog();
        return false;
    case DialTickStep::Redraw:
        m_analog->redraw();
        return false;
    case DialTickStep::MoveNeedle:
        m_analog->moveNeedle(m_context.state.measurement);
        break;
    }
    return true;
}

} // namespace tarnix::ui
