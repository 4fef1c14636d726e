// Plots: where records land in the drawing, the full scales of "Plot", the range dialogs'
// checks, and the plot windows opened, narrowed, printed and painted.
#include "meter/Measurement.h"
#include "records/DataChannel.h"
#include "plot/PlotGeometry.h"
#include "support/RecordingPrinter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "ui/lists/FileList.h"
#include "ui/lists/PlotBoard.h"
#include "ui/lists/PlotRange.h"
#include "ui/lists/PlotWindow.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tarnix;
using plot::PlotKind;
constexpr PlotKind Signed = PlotKind::Signed, Positive = PlotKind::Positive;

namespace {

// Record n at n minutes past 14:00, the later ones in the last of `ranges`.
records::RecordStore storeOf(const char* function, const QStringList& ranges,
                           const QStringList& values) {
    records::RecordStore store;
    for (int i = 0; i < values.size(); ++i)
        store.append({QString::number(i + 1), "26/12/05",
                      QTime(14, 0).addSecs(60 * (i + 1)).toString(u"hh:mm:ss.z"), function,
                      ranges[std::min(i, int(ranges.size()) - 1)], values[i]});
    return store;
}

std::optional<plot::PlotDrawing> draw(PlotKind kind, const records::RecordStore& store, double max,
                                       double min, double from, double to) {
    const plot::PlotLimits l{max, 0, to, max, min, from, to, to - from + 1};
    return kind == Signed ? plot::drawSignedPlot(store, l) : plot::drawPositivePlot(store, l);
}

// The lists and the plot board as the panel puts them together.
struct Bench {
    records::DataChannel data;
    platform::ScriptedDialogs dialogs;
    platform::RecordingPrinter printer;
    platform::VirtualClock clock;
    QWidget panel;
    ui::PlotBoard* board = new ui::PlotBoard(dialogs, printer, &panel);
    ui::ListContext context{data, dialogs, printer, clock, nullptr, board};

    // "Plot" in a new file list; records after the first are in the last range.
    ui::PlotWindow* plot(const char* function, const QStringList& ranges,
                            const QStringList& values) {
        auto* list = new ui::FileList(context, &panel);
        const records::RecordStore store = storeOf(function, ranges, values);
        for (qsizetype row = 0; row < store.size(); ++row)
            list->model().appendRecord(store.record(row));
        list->findChild<QPushButton*>("CmdFplot")->click();
        return board->window(Signed);
    }
    // Opens the window's range dialog, types From, To, Min. and Max. and presses OK.
    void enterRange(ui::PlotWindow* plot, const QStringList& boxes) {
        plot->findChild<QAction*>("MnuLimit")->trigger();
        ui::PlotRange* dialog = board->rangeDialog(Signed);
        QVERIFY(dialog && dialog->isVisible());
        int i = 0;
        for (const char* box : {"TxtT1", "TxtT2", "TxtR1", "TxtR2"})
            dialog->findChild<QLineEdit*>(box)->setText(boxes[i++]);
        dialog->findChild<QPushButton*>("CmdOk")->click();
    }
};

QString labels(QWidget* window, const QStringList& names) {
    QStringList texts;
    for (const QString& name : names)
        texts << window->findChild<QLabel*>(name)->text();
    return texts.join(u' ');
}

} // namespace

class TestPlots : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void curveStaysInThePlot();
    void timesAndCurves();
    void fullScalesAndRangeChecks();
    void plotWindows();
    void labelsReadInADarkTheme();
};

// Every point stays inside the plot, higher values higher up, Max on the top line, Min on
// the zero line, overloads beyond the limit lines, the signed plot's lower half mirrored.
void TestPlots::curveStaysInThePlot() {
    QStringList values;
    for (int k = -60; k <= 60; ++k)
        values << QString::number(5 * k);
    const auto set = storeOf("DCV", {"200mV"}, values + QStringList{"OL", "-OL"});
    for (const PlotKind kind : {Signed, Positive}) {
        for (const int min : {0, 50}) {
            const auto d = draw(kind, set, 200, min, 1, set.size());
            QVERIFY(d && d->ys.size() == std::size_t(set.size()));
            const auto y = [&](int v) { return d->ys[std::size_t(v / 5 + 60)]; };
            for (int v = -300; v <= 300; v += 5) {
                QVERIFY(y(v) >= 900 && y(v) <= (kind == Signed ? 7100 : 4000));
                QVERIFY2(v == -300 || y(v) <= y(v - 5), qPrintable(QString::number(v)));
                if (kind == Signed && v >= min)
                    QCOMPARE(y(-v) + y(v), 8000.f);
            }
            QVERIFY(y(200) == 1000 && y(min) == 4000 && y(250) == 900 && d->ys[121] == 900);
            QCOMPARE(d->ys[122], kind == Signed ? 7100.f : 900.f); // -OL; positive: at the top
        }
        // A plot that cannot be drawn closes its window rather than drawing nonsense:
        // Max equal to Min, records beyond the list or not whole, values too large to scale.
        QVERIFY(!draw(kind, set, 10, 10, 1, 10) && !draw(kind, set, 10, 10, 1, 1));
        QVERIFY(!draw(kind, set, 200, 0, 120, 124) && !draw(kind, set, 200, 0, 0, 5) &&
                !draw(kind, set, 200, 0, 1.5, 3));
        QVERIFY(!draw(kind, storeOf("DCV", {"2V"}, {"1", QString(308, u'9')}), 1, 0, 1, 2));
    }

    // Temperatures' -OL sit on a labelled reference line; frequencies are converted to
    // the plot's unit.
    const auto check = [](PlotKind kind, const char* function, const QStringList& ranges,
                          const char* value, double max, float y, const char* caption) {
        const auto d = draw(kind, storeOf(function, ranges, {"0", value}), max, 0, 1, 2);
        QVERIFY(d);
        QCOMPARE(d->ys[1], y);
        QCOMPARE(d->unit + u' ' + (d->reference ? d->reference->text : QString()), caption);
    };
    check(Signed, "TEMP", {"200'C"}, "-OL", 200, 4750, "TEMP:200'C (-OL) -50");
    // Its label stands 60 twips above the line, 380 in.
    const auto ref = draw(Signed, storeOf("TEMP", {"200'C"}, {"0", "-OL"}), 200, 0, 1, 2)->reference;
    QCOMPARE(ref->labelTopLeft, QPointF(380, ref->y - 60));
    check(Signed, "TEMP", {"200'C"}, "-OL", 40, 7100, "TEMP:200'C "); // below the line: none
    check(Signed, "TEMP", {"2000'F"}, "-OL", 2000, 4090, "TEMP:2000'F (-OL) -60");
    check(Signed, "FREQ", {"1KHz", "1MHz"}, "1.5", 10000, 3550, "FREQ:KHz ");
    check(Positive, "FREQ", {"1MHz", "1KHz"}, "500", 10, 3850, "FREQ:MHz ");
    check(Positive, "DCV", {"200mV", "2V"}, "1.5", 200, 3977.5, "DCV:200mV "); // only FREQ converts
    // The line is there only while Max lies above it.
    for (const auto& [range, max, line] : {std::tuple{"200'C", 51, true}, {"1370'C", 50, false},
                                           {"200'F", 61, true}, {"2000'F", 60, false}})
        QCOMPARE(draw(Signed, storeOf("TEMP", {range}, {"0", "-OL"}), max, 0, 1, 2)
                     ->reference.has_value(), line);
}

void TestPlots::timesAndCurves() {
    const auto set = storeOf("DCV", {"200mV"}, QStringList(120, "1"));
    const auto d = draw(Signed, set, 200, 0, 1, 100);
    QVERIFY(d && d->timed && d->ys.size() == 100);
    QCOMPARE((QStringList{d->t1, d->t2, d->t3}),
             (QStringList{set.cell(0, 2), set.cell(49, 2), set.cell(99, 2)}));
    // One record: labels, but no times, unit or curve.
    const auto one = draw(Signed, set, 200, 0, 1, 1);
    QVERIFY(one && one->valTop == QStringLiteral("200") && !one->timed && one->ys.empty());

    // A few records: a line from each to the next, across the plot.
    QCOMPARE(plot::curveLines({1, 2, 3}, 500),
             (std::vector<QLineF>{{1000, 1, 3000, 2}, {3000, 2, 5000, 3}}));
    QCOMPARE(plot::curveLines({1, 2}, 500).size(), 1u);
    // 100,000 records on 500 pixel columns: one-record dips and a spike each survive in
    // their own column, on one unbroken path from the left edge to the right.
    std::vector<float> ys(100000, 2500.f);
    ys[10000] = ys[43210] = 900.f;
    ys[77777] = 7100.f;
    const auto lines = plot::curveLines(ys, 500);
    QVERIFY(lines.size() <= 3 * 500);
    const auto onPath = [&](std::size_t j) {
        const QPointF p(plot::recordX(j, ys.size()), ys[j]);
        return std::ranges::any_of(lines, [&](const QLineF& l) { return l.p2() == p; });
    };
    QVERIFY(onPath(10000) && onPath(43210) && onPath(77777));
    QVERIFY(lines.front().p1() == QPointF(1000, 2500) && lines.back().p2() == QPointF(5000, 2500));
    for (std::size_t i = 1; i < lines.size(); ++i)
        QVERIFY(lines[i].p1() == lines[i - 1].p2() && lines[i].x2() >= lines[i].x1());
}

void TestPlots::fullScalesAndRangeChecks() {
    QCOMPARE(plot::fileListFullScale(meter::measurementFromTexts("ACV", "600 V", "1")), 750.0);
    const plot::DataListPlot freq =
        plot::dataListPlot(meter::measurementFromTexts("FREQ", "1MHz", "1")); // never negative
    QVERIFY(freq.kind == Positive && freq.positiveFullScale == 10);

    // 100 records, full scale 200. The boxes From|To|Min.|Max.; the stored From, To, Min,
    // Max and Count, or nothing when refused.
    const auto check = [](PlotKind kind, const char* boxes, const QList<double>& stored) {
        const QStringList b = QString::fromLatin1(boxes).split(u'|');
        const auto now = plot::wholeListLimits(200, 100);
        const plot::RangeTexts texts{b[0], b[1], b[2], b[3]};
        const auto r =
            kind == Signed ? plot::signedRange(now, texts) : plot::positiveRange(now, texts);
        QCOMPARE((r ? QList<double>{r->from, r->to, r->min, r->max, r->count} : QList<double>()),
                 stored);
    };
    check(Signed, "2 a|8x|0.5V|1.5V", {2, 8, 0.5, 1.5, 7}); // numbers lead the text
    for (const PlotKind kind : {Signed, Positive}) {
        check(kind, "1.4|100|0|200", {1, 100, 0, 200, 100}); // whole records
        check(kind, "5|5|0|200", {});                        // one record is no plot
        check(kind, "0.4|3|-1|200", {});                     // from 1, and Min not below 0
        check(kind, "0|3|0|200", {});                        // no record 0
        check(kind, "1|10|10|10", {});                       // Min = Max
        check(kind, "50|101|0|200", {}); // past the last record: nothing to draw
    }
}

void TestPlots::plotWindows() {
    Bench b;
    QPointer<ui::PlotWindow> plot = b.plot("DCV", {"200mV"}, {"150", "150", "150"});
    QVERIFY(plot && plot->isVisible());
    QCOMPARE(labels(plot, {"LblValTop", "LblValMid", "Lbl0", "MidLbl", "TopLbl", "LblUnit", "LblT1",
                           "LblT3"}), "200 100 0 -100 -200 DCV:200mV 14:01:00.0 14:03:00.0");
    // The flat curve at 150 of 200 (y 1750) is painted where the geometry puts it, at any size.
    QWidget* canvas = plot->centralWidget();
    for (const QSize size : {canvas->size(), canvas->size() * 2, QSize(300, 200)}) {
        plot->resize(size + (plot->size() - canvas->size()));
        const QImage image = canvas->grab().toImage();
        const int x = 2000 * canvas->width() / 6690, y = 1750 * canvas->height() / 7905;
        // The line may fall between two pixel rows.
        const int darkest = std::min(
            {qGray(image.pixel(x, y - 1)), qGray(image.pixel(x, y)), qGray(image.pixel(x, y + 1))});
        QVERIFY2(darkest < 128, qPrintable(QString::number(size.width())));
    }
    b.printer.failToBegin(QStringLiteral("no printer"));
    plot->findChild<QAction*>("MnuPrint")->trigger();
    QCOMPARE(b.dialogs.messageTexts().last(), QStringLiteral("no printer"));
    // A refusal keeps the plot, past the list's end too; good limits redraw it narrower.
    b.enterRange(plot, {"2", "2", "0", "200"});
    QCOMPARE(b.dialogs.messageTexts().last(), QStringLiteral("Invalid, try again !"));
    QCOMPARE(b.board->window(Signed), plot.data());
    b.enterRange(plot, {"2", "3", "0", "100"});
    ui::PlotWindow* narrowed = b.board->window(Signed);
    QVERIFY(narrowed && narrowed != plot.data() && narrowed->isVisible());
    QCOMPARE(labels(narrowed, {"LblValTop", "LblT1"}), "100 14:02:00.0");
    b.enterRange(narrowed, {"2", "9", "0", "100"});
    QCOMPARE(b.dialogs.messageTexts().last(), QStringLiteral("Invalid, try again !"));
    QCOMPARE(b.board->window(Signed), narrowed);
    // A list's scale is its first record's range.
    QCOMPARE(labels(b.plot("DCV", {"2V", "200mV"}, {"1", "100"}), {"LblValTop", "LblUnit"}),
             "2 DCV:2V");
    b.plot("DCV", {"200mV"}, {});
    QCOMPARE(b.dialogs.messageTexts().last(), ui::PlotBoard::NothingToPlot);
}

// The plot's texts stand out from its white background under a dark theme (WCAG's 4.5:1).
void TestPlots::labelsReadInADarkTheme() {
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    Bench b;
    QPalette dark;
    for (const auto role : {QPalette::Window, QPalette::Base})
        dark.setColor(role, QColor(45, 45, 48));
    for (const auto role : {QPalette::WindowText, QPalette::Text})
        dark.setColor(role, QColor(230, 230, 230));
    QApplication::setPalette(dark);
    const auto restore = qScopeGuard([] { QApplication::setPalette(QPalette()); });
    b.panel.setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }")); // as the panel has
    ui::PlotWindow* plot = b.plot("TEMP", {"1370'C"}, {"20", "30"});
    QWidget* canvas = plot->centralWidget();
    const double ground = luminance(canvas->palette().color(canvas->backgroundRole()));
    for (QLabel* label : canvas->findChildren<QLabel*>()) {
        label->ensurePolished();
        const double text = luminance(label->palette().color(label->foregroundRole()));
        const double ratio = (std::max(text, ground) + 0.05) / (std::min(text, ground) + 0.05);
        QVERIFY2(ratio >= 4.5, qPrintable(label->text()));
    }
}

QTEST_MAIN(TestPlots)
#include "test_plots.moc"
