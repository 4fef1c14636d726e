#pragma once

#include "records/DataRecord.h"

#include <QStringList>

class QTimer;
class QWidget;

namespace tarnix::platform {
class Clock;
class Dialogs;
class Printer;
} // namespace tarnix::platform

namespace tarnix::records {
class RecordStore;
} // namespace tarnix::records

namespace tarnix::ui {

// The printed columns' widths in characters: number, date, time, function,
// range, value. A record of the program's own data fills exactly 53.
inline constexpr int PrintedColumnWidths[records::FieldCount] = {7, 12, 10, 7, 10, 7};

// The two heading lines above the records of a printed list.
QStringList printedListHeadings();

// One record as a printed line: each cell left-aligned and filled up with
// blanks to its column's width. A longer cell is printed whole and pushes
// the rest of the line to the right.
QString printedRecordLine(const records::RecordFields& fields);

// The whole printed list: the headings, then one line per record.
QStringList printedListLines(const records::RecordStore& records);

// About how many pages a list of `records` prints on, and above how many
// pages printing asks first.
qsizetype printedPages(qsizetype records);
inline constexpr qsizetype AskAbovePages = 100;

// Prints a list window's records as text, first asking "This prints about N
// pages. Print?" when that is more than AskAbovePages, showing the progress in the
// window's caption ("12 record(s) completed") and yielding to the user
// interface once per record. Meanwhile the busy pointer shows and the
// polling timer (may be null) is stopped; the pointer, the caption and the
// polling come back however printing ends. A failure is shown in a message
// box; a cancel, a window closed meanwhile or the program ending stop it
// quietly, and a document stopped early is dropped. True when it printed.
bool printGridList(QWidget* window, const records::RecordStore& records, platform::Printer& printer,
                   platform::Dialogs& dialogs, QTimer* pollingTimer, platform::Clock& clock);

} // namespace tarnix::ui
