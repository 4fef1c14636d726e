// LOGGER, the Memory window's settings and a set download into DataList, on
// the simulated meter and the virtual clock.
#include "link/MemoryMap.h"
#include "ui/logger/DataList.h"
#include "ui/logger/Memory.h"
#include "core/MeterSession.h"
#include "ui/panel/Panel.h"
#include "support/SimulatedLink.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QtTest>

using namespace tarnix;
namespace address = link::address;

namespace {

struct Bench : SimulatedLink {
    Bench() {
        clock.setNow(QDateTime(QDate(2026, 3, 14), QTime(10, 0)));
        panel.state().link.comPortNumber = 1;
        panel.state().link.portLabel = QStringLiteral("COM1");
        // A logger holding one set of five DCV 200mV records from 03/14 09:05:00, 2 s apart.
        meter.setMemory(address::WriteCount, 7);
        meter.setMemory(address::IdCode, 44);
        meter.setMemory(address::IdCode + 1, 1);
        meter.setMemory(address::RecordingMode, 1);
        meter.setMemory(address::MemorySizeK, 4);
        const char clockDigits[] = "0314090500";
        for (int i = 0; i < 10; ++i)
            meter.setMemory(address::ClockStamp + i, std::uint8_t(clockDigits[i]));
        meter.setMemory(address::SampleInterval, 5);
        meter.setMemory(address::EndAddress, 110);
        meter.setMemory(address::RangeChanges, 1);
        meter.setMemory(address::setCode(1), 0);
        meter.setMemory(address::setStart(1), 100);
        meter.setMemory(address::BaudSetting, 3);
        for (int k = 0; k < 5; ++k) { // -180.0 as packed bytes: low 6, high 0x80
            meter.setMemory(100 + 2 * k, 6);
            meter.setMemory(101 + 2 * k, 0x80);
        }
        QVERIFY(panel.load());
        panel.cycle().tick();
    }
    logger::Memory* openLogger() {
        meter.clearCommands();
        panel.findChild<QPushButton*>(QStringLiteral("CmdMemory"))->click();
        return panel.memoryWindow();
    }
    QString text(QWidget* w, const char* name) {
        return w->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    // The memory writes the meter heard since the last clear: "address=value".
    QStringList writes() {
        QStringList w;
        for (const QByteArray& c : meter.commands())
            if (c.startsWith('W'))
                w << QStringLiteral("%1=%2").arg(std::uint8_t(c[1])).arg(std::uint8_t(c[3]));
        return w;
    }

    tarnix::core::MeterSession session{link, dialogs};
    panel::Panel panel{session, dialogs, printer};
};

} // namespace

class TestLoggerWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void headerReadFillsTheWindow();
    void settingsWrites_data();
    void settingsWrites();
    void setDownload();
    void downloadEndsEarly_data();
    void downloadEndsEarly();
    void cancelledHeaderReadOpensNothing();
    void refusedWhileRecording();
};

void TestLoggerWindows::headerReadFillsTheWindow() {
    Bench b;
    logger::Memory* memory = b.openLogger();
    QVERIFY(memory);
    QStringList reads;
    for (const QByteArray& c : b.meter.commands())
        if (c.startsWith('R'))
            reads << QString::number(std::uint8_t(c[1]));
    QCOMPARE(reads.size(), 55);
    QCOMPARE(reads.front(), QStringLiteral("0"));
    QCOMPARE(reads.back(), QStringLiteral("54"));
    QCOMPARE(b.panel.findChild<QLabel*>(QStringLiteral("LblCom"))->text(), QStringLiteral("COM1"));
    QCOMPARE(b.text(memory, "LblWriteCounts"), QStringLiteral("7"));
    QCOMPARE(b.text(memory, "LblMemorySize"), QStringLiteral("4 K"));
    QCOMPARE(b.text(memory, "LblTime"), QStringLiteral("26/03/14---09:05:00"));
    QCOMPARE(b.text(memory, "LblRangeChanges"), QStringLiteral("1"));
    QCOMPARE(memory->findChild<QLineEdit*>(QStringLiteral("TxtIdCode"))->text(),
             QStringLiteral("300"));
    QCOMPARE(memory->findChild<QLineEdit*>(QStringLiteral("TxtSampleRate"))->text(),
             QStringLiteral("2 sec"));
    auto* grid = memory->findChild<QTableWidget*>(QStringLiteral("Grid"));
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("DCV"));
    QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("200mV"));
    QCOMPARE(grid->item(0, 3)->text(), QStringLiteral("5"));
    // Shown, the lists take the header's entries and write them.
    QCOMPARE(memory->findChild<QComboBox*>(QStringLiteral("ComboRecordingMode"))->currentText(),
             QStringLiteral("Max"));
    QCOMPARE(memory->findChild<QComboBox*>(QStringLiteral("ComboBaudRate"))->currentText(),
             QStringLiteral("9600"));
    QCOMPARE(b.writes(), (QStringList{"5=1", "48=0"}));
    QVERIFY(b.panel.cycle().timer().isActive());
}

void TestLoggerWindows::settingsWrites_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QString>("message");
    QTest::newRow("id 1000") << "CmdIdCode" << "1000" << QStringList{"3=3", "2=232"} << "";
    QTest::newRow("id abc") << "CmdIdCode" << "abc" << QStringList{"3=0", "2=0"} << "";
    QTest::newRow("id negative") << "CmdIdCode" << "-5" << QStringList{} << "Invalid, try again!";
    QTest::newRow("id too big") << "CmdIdCode" << "70000" << QStringList{}
                                << "Invalid, try again!";
    QTest::newRow("rate 2 sec") << "CmdSampleRate" << "2 sec" << QStringList{"19=0", "18=5"}
                                << "";
    QTest::newRow("rate 1") << "CmdSampleRate" << "1" << QStringList{"19=0", "18=2"} << "";
}

void TestLoggerWindows::settingsWrites() {
    QFETCH(QString, button);
    QFETCH(QString, text);
    QFETCH(QStringList, written);
    QFETCH(QString, message);
    Bench b;
    logger::Memory* memory = b.openLogger();
    b.meter.clearCommands();
    const char* field = button == u"CmdIdCode" ? "TxtIdCode" : "TxtSampleRate";
    memory->findChild<QLineEdit*>(QString::fromLatin1(field))->setText(text);
    memory->findChild<QPushButton*>(button)->click();
    QCOMPARE(b.writes(), written);
    QCOMPARE(b.dialogs.messageTexts(), message.isEmpty() ? QStringList{} : QStringList{message});
}

void TestLoggerWindows::setDownload() {
    Bench b;
    logger::Memory* memory = b.openLogger();
    memory->downloadSet(1);
    logger::DataList* list = memory->dataList();
    QVERIFY(list);
    QCOMPARE(list->title(), QStringLiteral("5  Records In No. 1  Set"));
    const auto& records = list->model().records();
    QCOMPARE(records.size(), 5);
    QCOMPARE(records.record(0), (files::RecordFields{"1", "26/03/14", "09:05:00.0", "DCV", "200mV",
                                                     "-180.0"}));
    QCOMPARE(records.cell(4, 2), QStringLiteral("09:05:08.0"));
    QVERIFY(memory->findChild<QTableWidget*>(QStringLiteral("Grid"))->isEnabled());
    QVERIFY(b.panel.cycle().timer().isActive());
    QVERIFY(b.dialogs.messages().empty());
}

void TestLoggerWindows::downloadEndsEarly_data() {
    QTest::addColumn<double>("after"); // seconds into the dump
    QTest::addColumn<bool>("portGoes"); // else the meter falls silent
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("listed");
    QTest::newRow("meter falls silent")
        << 1.0 << false << "^The meter stopped sending after [1-9]\\d+ of 8194 bytes; the records "
                           "received are listed.$" << true;
    QTest::newRow("port goes away")
        << 1.0 << true << "^The meter's port went away after [1-9]\\d+ of 8194 bytes; the records "
                          "received are listed.$" << true;
    QTest::newRow("nothing arrives") << 0.0 << false
                                     << "^The meter stopped sending after 0 of 8194 bytes; "
                                        "no record of this set arrived.$" << false;
}

void TestLoggerWindows::downloadEndsEarly() {
    QFETCH(double, after);
    QFETCH(bool, portGoes);
    QFETCH(QString, message);
    QFETCH(bool, listed);
    Bench b;
    logger::Memory* memory = b.openLogger();
    b.clock.at(b.clock.monotonic() + after, [&] {
        if (portGoes)
            b.port.setLost(true);
        else
            b.meter.setPowered(false);
    });
    memory->downloadSet(1);
    QCOMPARE(b.dialogs.messages().size(), 1u);
    QVERIFY2(QRegularExpression(message).match(b.dialogs.messages()[0].text).hasMatch(),
             qPrintable(b.dialogs.messages()[0].text));
    QVERIFY(memory->findChild<QTableWidget*>(QStringLiteral("Grid"))->isEnabled());
    QCOMPARE(bool(memory->dataList()), listed);
    QVERIFY(b.panel.cycle().timer().isActive());
}

// The header read's time-out box has a way out: Cancel ends the read.
void TestLoggerWindows::cancelledHeaderReadOpensNothing() {
    Bench b;
    b.meter.setReadReplyLength(0);
    b.dialogs.answerRetries(false);
    QVERIFY(!b.openLogger());
    QCOMPARE(b.dialogs.messageTexts(), QStringList{QStringLiteral("Wait Time Out ! Try again !")});
    QCOMPARE(b.panel.findChild<QLabel*>(QStringLiteral("LblCom"))->text(), QStringLiteral("COM1"));
    QVERIFY(b.panel.cycle().timer().isActive());
}

void TestLoggerWindows::refusedWhileRecording() {
    Bench b;
    b.meter.setRecording(true);
    b.panel.cycle().tick();
    QVERIFY(!b.openLogger());
    QCOMPARE(b.dialogs.messageTexts(), QStringList{QStringLiteral("Invalid, Recording Mode !")});
}

QTEST_MAIN(TestLoggerWindows)
#include "test_logger_windows.moc"
