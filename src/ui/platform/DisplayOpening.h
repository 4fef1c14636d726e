#pragma once

#include <QByteArray>
#include <QString>
#include <mutex>
#include <vector>

namespace tarnix::ui {

// True when Qt would put the windows on X or Wayland: the default, or what
// `platformOption` (-platform on the command line) or else QT_QPA_PLATFORM
// names. Other platforms (offscreen, vnc) need no display.
bool needsDisplay(const QString& platformOption = {});
// True when they would, and neither DISPLAY nor WAYLAND_DISPLAY names one.
bool displayMissing(const QString& platformOption = {});

// While it lives, Qt failing to open its display (a DISPLAY that no server
// answers) ends the program with `line` on standard error and exit status 1
// instead of Qt's abort and its paragraph about plugins. Qt's messages are
// held back meanwhile, and passed on once the display is open.
class DisplayOpening {
public:
    explicit DisplayOpening(QByteArray line);
    ~DisplayOpening();
    DisplayOpening(const DisplayOpening&) = delete;
    DisplayOpening& operator=(const DisplayOpening&) = delete;

private:
    struct Held {
        QtMsgType type;
        QByteArray category;
        QString text;
    };
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QByteArray m_line;
    QtMessageHandler m_previous = nullptr;
    std::mutex m_heldLock; // Qt may report from a thread of its own
    std::vector<Held> m_held;
};

} // namespace tarnix::ui
