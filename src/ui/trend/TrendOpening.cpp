#include "ui/trend/TrendOpening.h"

#include "core/FilesInTimeOrder.h"
#include "platform/Dialogs.h"
#include "ui/trend/TrendWindow.h"

#include <QAction>

namespace tarnix::ui {

namespace {

// Null when the read was stopped: the window closes.
TrendWindow* shownAndRead(TrendWindow* window) {
    window->setWindowFlag(Qt::Window);
    window->show();
    return window->load() || window->isVisible() ? window : nullptr;
}

} // namespace

TrendWindow* openTrend(const QStringList& paths, platform::Dialogs& dialogs,
                       platform::Printer& printer, const platform::Clock& clock, QWidget* owner) {
    const auto ordered = core::inputsInTimeOrder(paths, {QStringLiteral("dat")});
    if (const QString* error = std::get_if<QString>(&ordered)) {
        dialogs.messageFor(owner, *error, platform::MessageIcon::Critical);
        return nullptr;
    }
    return shownAndRead(
        new TrendWindow(std::get<QStringList>(ordered), dialogs, printer, clock, owner));
}

TrendWindow* openListTrend(const records::RecordStore& records, const QString& name,
                           platform::Dialogs& dialogs, platform::Printer& printer,
                           const platform::Clock& clock, QWidget* owner) {
    return shownAndRead(new TrendWindow(records, name, dialogs, printer, clock, owner));
}

void addTrendEntry(QWidget* window, const QString& text, std::function<void()> open) {
    auto* action = new QAction(text, window);
    action->setObjectName(QStringLiteral("TrendAction"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, window, std::move(open));
    window->addAction(action);
    window->setContextMenuPolicy(Qt::ActionsContextMenu);
}

} // namespace tarnix::ui
