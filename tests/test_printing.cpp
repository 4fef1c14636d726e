// Printed lists: the heading and record lines, the print action's progress
// caption, busy pointer and stopped polling, its failures, and the Qt printer
// writing PDF files where the system has no printer.
#include "ui/lists/ListPrinting.h"
#include "files/RecordStore.h"
#include "ui/platform/QtPrinter.h"
#include "support/RecordingPrinter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "ui/platform/WindowPrinting.h"

#include <QLabel>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace tarnix;
using files::RecordFields;
using files::RecordStore;

Q_DECLARE_METATYPE(RecordFields)

namespace {

RecordFields fields(const char* number, const char* date, const char* time, const char* function,
                    const char* range, const char* value) {
    return {QString::fromLatin1(number),   QString::fromLatin1(date),  QString::fromLatin1(time),
            QString::fromLatin1(function), QString::fromLatin1(range), QString::fromLatin1(value)};
}

RecordFields sample(int number) {
    return {QString::number(number), QStringLiteral("26/12/05"), QStringLiteral("14:03:07.0"),
            QStringLiteral("DCV"),   QStringLiteral("200mV"),    QStringLiteral("-12.34")};
}

// A list window: its records go when it goes, as a real list window's do.
struct ListHolder : QWidget {
    explicit ListHolder(int records) {
        setWindowTitle(QStringLiteral("measurements.dat"));
        for (int i = 1; i <= records; ++i)
            store.append(sample(i));
    }
    RecordStore store;
};

// What the print action left in place, and what it showed while printing.
struct PrintBench {
    explicit PrintBench(int records, bool polling) : window(new ListHolder(records)) {
        timer.setInterval(300);
        if (polling)
            timer.start();
        clock.afterEachWait([this] {
            if (window)
                captions << window->windowTitle();
            if (timer.isActive())
                pollingSeen = true;
            if (!QGuiApplication::overrideCursor())
                busyPointerMissing = true;
            if (onWait)
                onWait(clock.waitCount());
        });
    }
    ~PrintBench() { delete window; }

    bool print() {
        return files::printGridList(window, window->store, printer, dialogs, &timer, clock);
    }

    QPointer<ListHolder> window;
    QTimer timer;
    platform::VirtualClock clock;
    platform::RecordingPrinter printer;
    platform::ScriptedDialogs dialogs;
    std::function<void(int)> onWait; // runs after wait n (from 1)
    QStringList captions;
    bool pollingSeen = false;
    bool busyPointerMissing = false;
};

QStringList progressCaptions(int records) {
    QStringList captions;
    for (int i = 1; i <= records; ++i)
        captions << QString::number(i) + QStringLiteral(" record(s) completed");
    return captions;
}

enum class Refusal { FailToBegin, FailFirstHeading, FailAtRecord5, Cancel };
enum class Interruption { WindowClosed, ProgramEnding };
enum class Printed { Text, Window };

// Where the Qt printer is sure to write a PDF file: the system's choice
// where it has no printer, and never paper on a machine that has one.
platform::QtPrinter::Output pdfOutput() {
    return QPrinterInfo::availablePrinterNames().isEmpty()
               ? platform::QtPrinter::Output::SystemPrinter
               : platform::QtPrinter::Output::PdfFile;
}

int pdfPageCount(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return int(QString::fromLatin1(pdf).count(page));
}

} // namespace

Q_DECLARE_METATYPE(Refusal)
Q_DECLARE_METATYPE(Interruption)
Q_DECLARE_METATYPE(Printed)

class TestPrinting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void headings();
    void recordLine_data();
    void recordLine();
    void listLines_data();
    void listLines();
    void printGridList_data();
    void printGridList();
    void failures_data();
    void failures();
    void stopsQuietly_data();
    void stopsQuietly();
    void qtPrinter_data();
    void qtPrinter();
    void qtPrinterBreaksPages();
    void windowClosedWhileItPrints();
};

void TestPrinting::headings() {
    QCOMPARE(files::printedListHeadings(),
             (QStringList{"         Date        Time    Function/Range   Value",
                          "       --------    --------  --------------   ----- "}));
}

void TestPrinting::recordLine_data() {
    QTest::addColumn<RecordFields>("record");
    QTest::addColumn<QString>("line");
    QTest::newRow("the example record")
        << fields("12", "26/12/05", "14:03:07.0", "DCV", "200mV", "-12.34")
        << "12     26/12/05    14:03:07.0DCV    200mV     -12.34 ";
    QTest::newRow("a PC sample") << fields("1", "26/01/05", "09:00:00.0", "ACV", "2V", "0.123")
                                 << "1      26/01/05    09:00:00.0ACV    2V        0.123  ";
    QTest::newRow("overload, longest range")
        << fields("250", "26/01/05", "23:59:59.9", "FREQ", "10000KHz", "-OL")
        << "250    26/01/05    23:59:59.9FREQ   10000KHz  -OL    ";
    QTest::newRow("empty cells") << fields("", "", "", "", "", "") << QString(53, QLatin1Char(' '));
    QTest::newRow("a full number column")
        << fields("1234567", "26/12/05", "14:03:07.0", "DCV", "200mV", "-12.34")
        << "123456726/12/05    14:03:07.0DCV    200mV     -12.34 ";
    QTest::newRow("an overlong number prints whole")
        << fields("12345678", "26/12/05", "14:03:07.0", "DCV", "200mV", "-12.34")
        << "1234567826/12/05    14:03:07.0DCV    200mV     -12.34 ";
    QTest::newRow("an overlong value prints whole")
        << fields("3", "26/12/05", "14:03:07.0", "TEMP", "1370'C", "-1234.567")
        << "3      26/12/05    14:03:07.0TEMP   1370'C    -1234.567";
    QTest::newRow("an overlong time, the rest still in order")
        << fields("4", "26/12/05", "14:03:07.0000", "DCV", "20V", "1.5")
        << "4      26/12/05    14:03:07.0000DCV    20V       1.5    ";
}

void TestPrinting::recordLine() {
    QFETCH(RecordFields, record);
    QFETCH(QString, line);
    QCOMPARE(files::printedRecordLine(record), line);
}

void TestPrinting::listLines_data() {
    QTest::addColumn<int>("records");
    QTest::newRow("no records: the headings only") << 0;
    QTest::newRow("one record") << 1;
    QTest::newRow("three records") << 3;
}

void TestPrinting::listLines() {
    QFETCH(int, records);
    RecordStore store;
    QStringList expected = files::printedListHeadings();
    for (int i = 1; i <= records; ++i) {
        store.append(sample(i));
        expected << QString::number(i).leftJustified(7) +
                        "26/12/05    14:03:07.0DCV    200mV     -12.34 ";
    }
    const QStringList lines = files::printedListLines(store);
    QCOMPARE(lines, expected);
    for (qsizetype i = 2; i < lines.size(); ++i)
        QCOMPARE(lines[i].size(), 53);
}

void TestPrinting::printGridList_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("polling");
    QTest::newRow("40 records while polling") << 40 << true;
    QTest::newRow("40 records, polling was off") << 40 << false;
    QTest::newRow("one record") << 1 << true;
    QTest::newRow("no records") << 0 << true;
}

void TestPrinting::printGridList() {
    QFETCH(int, records);
    QFETCH(bool, polling);
    PrintBench bench(records, polling);

    QVERIFY(bench.print());

    QCOMPARE(bench.printer.documents().size(), std::size_t(1));
    const auto& document = bench.printer.documents().front();
    QCOMPARE(document.name, QStringLiteral("measurements.dat"));
    QCOMPARE(document.lines, files::printedListLines(bench.window->store));
    QVERIFY(document.finished);
    QCOMPARE(bench.captions, progressCaptions(records));
    QVERIFY(!bench.pollingSeen);
    QVERIFY(!bench.busyPointerMissing);
    QCOMPARE(bench.window->windowTitle(), QStringLiteral("measurements.dat"));
    QCOMPARE(bench.timer.isActive(), polling);
    QCOMPARE(bench.timer.interval(), 300);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(bench.dialogs.messages().empty());
}

void TestPrinting::failures_data() {
    QTest::addColumn<Refusal>("refusal");
    QTest::addColumn<QString>("message");  // empty: none
    QTest::addColumn<int>("linesPrinted"); // -1: no document begun
    QTest::newRow("no printer") << Refusal::FailToBegin << "cannot write /x/y.pdf: denied" << -1;
    QTest::newRow("the first heading fails") << Refusal::FailFirstHeading << "out of paper" << 0;
    QTest::newRow("record 5 fails") << Refusal::FailAtRecord5 << "out of paper" << 6;
    QTest::newRow("the PDF choice is cancelled") << Refusal::Cancel << "" << -1;
}

void TestPrinting::failures() {
    QFETCH(Refusal, refusal);
    QFETCH(QString, message);
    QFETCH(int, linesPrinted);
    PrintBench bench(10, true);
    switch (refusal) {
    case Refusal::FailToBegin:
        bench.printer.failToBegin(QStringLiteral("cannot write /x/y.pdf: denied"));
        break;
    case Refusal::FailFirstHeading:
        bench.printer.failAfterLines(0);
        break;
    case Refusal::FailAtRecord5:
        bench.printer.failAfterLines(6);
        break;
    case Refusal::Cancel:
        bench.printer.actCancelled();
        break;
    }
    // The message comes once everything is back as it was.
    QString captionAtMessage;
    bool pollingAtMessage = false;
    bool busyAtMessage = true;
    bench.dialogs.onMessage([&](const platform::ScriptedDialogs::Message&) {
        captionAtMessage = bench.window->windowTitle();
        pollingAtMessage = bench.timer.isActive();
        busyAtMessage = QGuiApplication::overrideCursor() != nullptr;
    });

    QVERIFY(!bench.print());

    if (message.isEmpty()) {
        QVERIFY(bench.dialogs.messages().empty());
    } else {
        QCOMPARE(bench.dialogs.messageTexts(), QStringList{message});
        QCOMPARE(bench.dialogs.messages().front().icon, platform::MessageIcon::Critical);
        QCOMPARE(captionAtMessage, QStringLiteral("measurements.dat"));
        QVERIFY(pollingAtMessage);
        QVERIFY(!busyAtMessage);
    }
    if (linesPrinted < 0) {
        QVERIFY(bench.printer.documents().empty());
    } else {
        QCOMPARE(bench.printer.documents().size(), std::size_t(1));
        QCOMPARE(bench.printer.documents().front().lines.size(), linesPrinted);
        QVERIFY(!bench.printer.documents().front().finished);
    }
    QCOMPARE(bench.window->windowTitle(), QStringLiteral("measurements.dat"));
    QVERIFY(bench.timer.isActive());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestPrinting::stopsQuietly_data() {
    QTest::addColumn<Interruption>("interruption");
    QTest::addColumn<bool>("pollingAfter");
    QTest::newRow("the window closes at record 3") << Interruption::WindowClosed << true;
    QTest::newRow("the program ends at record 3") << Interruption::ProgramEnding << false;
}

void TestPrinting::stopsQuietly() {
    QFETCH(Interruption, interruption);
    QFETCH(bool, pollingAfter);
    PrintBench bench(10, true);
    bench.onWait = [&](int wait) {
        if (wait != 3)
            return;
        if (interruption == Interruption::WindowClosed)
            delete bench.window; // its records with it
        else
            bench.clock.stop();
    };
    ListHolder* window = bench.window;

    QVERIFY(!files::printGridList(window, window->store, bench.printer, bench.dialogs, &bench.timer,
                                  bench.clock));

    QVERIFY(bench.dialogs.messages().empty());
    QCOMPARE(bench.printer.documents().size(), std::size_t(1));
    QCOMPARE(bench.printer.documents().front().lines.size(), 2 + 2);
    QVERIFY(!bench.printer.documents().front().finished);
    if (bench.window)
        QCOMPARE(bench.window->windowTitle(), QStringLiteral("measurements.dat"));
    QCOMPARE(bench.timer.isActive(), pollingAfter);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestPrinting::qtPrinter_data() {
    QTest::addColumn<Printed>("printed");
    QTest::addColumn<QString>("answer");  // the file named in the dialog; empty: cancel
    QTest::addColumn<QString>("written"); // the file that must appear; empty: none
    QTest::addColumn<QString>("error");   // how errorText() starts
    // clang-format off
    QTest::newRow("text") << Printed::Text << "list.pdf" << "list.pdf" << "";
    QTest::newRow("text, no extension") << Printed::Text << "list" << "list.pdf" << "";
    QTest::newRow("text, other extension") << Printed::Text << "list.out" << "list.out" << "";
    QTest::newRow("text, cancelled") << Printed::Text << "" << "" << "";
    QTest::newRow("text, no such folder")
        << Printed::Text << "missing/list.pdf" << "" << "cannot write ";
    QTest::newRow("window") << Printed::Window << "plot.pdf" << "plot.pdf" << "";
    QTest::newRow("window, cancelled") << Printed::Window << "" << "" << "";
    QTest::newRow("window, no such folder")
        << Printed::Window << "missing/plot.pdf" << "" << "cannot write ";
    // clang-format on
}

void TestPrinting::qtPrinter() {
    QFETCH(Printed, printed);
    QFETCH(QString, answer);
    QFETCH(QString, written);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    platform::ScriptedDialogs dialogs;
    dialogs.answerFile(answer.isEmpty() ? QString() : dir.filePath(answer));
    platform::QtPrinter printer(dialogs, pdfOutput());

    bool done = false;
    if (printed == Printed::Text) {
        if (auto job = printer.beginText(QStringLiteral("measurements.dat"))) {
            for (const QString& line : files::printedListLines(RecordStore()))
                QVERIFY(job->printLine(line));
            QVERIFY(job->printLine(files::printedRecordLine(sample(1))));
            done = job->finish();
            QVERIFY2(done, qPrintable(job->errorText()));
        }
    } else {
        QLabel plot(QStringLiteral("Plot Data/File"));
        plot.setObjectName(QStringLiteral("ListPlot2"));
        plot.resize(240, 120);
        done = printer.printWindow(&plot);
    }

    QCOMPARE(dialogs.fileFilters(), QStringList{"PDF Files (*.pdf)"});
    QCOMPARE(done, !written.isEmpty());
    QCOMPARE(printer.cancelled(), answer.isEmpty());
    const QString why = printer.errorText();
    if (error.isEmpty())
        QVERIFY2(why.isEmpty(), qPrintable(why));
    else
        QVERIFY2(why.startsWith(error) && why.contains(dir.filePath(answer)), qPrintable(why));
    if (written.isEmpty()) {
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        return;
    }
    QFile pdf(dir.filePath(written));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray content = pdf.readAll();
    QVERIFY(content.startsWith("%PDF"));
    QCOMPARE(pdfPageCount(content), 1);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
}

void TestPrinting::qtPrinterBreaksPages() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    platform::ScriptedDialogs dialogs;
    dialogs.answerFile(dir.filePath(QStringLiteral("long.pdf")));
    platform::QtPrinter printer(dialogs, pdfOutput());
    RecordStore store;
    for (int i = 1; i <= 400; ++i)
        store.append(sample(i));

    auto job = printer.beginText(QStringLiteral("long list"));
    QVERIFY2(job, qPrintable(printer.errorText()));
    for (const QString& line : files::printedListLines(store))
        QVERIFY(job->printLine(line));
    QVERIFY2(job->finish(), qPrintable(job->errorText()));

    QFile pdf(dir.filePath(QStringLiteral("long.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    // 402 lines of 10-point text: several pages, none of them wasted.
    const int pages = pdfPageCount(pdf.readAll());
    QVERIFY2(pages >= 5 && pages <= 10, qPrintable(QString::number(pages)));
}

// A printer whose dialog waits while the window closes (a chart handing over
// to the next range): the window must outlive the print, then go.
void TestPrinting::windowClosedWhileItPrints() {
    struct ClosingPrinter final : platform::Printer {
        std::unique_ptr<platform::TextPrintJob> beginText(const QString&) override { return {}; }
        bool printWindow(QWidget* window) override {
            window->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            stillThere = window->windowTitle() == QStringLiteral("Real Time Chart");
            return true;
        }
        QString errorText() const override { return {}; }
        bool cancelled() const override { return false; }
        bool stillThere = false;
    } printer;
    platform::ScriptedDialogs dialogs;
    QPointer<QWidget> window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("Real Time Chart"));
    window->show();
    platform::printWindowImage(printer, dialogs, window);
    QVERIFY(printer.stillThere);
    QTRY_VERIFY(!window);
}

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
