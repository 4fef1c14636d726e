#pragma once

#include "core/MeterSession.h"
#include "support/SimulatedLink.h"
#include "ui/panel/Panel.h"

#include <QLabel>

// The main panel on the simulated meter, put together as the program does.
struct PanelBench : SimulatedLink {
    using SimulatedLink::SimulatedLink;
    // One of the panel's widgets by its name: a label unless told.
    template <class W = QLabel>
    W* find(const char* name) { return panel.findChild<W*>(QString::fromLatin1(name)); }

    tarnix::core::MeterSession session{link, dialogs};
    tarnix::ui::Panel panel{session, dialogs, printer};
};
