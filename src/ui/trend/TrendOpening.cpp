#include "ui/trend/TrendOpening.h"

#include "core/FilesInTimeOrder.h"
#include "records/DataFile.h"
#include "platform/Dialogs.h"
#include "ui/trend/TrendWindow.h"

#include <QAction>
#include <QDir>
#include <QTemporaryFile>

namespace tarnix::ui {

TrendWindow* openTrend(const QStringList& paths, platform::Dialogs& dialogs,
                       platform::Printer& printer, const platform::Clock& clock, QWidget* owner) {
    const auto ordered = core::inputsInTimeOrder(paths, {QStringLiteral("dat")});
    if (const QString* error = std::get_if<QString>(&ordered)) {
        dialogs.messageFor(owner, *error, platform::MessageIcon::Critical);
        return nullptr;
    }
    auto* window =
        new TrendWindow(std::get<QStringList>(ordered), dialogs, printer, clock, owner);
    window->setWindowFlag(Qt::Window);
    window->show();
    window->load();
    return window;
}

TrendWindow* openListTrend(const records::RecordStore& records, const QString& name,
                           platform::Dialogs& dialogs, platform::Printer& printer,
                           const platform::Clock& clock, QWidget* owner) {
    auto file = std::make_unique<QTemporaryFile>(
        QDir::temp().filePath(QStringLiteral("tarnix-trend-XXXXXX.dat")));
    QString error;
    if (!file->open() || !records::saveDataFile(file->fileName(), records, &error)) {
        dialogs.messageFor(owner, error.isEmpty() ? file->errorString() : error,
                           platform::MessageIcon::Critical);
        return nullptr;
    }
    auto* window = new TrendWindow({file->fileName()}, dialogs, printer, clock, owner);
    window->setWindowFlag(Qt::Window);
    window->setWindowTitle(TrendWindow::titleFor({name}));
    file.release()->setParent(window); // removed when the window goes
    window->show();
    window->load();
    return window;
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
