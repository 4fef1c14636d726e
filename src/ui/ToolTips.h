#pragma once

#include <span>

class QWidget;

namespace tarnix::ui {

// One line on what a control does, for the control of that object name.
struct ToolTip {
    const char* name;
    const char* text;
};

// Gives every widget of `window` named in `tips` its text; several widgets of
// one name (the digit boxes of a row) all take it.
void setToolTips(QWidget* window, std::span<const ToolTip> tips);

} // namespace tarnix::ui
