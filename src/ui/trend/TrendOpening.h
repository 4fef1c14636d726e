#pragma once

#include <QStringList>
#include <functional>

class QWidget;

namespace tarnix::records {
class RecordStore;
} // namespace tarnix::records

namespace tarnix::platform {
class Clock;
class Dialogs;
class Printer;
} // namespace tarnix::platform

namespace tarnix::ui {

class TrendWindow;

// A trend window over data files (folders stand for their .dat files), in
// the order of their first reading's time; shown, then read. `owner` keeps
// it (null: nobody). Null, said, when a file cannot be found or read;
// null when the read was cancelled.
TrendWindow* openTrend(const QStringList& paths, platform::Dialogs& dialogs,
                       platform::Printer& printer, const platform::Clock& clock, QWidget* owner);

// The records of a list as a trend, read from a copy of them as they are
// now: the list goes on without it. `name` titles it.
TrendWindow* openListTrend(const records::RecordStore& records, const QString& name,
                           platform::Dialogs& dialogs, platform::Printer& printer,
                           const platform::Clock& clock, QWidget* owner);

// The "Trend" entry of `window`'s context menu, on Ctrl+T too.
void addTrendEntry(QWidget* window, const QString& text, std::function<void()> open);

} // namespace tarnix::ui
