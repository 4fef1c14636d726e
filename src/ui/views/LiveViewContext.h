#pragma once

class QWidget;

namespace tarnix::core {
class SharedState;
class SamplingClock;
} // namespace tarnix::core
namespace tarnix::platform {
class Clock;
class Dialogs;
class Printer;
} // namespace tarnix::platform

namespace tarnix::ui {

// What the live views read and use: the panel's state and sampling clock,
// the time, and the printer with its messages. The panel outlives them all.
struct LiveViewContext {
    const core::SharedState& state;
    const core::SamplingClock& sampling;
    platform::Clock& clock;
    platform::Printer& printer;
    platform::Dialogs& dialogs;
    const QWidget* panel; // the views open beside it
};

} // namespace tarnix::ui
