#include "ui/lists/ListPrinting.h"

#include "records/RecordStore.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "ui/platform/WindowPrinting.h"

#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace tarnix::ui {

QStringList printedListHeadings() {
    return {QStringLiteral("         Date        Time    Function/Range   Value"),
            QStringLiteral("       --------    --------  --------------   ----- ")};
}

QString printedRecordLine(const records::RecordFields& fields) {
    QString line;
    for (int c = 0; c < records::FieldCount; ++c)
        line += fields[std::size_t(c)].leftJustified(PrintedColumnWidths[c], QLatin1Char(' '));
    return line;
}

QStringList printedListLines(const records::RecordStore& records) {
    QStringList lines = printedListHeadings();
    lines.reserve(lines.size() + records.size());
    for (qsizetype row = 0; row < records.size(); ++row)
        lines << printedRecordLine(records.record(row));
    return lines;
}

qsizetype printedPages(qsizetype records) {
    constexpr qsizetype LinesPerPage = 60; // about, on A4 or Letter in the printer's font
    const qsizetype lines = records + printedListHeadings().size();
    return (lines + LinesPerPage - 1) / LinesPerPage;
}

namespace {

// The busy pointer, the stopped polling and the window's caption while a
// list prints: all of it comes back when this goes, however printing ended.
class PrintingState {
public:
    PrintingState(QWidget* window, QTimer* polling, const platform::Clock& clock)
        : m_window(window), m_caption(window ? window->windowTitle() : QString()),
          m_polling(polling), m_wasPolling(polling && polling->isActive()), m_clock(clock) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        if (m_polling)
            m_polling->stop();
    }
    ~PrintingState() {
        QGuiApplication::restoreOverrideCursor();
        if (m_window)
            m_window->setWindowTitle(m_caption);
        // A program on its way out polls no more.
        if (m_polling && m_wasPolling && !m_clock.stopped())
            m_polling->start();
    }
    PrintingState(const PrintingState&) = delete;
    PrintingState& operator=(const PrintingState&) = delete;

    const QString& caption() const { return m_caption; }

private:
    QPointer<QWidget> m_window;
    QString m_caption;
    QPointer<QTimer> m_polling;
    bool m_wasPolling;
    const platform::Clock& m_clock;
};

enum class Outcome { Printed, Stopped, Failed };

// Prints the list. Stopped: cancelled, the window gone or the program ending,
// which nobody needs telling; Failed: `failure` says why.
Outcome printRecords(QWidget* window, const records::RecordStore& records, platform::Printer& printer,
                     platform::Clock& clock, const QString& documentName, QString& failure) {
    const auto job = printer.beginText(documentName);
    if (!job) {
        if (printer.cancelled())
            return Outcome::Stopped;
        failure = printFailureText(printer.errorText());
        return Outcome::Failed;
    }
    const auto print = [&](const QString& line) {
        if (job->printLine(line))
            return true;
        failure = printFailureText(job->errorText());
        return false;
    };
    for (const QString& heading : printedListHeadings())
        if (!print(heading))
            return Outcome::Failed;
    // The records belong to the window: once it has gone they are gone too.
    const QPointer<QWidget> alive(window);
    const bool hasWindow = window != nullptr;
    const qsizetype count = records.size(); // rows added meanwhile wait for the next print
    for (qsizetype row = 0; row < count; ++row) {
        if (alive)
            alive->setWindowTitle(QString::number(row + 1) +
                                  QStringLiteral(" record(s) completed"));
        if (!clock.wait(0) || (hasWindow && !alive))
            return Outcome::Stopped;
        if (row >= records.size())
            break; // the list was emptied meanwhile
        if (!print(printedRecordLine(records.record(row))))
            return Outcome::Failed;
    }
    if (!job->finish()) {
        failure = printFailureText(job->errorText());
        return Outcome::Failed;
    }
    return Outcome::Printed;
}

} // namespace

bool printGridList(QWidget* window, const records::RecordStore& records, platform::Printer& printer,
                   platform::Dialogs& dialogs, QTimer* pollingTimer, platform::Clock& clock) {
    if (const qsizetype pages = printedPages(records.size());
        pages > AskAbovePages &&
        !dialogs.retry(QStringLiteral("This prints about %1 pages. Print?").arg(pages)))
        return false;
    QString failure;
    Outcome outcome = Outcome::Stopped;
    {
        const PrintingState state(window, pollingTimer, clock);
        const QString name =
            state.caption().isEmpty() ? QStringLiteral("Tarnix list") : state.caption();
        outcome = printRecords(window, records, printer, clock, name, failure);
    }
    // Told only once the window shows its own caption again.
    if (outcome == Outcome::Failed)
        dialogs.messageFor(window, failure, platform::MessageIcon::Critical);
    return outcome == Outcome::Printed;
}

} // namespace tarnix::ui
