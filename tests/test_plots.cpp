// Plots: the drawing in twips, the full scales of "Plot" in both lists, the
// range dialogs' checks, and the plot windows opened, narrowed and printed.
#include "files/DataChannel.h"
#include "ui/lists/FileList.h"
#include "ui/lists/PlotBoard.h"
#include "files/PlotGeometry.h"
#include "ui/lists/PlotRange.h"
#include "ui/lists/PlotWindow.h"
#include "ui/logger/DataList.h"
#include "support/RecordingPrinter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tarnix;
using files::PlotKind;
using files::PlotLimits;
using files::RecordStore;

Q_DECLARE_METATYPE(PlotKind)

namespace {

files::RecordFields record(int number, const QString& function, const QString& range,
                           const QString& value) {
    return {QString::number(number),
            QStringLiteral("26/12/05"),
            QStringLiteral("14:%1:00.0").arg(number % 60, 2, 10, QLatin1Char('0')),
            function,
            range,
            value};
}

PlotLimits limits(double max, double min, double from, double to) {
    PlotLimits l = files::wholeListLimits(max, to);
    l.min = min;
    l.from = from;
    l.to = to;
    l.count = to - from + 1;
    return l;
}

std::optional<files::PlotDrawing> draw(PlotKind kind, const RecordStore& records,
                                       const PlotLimits& l) {
    return kind == PlotKind::Signed ? files::drawSignedPlot(records, l)
                                    : files::drawPositivePlot(records, l);
}

// The lists and the plot board as the panel puts them together.
struct Bench {
    files::DataChannel data;
    platform::ScriptedDialogs dialogs;
    platform::RecordingPrinter printer;
    platform::VirtualClock clock;
    QWidget panel;
    files::PlotBoard* board = new files::PlotBoard(dialogs, printer, &panel);
    files::ListContext context{data, dialogs, printer, clock, nullptr, board};

    files::FileList* fileList(const QString& function, const QString& range,
                              const QStringList& values) {
        auto* list = new files::FileList(context, &panel);
        for (int i = 0; i < values.size(); ++i)
            list->model().appendRecord(record(i + 1, function, range, values[i]));
        return list;
    }
    logger::DataList* dataList(const QString& function, const QString& range, int records) {
        auto* list = new logger::DataList(context, &panel);
        std::vector<files::RecordFields> set;
        for (int i = 1; i <= records; ++i)
            set.push_back(record(i, function, range, "1.5"));
        list->listSet(set, 1);
        return list;
    }
    static void click(QWidget* window, const char* button) {
        window->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    }
    static void trigger(QWidget* window, const char* menu) {
        window->findChild<QAction*>(QString::fromLatin1(menu))->trigger();
    }
    static QString label(QWidget* window, const char* name) {
        return window->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    // Types the four boxes of an open range dialog and presses OK.
    void enterRange(PlotKind kind, const QStringList& boxes) {
        files::PlotRange* dialog = board->rangeDialog(kind);
        QVERIFY(dialog);
        int i = 0;
        for (const char* name : {"TxtT1", "TxtT2", "TxtR1", "TxtR2"})
            dialog->findChild<QLineEdit*>(QString::fromLatin1(name))->setText(boxes[i++]);
        click(dialog, "CmdOk");
    }
};

} // namespace

class TestPlots : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void plainNumber_data();
    void plainNumber();
    void recordY_data();
    void recordY();
    void labels_data();
    void labels();
    void timesAndSteps();
    void oneRecordHasNoCurve();
    void failures_data();
    void failures();
    void reductionKeepsSpikes();
    void fileListFullScale_data();
    void fileListFullScale();
    void dataListPlot_data();
    void dataListPlot();
    void rangeChecks_data();
    void rangeChecks();
    void fileListPlotWindow();
    void dataListPlotRanges();
    void emptyListIsNotPlotted();
    void redrawnAtNewSize();
};

void TestPlots::plainNumber_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("half") << 0.5 << "0.5";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("large, no exponent") << 1e6 << "1000000";
    QTest::newRow("shortest") << 0.1 + 0.2 << "0.30000000000000004";
}

void TestPlots::plainNumber() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(files::plainNumber(value), text);
}

void TestPlots::recordY_data() {
    QTest::addColumn<PlotKind>("kind");
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("firstRange");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("value");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("y");
    const auto row = [](const char* name, PlotKind kind, const char* function,
                        const char* firstRange, const char* range, const char* value, double max,
                        double min, double y) {
        QTest::newRow(name) << kind << QString::fromLatin1(function)
                            << QString::fromLatin1(firstRange) << QString::fromLatin1(range)
                            << QString::fromLatin1(value) << max << min << y;
    };
    const auto S = PlotKind::Signed, P = PlotKind::Positive;
    // name, plot, function, first record's range, this record's range, value, Max, Min, y
    row("halfway up", S, "DCV", "200mV", "200mV", "100", 200, 0, 2500);
    row("halfway down", S, "DCV", "200mV", "200mV", "-100", 200, 0, 5500);
    row("Max on the top line", S, "DCV", "200mV", "200mV", "200", 200, 0, 1000);
    row("beyond the top", S, "DCV", "200mV", "200mV", "250", 200, 0, 900);
    row("beyond the bottom", S, "DCV", "200mV", "200mV", "-250", 200, 0, 7100);
    row("OL", S, "DCV", "200mV", "200mV", "OL", 200, 0, 900);
    row("-OL", S, "DCV", "200mV", "200mV", "-OL", 200, 0, 7100);
    row("below Min on zero", S, "DCV", "200mV", "200mV", "25", 200, 50, 4000);
    row("above -Min on zero", S, "DCV", "200mV", "200mV", "-25", 200, 50, 4000);
    row("mirrored with Min", S, "DCV", "200mV", "200mV", "-125", 200, 50, 5500);
    row("-OL on the 200'C reference", S, "TEMP", "200'C", "200'C", "-OL", 200, 0, 4750);
    row("-OL, Max 40: no reference", S, "TEMP", "200'C", "200'C", "-OL", 40, 0, 7100);
    row("-OL on the 2000'F reference", S, "TEMP", "2000'F", "2000'F", "-OL", 2000, 0, 4090);
    row("-OL, 200'F, Max 60: none", S, "TEMP", "200'F", "200'F", "-OL", 60, 0, 7100);
    row("1MHz in kHz", S, "FREQ", "1KHz", "1MHz", "1.5", 10000, 0, 3550);
    row("positive: negative on zero", P, "ACV", "2V", "2V", "-1", 2, 0, 4000);
    row("positive: -OL at the top", P, "ACV", "2V", "2V", "-OL", 2, 0, 900);
    row("positive: only FREQ converted", P, "ACV", "2V", "200mV", "1", 2, 0, 2500);
    row("positive: 1KHz in MHz", P, "FREQ", "1MHz", "1KHz", "500", 10, 0, 3850);
    row("positive: 1MHz in kHz", P, "FREQ", "1KHz", "1MHz", "1.5", 10000, 0, 3550);
    row("positive: same range", P, "FREQ", "1MHz", "1MHz", "2", 10, 0, 3400);
}

void TestPlots::recordY() {
    QFETCH(PlotKind, kind);
    QFETCH(QString, function);
    QFETCH(QString, firstRange);
    QFETCH(QString, range);
    QFETCH(QString, value);
    QFETCH(double, max);
    QFETCH(double, min);
    QFETCH(double, y);
    RecordStore records;
    records.append(record(1, function, firstRange, "0"));
    records.append(record(2, function, range, value));
    const auto d = draw(kind, records, limits(max, min, 1, 2));
    QVERIFY(d);
    QCOMPARE(d->ys.size(), std::size_t(2));
    QCOMPARE(d->ys[1], float(y));
}

void TestPlots::labels_data() {
    QTest::addColumn<PlotKind>("kind");
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("range");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("min");
    QTest::addColumn<QStringList>("values"); // top, middle, zero, -middle, -top
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<double>("referenceY");
    const auto row = [](const char* name, PlotKind kind, const char* function, const char* range,
                        double max, double min, const char* values, const char* unit,
                        const char* reference = "", double referenceY = 0) {
        QTest::newRow(name) << kind << QString::fromLatin1(function) << QString::fromLatin1(range)
                            << max << min << QString::fromLatin1(values).split(u' ')
                            << QString::fromLatin1(unit) << QString::fromLatin1(reference)
                            << referenceY;
    };
    const auto S = PlotKind::Signed, P = PlotKind::Positive;
    row("DCV", S, "DCV", "200mV", 200, 0, "200 100 0 -100 -200", "DCV:200mV");
    row("signed FREQ in kHz", S, "FREQ", "1MHz", 10000, 0, "10000 5000 0 -5000 -10000", "FREQ:KHz");
    row("200'C", S, "TEMP", "200'C", 200, 0, "200 100 0 -100 -200", "TEMP:200'C", "(-OL) -50",
        4750);
    row("1370'C with Min", S, "TEMP", "1370'C", 1370, 20, "1370 695 20 -695 -1370", "TEMP:1370'C",
        "(-OL) -50", 4000 + 30 * 3000 / 1350.0);
    row("200'F", S, "TEMP", "200'F", 200, 0, "200 100 0 -100 -200", "TEMP:200'F", "(-OL) -60",
        4900);
    row("positive FREQ in MHz", P, "FREQ", "1MHz", 10, 0, "10 5 0 -5 -10", "FREQ:MHz");
    row("positive: no reference", P, "TEMP", "200'C", 200, 0, "200 100 0 -100 -200", "TEMP:200'C");
}

void TestPlots::labels() {
    QFETCH(PlotKind, kind);
    QFETCH(QString, function);
    QFETCH(QString, range);
    QFETCH(double, max);
    QFETCH(double, min);
    QFETCH(QStringList, values);
    QFETCH(QString, unit);
    QFETCH(QString, reference);
    QFETCH(double, referenceY);
    RecordStore records;
    for (int i = 1; i <= 3; ++i)
        records.append(record(i, function, range, "1"));
    const auto d = draw(kind, records, limits(max, min, 1, 3));
    QVERIFY(d);
    QCOMPARE((QStringList{d->valTop, d->valMid, d->zero, d->negMid, d->negTop}), values);
    QCOMPARE(d->unit, unit);
    QCOMPARE(d->reference.has_value(), !reference.isEmpty());
    if (d->reference) {
        QCOMPARE(d->reference->text, reference);
        QCOMPARE(d->reference->y, referenceY);
        QCOMPARE(d->reference->labelTopLeft, QPointF(380, referenceY - 60));
    }
}

void TestPlots::timesAndSteps() {
    RecordStore records;
    for (int i = 1; i <= 120; ++i)
        records.append(record(i, "DCV", "200mV", "1"));
    const auto d = files::drawSignedPlot(records, limits(200, 0, 1, 100));
    QVERIFY(d);
    QCOMPARE((QStringList{d->t1, d->t2, d->t3}),
             (QStringList{records.cell(0, 2), records.cell(49, 2), records.cell(99, 2)}));
    QCOMPARE(d->ys.size(), std::size_t(100));
    QCOMPARE(files::recordX(99, 100), 5000.0);
    // From 5 To 6: two records across the whole width.
    const auto two = files::drawSignedPlot(records, limits(200, 0, 5, 6));
    QVERIFY(two);
    QCOMPARE(two->t2, records.cell(4, 2)); // (5 + 6) / 2 drops the remainder
    const auto lines = files::curveLines(two->ys, 500);
    QCOMPARE(lines.size(), std::size_t(1));
    QCOMPARE(lines[0], QLineF(1000, 3985, 5000, 3985));
}

void TestPlots::oneRecordHasNoCurve() {
    RecordStore records;
    records.append(record(1, "DCV", "200mV", "5"));
    const auto d = files::drawSignedPlot(records, files::wholeListLimits(200, 1));
    QVERIFY(d);
    QCOMPARE(d->valTop, QStringLiteral("200"));
    QVERIFY(!d->timed);
    QVERIFY(d->t1.isEmpty() && d->unit.isEmpty() && d->ys.empty() && !d->reference);
}

void TestPlots::failures_data() {
    QTest::addColumn<PlotKind>("kind");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("drawn");
    const QString ok = QStringLiteral("1"), huge = QString(308, u'9');
    for (const PlotKind kind : {PlotKind::Signed, PlotKind::Positive}) {
        const char* k = kind == PlotKind::Signed ? "signed: " : "positive: ";
        const auto row = [k](const char* name) -> QTestData& {
            return QTest::newRow(qPrintable(k + QString::fromLatin1(name)));
        };
        row("Max equal to Min") << kind << 10.0 << 10.0 << 1.0 << 10.0 << ok << false;
        row("Max equal to Min, one record") << kind << 10.0 << 10.0 << 1.0 << 1.0 << ok << false;
        row("To beyond the list") << kind << 200.0 << 0.0 << 5.0 << 11.0 << ok << false;
        row("From beyond the list") << kind << 200.0 << 0.0 << 12.0 << 20.0 << ok << false;
        row("From 0") << kind << 200.0 << 0.0 << 0.0 << 5.0 << ok << false;
        row("a value too large to scale") << kind << 1.0 << 0.0 << 1.0 << 10.0 << huge << false;
        row("the whole list") << kind << 200.0 << 0.0 << 1.0 << 10.0 << ok << true;
    }
}

void TestPlots::failures() {
    QFETCH(PlotKind, kind);
    QFETCH(double, max);
    QFETCH(double, min);
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(QString, value);
    QFETCH(bool, drawn);
    RecordStore records;
    for (int i = 1; i <= 10; ++i)
        records.append(record(i, "DCV", "200mV", value));
    QCOMPARE(draw(kind, records, limits(max, min, from, to)).has_value(), drawn);
}

void TestPlots::reductionKeepsSpikes() {
    // 100,000 records on 500 pixel columns: a one-record spike and dip survive.
    std::vector<float> ys(100000, 2500.f);
    ys[43210] = 900.f;
    ys[77777] = 7100.f;
    const int columns = 500;
    const auto lines = files::curveLines(ys, columns);
    QVERIFY(lines.size() <= 3 * std::size_t(columns));
    const auto reaches = [&](double y, double x) {
        return std::any_of(lines.begin(), lines.end(), [&](const QLineF& l) {
            return std::min(l.y1(), l.y2()) <= y && std::max(l.y1(), l.y2()) >= y &&
                   std::abs(l.x1() - x) <= 4000.0 / columns;
        });
    };
    QVERIFY(reaches(900, files::recordX(43210, ys.size())));
    QVERIFY(reaches(7100, files::recordX(77777, ys.size())));
    QCOMPARE(lines.front().p1(), QPointF(1000, 2500));
    QCOMPARE(lines.back().p2(), QPointF(5000, 2500));
    // One unbroken path from left to right.
    for (std::size_t i = 1; i < lines.size(); ++i)
        QVERIFY(lines[i].p1() == lines[i - 1].p2() && lines[i].x2() >= lines[i].x1());
    // Below four records a column, every segment as it is.
    QCOMPARE(files::curveLines(std::vector<float>(1999, 1.f), columns).size(), std::size_t(1998));
}

void TestPlots::fileListFullScale_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("range");
    QTest::addColumn<double>("fullScale");
    const auto row = [](const char* name, const char* function, const char* range, double scale) {
        QTest::newRow(name) << QString::fromLatin1(function) << QString::fromLatin1(range) << scale;
    };
    row("DCV 200mV", "DCV", "200mV", 200);
    row("FREQ in kHz", "FREQ", "1MHz", 10000);
    row("DCV 600 V", "DCV", "600 V", 1000);
    row("ACV 600 V", "ACV", "600 V", 750);
    row("DCA 600 V", "DCA", "600 V", 600);
    row("no number", "HOLD", "", 0);
}

void TestPlots::fileListFullScale() {
    QFETCH(QString, function);
    QFETCH(QString, range);
    QFETCH(double, fullScale);
    QCOMPARE(files::fileListFullScale(function, range), fullScale);
}

void TestPlots::dataListPlot_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("range");
    QTest::addColumn<PlotKind>("kind");
    QTest::addColumn<double>("positive");
    QTest::addColumn<double>("signedScale");
    const auto row = [](const char* name, const char* function, const char* range, PlotKind kind,
                        double positive, double signedScale) {
        QTest::newRow(name) << QString::fromLatin1(function) << QString::fromLatin1(range) << kind
                            << positive << signedScale;
    };
    const auto S = PlotKind::Signed, P = PlotKind::Positive;
    row("FREQ 1KHz", "FREQ", "1KHz", P, 10000, 1);
    row("FREQ 1MHz", "FREQ", "1MHz", P, 10, 1);
    row("ACV", "ACV", "2V", P, 2, 2);
    row("CAP", "CAP", "2uF", P, 2, 2);
    row("DCV", "DCV", "200mV", S, 200, 200);
    row("DCV 600 V as read", "DCV", "600 V", S, 600, 600);
}

void TestPlots::dataListPlot() {
    QFETCH(QString, function);
    QFETCH(QString, range);
    QFETCH(PlotKind, kind);
    QFETCH(double, positive);
    QFETCH(double, signedScale);
    const files::DataListPlot choice = files::dataListPlot(function, range);
    QCOMPARE(choice.kind, kind);
    QCOMPARE(choice.positiveFullScale, positive);
    QCOMPARE(choice.signedFullScale, signedScale);
}

void TestPlots::rangeChecks_data() {
    QTest::addColumn<PlotKind>("kind");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QList<double>>("stored"); // From, To, Min, Max, Count; empty: refused
    const auto row = [](const char* name, PlotKind kind, const char* boxes,
                        QList<double> stored = {}) {
        QTest::newRow(name) << kind << QString::fromLatin1(boxes).split(u'|') << stored;
    };
    const auto S = PlotKind::Signed, P = PlotKind::Positive;
    // The list: 100 records, full scale 200. Boxes: From|To|Min.|Max.
    row("signed: whole list", S, "1|100|0|200", {1, 100, 0, 200, 100});
    row("signed: one record", S, "5|5|0|200");
    row("signed: two records", S, "5|6|0|200", {5, 6, 0, 200, 2});
    row("signed: From 0", S, "0|10|0|200");
    row("signed: Min below 0", S, "1|10|-1|200");
    row("signed: Max equal to Min", S, "1|10|10|10");
    row("signed: Max beyond full scale", S, "1|10|0|250", {1, 10, 0, 250, 10});
    row("signed: To beyond the list", S, "1|150|0|200", {1, 150, 0, 200, 150});
    row("signed: numbers lead the text", S, "2 a|8x|0.5V|1.5V", {2, 8, 0.5, 1.5, 7});
    row("signed: whole records", S, "1.4|3.6|0|200", {1, 4, 0, 200, 4});
    row("signed: From 0.4", S, "0.4|3|0|200");
    row("positive: whole list", P, "1|100|0|200", {1, 100, 0, 200, 100});
    row("positive: Max equal to Min", P, "1|10|10|10", {1, 10, 10, 10, 10});
    row("positive: Max beyond full scale", P, "1|10|0|250");
    row("positive: From 0", P, "0|10|0|200");
    row("positive: one record", P, "5|5|0|200");
    row("positive: more than the list", P, "1|101|0|200");
    row("positive: span fits, To beyond", P, "50|120|0|200", {50, 120, 0, 200, 71});
    row("positive: Min below Floor", P, "1|10|-1|200");
}

void TestPlots::rangeChecks() {
    QFETCH(PlotKind, kind);
    QFETCH(QStringList, boxes);
    QFETCH(QList<double>, stored);
    const PlotLimits current = files::wholeListLimits(200, 100);
    const files::RangeTexts texts{boxes[0], boxes[1], boxes[2], boxes[3]};
    const auto result = kind == PlotKind::Signed ? files::signedRange(current, texts)
                                                 : files::positiveRange(current, texts);
    QCOMPARE(result.has_value(), !stored.isEmpty());
    if (result)
        QCOMPARE((QList<double>{result->from, result->to, result->min, result->max, result->count}),
                 stored);
}

void TestPlots::fileListPlotWindow() {
    Bench b;
    auto* list = b.fileList("DCV", "200mV", {"100", "-100", "OL"});
    Bench::click(list, "CmdFplot");
    QPointer<files::PlotWindow> plot = b.board->window(PlotKind::Signed);
    QVERIFY(plot && plot->isVisible());
    QCOMPARE(plot->objectName(), QStringLiteral("ListPlot2"));
    QCOMPARE(plot->windowTitle(), QStringLiteral("Plot Data/File"));
    QCOMPARE(b.board->source(), files::PlotSource::FileList);
    QStringList texts;
    for (const char* name :
         {"LblValTop", "LblValMid", "Lbl0", "MidLbl", "TopLbl", "LblUnit", "LblT1", "LblT3"})
        texts << Bench::label(plot, name);
    QCOMPARE(texts, (QStringList{"200", "100", "0", "-100", "-200", "DCV:200mV", "14:01:00.0",
                                 "14:03:00.0"}));
    QVERIFY(!plot->findChild<QLabel*>(QStringLiteral("LblOdd"))->isVisible());

    Bench::trigger(plot, "MnuPrint");
    QCOMPARE(b.printer.windowsPrinted(), QStringList{"ListPlot2"});
    b.printer.actCancelled(); // a cancel says nothing, a failure is told
    Bench::trigger(plot, "MnuPrint");
    QVERIFY(b.dialogs.messages().empty());
    b.printer.actCancelled(false);
    b.printer.failToBegin(QStringLiteral("no printer"));
    Bench::trigger(plot, "MnuPrint");
    QCOMPARE(b.dialogs.messageTexts(), QStringList{"no printer"});
    QCOMPARE(b.printer.windowsPrinted().size(), 1);
    b.dialogs.clear();

    // The range dialog starts from the current limits; a refusal keeps the plot.
    Bench::trigger(plot, "MnuLimit");
    files::PlotRange* range = b.board->rangeDialog(PlotKind::Signed);
    QVERIFY(range && range->isVisible());
    QCOMPARE(range->objectName(), QStringLiteral("Plot2Range"));
    QCOMPARE(range->windowTitle(), QStringLiteral("Plot Range"));
    QCOMPARE((QStringList{range->texts().from, range->texts().to, range->texts().min,
                          range->texts().max}),
             (QStringList{"1", "3", "0", "200"}));
    b.enterRange(PlotKind::Signed, {"2", "2", "0", "200"});
    QCOMPARE(b.dialogs.messageTexts(), QStringList{"Invalid, try again !"});
    QCOMPARE(b.dialogs.messages().back().icon, platform::MessageIcon::Critical);
    QCOMPARE(b.board->window(PlotKind::Signed), plot.data());
    QVERIFY(b.board->rangeDialog(PlotKind::Signed));

    b.enterRange(PlotKind::Signed, {"2", "3", "0", "100"});
    QCOMPARE(b.dialogs.messages().size(), std::size_t(1));
    QVERIFY(!b.board->rangeDialog(PlotKind::Signed));
    files::PlotWindow* narrowed = b.board->window(PlotKind::Signed);
    QVERIFY(narrowed && narrowed != plot.data() && narrowed->isVisible());
    QCOMPARE(Bench::label(narrowed, "LblValTop"), QStringLiteral("100"));
    QCOMPARE(Bench::label(narrowed, "LblT1"), QStringLiteral("14:02:00.0"));
    QCOMPARE(b.board->limits(PlotKind::Signed).count, 2.0);

    // Beyond the list: the plot closes without a word.
    Bench::trigger(narrowed, "MnuLimit");
    b.enterRange(PlotKind::Signed, {"2", "9", "0", "100"});
    QVERIFY(!b.board->window(PlotKind::Signed));
    QCOMPARE(b.dialogs.messages().size(), std::size_t(1));
}

void TestPlots::dataListPlotRanges() {
    Bench b;
    auto* dcv = b.dataList("DCV", "200mV", 5);
    Bench::click(dcv, "CmdDplot");
    QVERIFY(b.board->window(PlotKind::Signed));
    QVERIFY(!b.board->window(PlotKind::Positive));

    auto* freq = b.dataList("FREQ", "1MHz", 5);
    Bench::click(freq, "CmdDplot");
    QVERIFY(!b.board->window(PlotKind::Signed)); // every plot closes first
    files::PlotWindow* plot = b.board->window(PlotKind::Positive);
    QVERIFY(plot);
    QCOMPARE(plot->objectName(), QStringLiteral("ListPlot1"));
    QCOMPARE(plot->windowTitle(), QStringLiteral("Plot Data/File "));
    QCOMPARE(Bench::label(plot, "LblUnit"), QStringLiteral("FREQ:MHz"));
    QCOMPARE(Bench::label(plot, "LblValTop"), QStringLiteral("10"));
    QCOMPARE(b.board->limits(PlotKind::Signed).max, 1.0);
    QCOMPARE(b.board->source(), files::PlotSource::DataList);

    // Above the full scale: refused, and the plot stays closed.
    Bench::trigger(plot, "MnuLimit");
    QCOMPARE(b.board->rangeDialog(PlotKind::Positive)->objectName(), QStringLiteral("Plot1Range"));
    b.enterRange(PlotKind::Positive, {"1", "5", "0", "25"});
    QCOMPARE(b.dialogs.messageTexts(), QStringList{"Invalid, Try again!"});
    QVERIFY(!b.board->window(PlotKind::Positive));
    files::PlotRange* range = b.board->rangeDialog(PlotKind::Positive);
    QVERIFY(range && range->isVisible());
    // Resizing the dialog shows the stored limits again.
    range->resize(range->size() + QSize(10, 10));
    QCOMPARE(range->texts().max, QStringLiteral("10"));

    // Min equal to Max passes the dialog, then the drawing fails quietly.
    b.enterRange(PlotKind::Positive, {"2", "4", "5", "5"});
    QCOMPARE(b.dialogs.messages().size(), std::size_t(1));
    QVERIFY(!b.board->window(PlotKind::Positive));
    QCOMPARE(b.board->limits(PlotKind::Positive).count, 3.0);
    QVERIFY(!b.board->rangeDialog(PlotKind::Positive));
}

void TestPlots::emptyListIsNotPlotted() {
    Bench b;
    auto* list = b.fileList("DCV", "200mV", {"1"});
    Bench::click(list, "CmdFplot");
    QPointer<files::PlotWindow> plot = b.board->window(PlotKind::Signed);
    QVERIFY(plot);
    auto* empty = b.fileList("DCV", "200mV", {});
    Bench::click(empty, "CmdFplot");
    QCOMPARE(b.dialogs.messageTexts(), QStringList{files::PlotBoard::NothingToPlot});
    QCOMPARE(b.board->window(PlotKind::Signed), plot.data()); // nothing else changed
}

void TestPlots::redrawnAtNewSize() {
    // A flat curve at 150 of 200 (y 1750) is painted where the geometry puts it, at any size.
    Bench b;
    Bench::click(b.fileList("DCV", "200mV", {"150", "150", "150"}), "CmdFplot");
    files::PlotWindow* plot = b.board->window(PlotKind::Signed);
    QWidget* canvas = plot->centralWidget();
    for (const QSize size : {canvas->size(), canvas->size() * 2, QSize(300, 200)}) {
        plot->resize(size + (plot->size() - canvas->size()));
        const QImage image = canvas->grab().toImage();
        const int x = int(2000 * canvas->width() / 6690.0);
        const int y = int(1750 * canvas->height() / 7905.0);
        int darkest = 255; // the line may fall between two pixel rows
        for (int dy = -1; dy <= 1; ++dy)
            darkest = std::min(darkest, qGray(image.pixel(x, y + dy)));
        QVERIFY2(darkest < 128,
                 qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
        const QWidget* top = plot->findChild<QLabel*>(QStringLiteral("LblValTop"));
        QCOMPARE(top->geometry().right() + 1, int(std::lround(930 * canvas->width() / 6690.0)));
    }
}

QTEST_MAIN(TestPlots)
#include "test_plots.moc"
