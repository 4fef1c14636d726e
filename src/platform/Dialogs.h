#pragma once

#include <QString>

namespace tarnix::platform {

enum class MessageIcon { None, Critical, Exclamation, Information };

// Message boxes and input boxes. Windows go through this, never through
// QMessageBox or QInputDialog, so that tests can answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Shows `text` with an OK button and waits until the user closes it.
    virtual void message(const QString& text, MessageIcon icon = MessageIcon::None,
                         const QString& title = {}) = 0;
    // Shows `text` with OK and Cancel and waits: true for OK. Where nobody
    // can answer, this is a plain message and OK.
    virtual bool retry(const QString& text) {
        message(text);
        return true;
    }
    // Asks for a line of text; empty when the user cancels.
    virtual QString input(const QString& prompt, const QString& title,
                          const QString& defaultAnswer) = 0;
    // Asks for a file to write or to read. `filter` is Qt's form
    // ("Data Files (*.dat);;All Files (*.*)"). Empty when the user cancels.
    virtual QString saveFileName(const QString& filter) = 0;
    virtual QString openFileName(const QString& filter) = 0;
};

} // namespace tarnix::platform
