// Printed lists: the record lines, the print action's progress caption, busy pointer and
// stopped polling, its failures, and the Qt printer writing PDF files.
#include "records/RecordStore.h"
#include "support/RecordingPrinter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "ui/lists/ListPrinting.h"
#include "ui/platform/QtPrinter.h"

#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace tarnix;

enum class Stop { None, FailToBegin, FailAfterLines, Cancel, WindowClosed, ProgramEnding, Refused };
Q_DECLARE_METATYPE(Stop)

static records::RecordStore samples(int count) {
    records::RecordStore store;
    for (int i = 1; i <= count; ++i)
        store.append({QString::number(i), "26/12/05", "14:03:07.0", "DCV", "200mV", "-12.34"});
    return store;
}

class TestPrinting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordLines();
    void printGridList_data();
    void printGridList();
    void qtPrinter_data();
    void qtPrinter();
};

void TestPrinting::recordLines() {
    QCOMPARE(ui::printedListLines(samples(1)),
             (QStringList{"         Date        Time    Function/Range   Value",
                          "       --------    --------  --------------   ----- ",
                          "1      26/12/05    14:03:07.0DCV    200mV     -12.34 "}));
    // A longer cell prints whole and pushes the rest of the line along.
    QCOMPARE(ui::printedRecordLine({"12345678", "26/12/05", "1:03", "DCV", "20V", "-1234.5"}),
             "1234567826/12/05    1:03      DCV    20V       -1234.5");
}

void TestPrinting::printGridList_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<Stop>("stop");
    QTest::addColumn<int>("lines");       // printed before it ended; -1: no document begun
    QTest::addColumn<QString>("message"); // empty: none
    QTest::newRow("40 records") << 40 << Stop::None << 42 << "";
    QTest::newRow("no printer") << 10 << Stop::FailToBegin << -1 << "cannot write /x/y.pdf";
    QTest::newRow("record 5 fails") << 10 << Stop::FailAfterLines << 6 << "out of paper";
    QTest::newRow("the PDF choice is cancelled") << 10 << Stop::Cancel << -1 << "";
    QTest::newRow("the window closes at record 3") << 10 << Stop::WindowClosed << 4 << "";
    QTest::newRow("the program ends at record 3") << 10 << Stop::ProgramEnding << 4 << "";
    QTest::newRow("a long list asks first")
        << 6100 << Stop::Refused << -1 << "This prints about 102 pages. Print?";
}

void TestPrinting::printGridList() {
    QFETCH(int, records);
    QFETCH(Stop, stop);
    QFETCH(int, lines);
    QFETCH(QString, message);
    const records::RecordStore store = samples(records);
    QPointer<QWidget> window = new QWidget;
    window->setWindowTitle("list.dat");
    QTimer polling;
    polling.start(300);
    platform::RecordingPrinter printer;
    if (stop == Stop::FailToBegin)
        printer.failToBegin(message);
    if (stop == Stop::FailAfterLines)
        printer.failAfterLines(lines);
    printer.actCancelled(stop == Stop::Cancel);
    // The caption, the polling and the pointer while it prints, and when a message comes:
    // by then everything is back as it was.
    const auto state = [&] {
        return window->windowTitle() + (polling.isActive() ? " polling" : "") +
               (QGuiApplication::overrideCursor() ? " busy" : "");
    };
    platform::VirtualClock clock;
    QStringList seen;
    clock.afterEachWait([&] {
        seen << (window ? state() : QString());
        if (clock.waitCount() == 3 && stop == Stop::WindowClosed)
            delete window;
        if (clock.waitCount() == 3 && stop == Stop::ProgramEnding)
            clock.stop();
    });
    platform::ScriptedDialogs dialogs;
    dialogs.answerRetries(stop != Stop::Refused);
    QString atMessage;
    dialogs.onMessage([&](const platform::ScriptedDialogs::Message&) { atMessage = state(); });

    const bool printed = ui::printGridList(window, store, printer, dialogs, &polling, clock);

    QCOMPARE(printed, stop == Stop::None);
    QCOMPARE(dialogs.messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(atMessage, message.isEmpty() ? QString() : QStringLiteral("list.dat polling"));
    QVERIFY(!printed || seen.size() == records);
    for (int i = 0; i < seen.size(); ++i)
        QCOMPARE(seen[i], QString::number(i + 1) + " record(s) completed busy");
    // Every record reaches the page in order; a document stopped early is not finished.
    QCOMPARE(printer.documents().size(), std::size_t(lines < 0 ? 0 : 1));
    for (const auto& document : printer.documents())
        QVERIFY(document.lines == ui::printedListLines(store).first(lines) &&
                document.finished == printed);
    QVERIFY(!window || window->windowTitle() == "list.dat");
    QCOMPARE(polling.isActive(), stop != Stop::ProgramEnding); // none on the way out
    QVERIFY(!QGuiApplication::overrideCursor());
    delete window;
}

void TestPrinting::qtPrinter_data() {
    QTest::addColumn<int>("records");     // -1: a window's image
    QTest::addColumn<QString>("answer");  // the file named in the dialog; empty: cancel
    QTest::addColumn<QString>("written"); // the file that must appear; empty: none
    // clang-format off
    QTest::newRow("text over pages") << 400 << "long.pdf" << "long.pdf";
    QTest::newRow("text, no extension") << 1 << "list" << "list.pdf";
    QTest::newRow("text, cancelled") << 1 << "" << "";
    QTest::newRow("text, no such folder") << 1 << "missing/list.pdf" << "";
    QTest::newRow("window") << -1 << "plot.pdf" << "plot.pdf";
    QTest::newRow("window, no such folder") << -1 << "missing/plot.pdf" << "";
    // clang-format on
}

void TestPrinting::qtPrinter() {
    QFETCH(int, records);
    QFETCH(QString, answer);
    QFETCH(QString, written);
    QTemporaryDir dir;
    platform::ScriptedDialogs dialogs;
    dialogs.answerFile(answer.isEmpty() ? QString() : dir.filePath(answer));
    // A PDF file where the system has no printer, and never paper where it has one.
    ui::QtPrinter printer(dialogs, QPrinterInfo::availablePrinterNames().isEmpty()
                                       ? ui::QtPrinter::Output::SystemPrinter
                                       : ui::QtPrinter::Output::PdfFile);
    QWidget plot;
    bool done = records < 0 && printer.printWindow(&plot);
    if (auto job = records < 0 ? nullptr : printer.beginText(QStringLiteral("list.dat"))) {
        for (const QString& line : ui::printedListLines(samples(records)))
            QVERIFY(job->printLine(line));
        done = job->finish();
    }
    QCOMPARE(done, !written.isEmpty());
    QCOMPARE(printer.cancelled(), answer.isEmpty());
    // A failure names the file it could not write.
    const bool failed = !answer.isEmpty() && written.isEmpty();
    QCOMPARE(printer.errorText().startsWith("cannot write " + dir.filePath(answer)), failed);
    QCOMPARE(printer.errorText().isEmpty(), !failed);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             written.isEmpty() ? QStringList() : QStringList{written});
    QFile pdf(dir.filePath(written));
    const QString content = pdf.open(QIODevice::ReadOnly) ? pdf.readAll() : "";
    QCOMPARE(content.startsWith("%PDF"), !written.isEmpty());
    // 402 lines of 10-point text take several pages, none of them wasted.
    const qsizetype pages = content.count(QRegularExpression("/Type\\s*/Page(?!s)"));
    QVERIFY2(written.isEmpty() || (records < 100 ? pages == 1 : pages >= 5 && pages <= 10),
             qPrintable(QString::number(pages)));
}

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
