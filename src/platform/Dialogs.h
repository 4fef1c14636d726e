#pragma once

#include <QString>
#include <memory>

class QObject;

namespace tarnix::platform {

enum class MessageIcon { None, Critical, Exclamation, Information };

// Long work shown in a box with a Cancel button, for as long as this lives.
class Progress {
public:
    virtual ~Progress() = default;
    // Shows how far the work has got; false once the user has cancelled.
    virtual bool update(int percent) = 0;
};

// Message boxes and input boxes. Windows go through this, never through
// QMessageBox or QInputDialog, so that tests can answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Shows `text` with an OK button and waits until the user closes it: a
    // box of the window the user is working in.
    void message(const QString& text, MessageIcon icon = MessageIcon::None,
                 const QString& title = {}) {
        messageFor(nullptr, text, icon, title);
    }
    // The same message as a box of `window` (null: as message()): shown over
    // it, and the focus goes back to it once the box closes.
    virtual void messageFor(QObject* window, const QString& text,
                            MessageIcon icon = MessageIcon::None, const QString& title = {}) = 0;
    // Shows `text` with OK and Cancel and waits: true for OK. Where nobody
    // can answer, this is a plain message and OK.
    virtual bool retry(const QString& text) {
        message(text);
        return true;
    }
    // Asks for a line of text; empty when the user cancels.
    virtual QString input(const QString& prompt, const QString& title,
                          const QString& defaultAnswer) = 0;
    // Asks for a file to write or to read. `filter` is Qt's form, as the user
    // reads it ("Data Files (*.dat);;All Files (*.*)"), where "*.*" stands for
    // every file, also one without a dot in its name. Empty when the user cancels.
    virtual QString saveFileName(const QString& filter) = 0;
    virtual QString openFileName(const QString& filter) = 0;
    // As saveFileName; `chosen` gets the filter the user picked, as written
    // in `filter` ("Data Files (*.dat)"). Where nobody can pick, the first.
    virtual QString saveFileName(const QString& filter, QString* chosen) {
        *chosen = filter.section(QStringLiteral(";;"), 0, 0);
        return saveFileName(filter);
    }
    // A progress box of `window` that says `text`. Where nobody can cancel,
    // the work just runs to its end.
    virtual std::unique_ptr<Progress> progressFor(QObject* window, const QString& text);
};

} // namespace tarnix::platform
