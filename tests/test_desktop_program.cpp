// The desktop program's start: a data file from the command line, a port
// that cannot be opened, and the keys of the main panel.
#include "core/MeterSession.h"
#include "ui/DesktopProgram.h"
#include "ui/lists/FileList.h"
#include "ui/panel/Panel.h"
#include "support/SimulatedLink.h"

#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QtTest>

using namespace tarnix;

namespace {

// A recording of two lines, as SAVE AS writes them.
QString writeRecording(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("bench.dat"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write("1,26/12/05,14:03:07.0,DCV,200mV,-12.34\r\n"
                   "2,26/12/05,14:03:09.0,DCV,200mV,-12.30\r\n") < 0)
        return {};
    return path;
}

// Answers the next message box with OK and keeps its text.
void answerNextBox(QString& text) {
    QTimer::singleShot(0, qApp, [&text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->accept();
        }
    });
}

} // namespace

class TestDesktopProgram : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dataFileIsListed_data();
    void dataFileIsListed();
    void portThatCannotOpen_data();
    void portThatCannotOpen();
    void panelKeys();
};

void TestDesktopProgram::dataFileIsListed_data() {
    QTest::addColumn<bool>("simulate");
    QTest::newRow("alone: no port asked for") << false;
    QTest::newRow("with the simulated meter: the panel too") << true;
}

void TestDesktopProgram::dataFileIsListed() {
    QFETCH(bool, simulate);
    QTemporaryDir dir;
    app::DesktopOptions options;
    options.dataFile = writeRecording(dir);
    QVERIFY(!options.dataFile.isEmpty());
    if (simulate)
        options.start = app::DesktopOptions::Start::Simulated;
    app::DesktopProgram program(options);
    QVERIFY(program.start());
    QVERIFY(!program.portWindow());
    QCOMPARE(program.panel() != nullptr, simulate);
    files::FileList* list = simulate ? program.panel()->findChild<files::FileList*>()
                                     : program.fileList();
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->windowTitle(), QStringLiteral("bench.dat"));
    QCOMPARE(list->model().rowCount(), 2);
}

void TestDesktopProgram::portThatCannotOpen_data() {
    QTest::addColumn<bool>("fromPortWindow");
    QTest::newRow("chosen in the port window: try again") << true;
    QTest::newRow("given with --port: the program ends") << false;
}

void TestDesktopProgram::portThatCannotOpen() {
    QFETCH(bool, fromPortWindow);
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ttyUSB9"));
    app::DesktopOptions options;
    if (!fromPortWindow) {
        options.start = app::DesktopOptions::Start::Device;
        options.device = missing;
    }
    app::DesktopProgram program(options);
    QString said;
    answerNextBox(said);
    if (fromPortWindow) {
        QVERIFY(program.start());
        program.portWindow()->findChild<QComboBox*>(QStringLiteral("Ports"))->setCurrentText(missing);
        program.portWindow()->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
        QVERIFY(program.portWindow() && program.portWindow()->isVisible());
    } else {
        QVERIFY(!program.start());
    }
    QVERIFY2(said.startsWith(QStringLiteral("No device found, try again!\n\n")), qPrintable(said));
    QVERIFY2(said.contains(missing), qPrintable(said)); // with its reason
    QVERIFY(!program.panel() || !program.panel()->isVisible());
}

// Ctrl+O opens a file as OPEN FILE does, F1 shows the version that
// --version prints, Ctrl+Q ends the program as closing the panel does.
void TestDesktopProgram::panelKeys() {
    SimulatedLink bench;
    core::MeterSession session{bench.link, bench.dialogs};
    panel::Panel panel{session, bench.dialogs, bench.printer};
    QVERIFY(panel.load());
    const auto press = [&panel](const QKeySequence& keys) {
        for (QShortcut* shortcut : panel.findChildren<QShortcut*>())
            if (shortcut->key() == keys)
                Q_EMIT shortcut->activated();
    };
    QTemporaryDir dir;
    bench.dialogs.answerFile(writeRecording(dir));
    press(QKeySequence(QStringLiteral("Ctrl+O")));
    auto* list = panel.findChild<files::FileList*>();
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->model().rowCount(), 2);

    press(QKeySequence(Qt::Key_F1));
    QVERIFY(!bench.dialogs.messages().empty());
    const auto& about = bench.dialogs.messages().back();
    QCOMPARE(about.title, QStringLiteral("About Tarnix"));
    QVERIFY2(about.text.startsWith(QStringLiteral("Tarnix " TARNIX_VERSION "\n")),
             qPrintable(about.text));
    QVERIFY(about.text.contains(QStringLiteral("Licence: ")));
    QVERIFY(about.text.contains(QStringLiteral("man tarnix-log")));

    QSignalSpy closed(&panel, &panel::Panel::closed);
    press(QKeySequence(QStringLiteral("Ctrl+Q")));
    QCOMPARE(closed.count(), 1);
}

QTEST_MAIN(TestDesktopProgram)
#include "test_desktop_program.moc"
