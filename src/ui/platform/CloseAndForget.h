#pragma once

#include <QPointer>

namespace tarnix::ui {

// Closes a window that deletes itself on close and forgets it at once: the
// object goes at the next turn of the event loop, and whoever holds the
// pointer must not see it as open in between.
template <typename Window> void closeAndForget(QPointer<Window>& window) {
    if (window)
        window->close();
    window = nullptr;
}

} // namespace tarnix::ui
