#include "ui/panel/Panel.h"

#include "ui/alarm/AlarmSetUp.h"
#include "ui/lists/FileList.h"
#include "ui/lists/PlotBoard.h"
#include "link/Commands.h"
#include "logger/LoggerSession.h"
#include "ui/logger/Memory.h"
#include "logger/SettingsWrites.h"
#include "link/Rs232.h"
#include "link/Speeds.h"
#include "meter/FunctionRange.h"
#include "meter/LeadingNumber.h"
#include "ui/panel/ClickableLabel.h"
#include "core/MaxMin.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/SerialPort.h"
#include "ui/platform/TwipsGeometry.h"
#include "ui/views/LiveViews.h"
#include "ui/views/RealTimeList.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace tarnix::panel {

namespace {

// The window's inside as laid out, in twips.
constexpr int InsideWidth = 4080;
constexpr int InsideHeight = 4920;
// Below the laid-out area: not seen at that size, reached with the keyboard.
constexpr int HiddenRowTop = 5760;

const QString Title = QStringLiteral("Panel   V5.7");
const QString NoDevice = QStringLiteral("No device found, try again!");

// Frame rows and the three button columns.
constexpr int Left = 60, FullWidth = 3960, HalfWidth = 1935, RightHalf = 2085;
constexpr int ThirdWidth = 1290, Col2 = 1395, Col3 = 2730;
constexpr int RowHeight = 480, ButtonHeight = 330;

} // namespace

Panel::Panel(link::Rs232& link, platform::Dialogs& dialogs, platform::Printer& printer,
             QWidget* parent)
    : QWidget(parent), m_link(link), m_dialogs(dialogs), m_printer(printer),
      m_cycle(m_state, link, this),
      m_sampling(m_state, link.clock(), this), m_actions(m_state, m_cycle, link, dialogs) {
    setObjectName(QStringLiteral("Panel"));
    setWindowTitle(Title);
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_cycle.setParent(this);
    m_sampling.setParent(this);
    // The link restart shows "2 sec" again: sampling goes on at that interval.
    connect(&m_cycle, &core::PollingCycle::linkBack, &m_sampling, &core::SamplingClock::restart);
    connect(&m_sampling, &core::SamplingClock::recordingFailed, this, [this](const QString& error) {
        m_dialogs.message(QStringLiteral("The recording has stopped: %1").arg(error),
                          platform::MessageIcon::Critical);
    });
    m_views = new views::LiveViews({m_state, m_sampling, m_link.clock(), m_printer, m_dialogs, this},
                                   this);
    m_sampling.setViewStep([this] { return !m_views || m_views->sampleStep(); });
    build();
    connect(&m_state, &core::SharedState::changed, this, &Panel::showState);
    showState();
}

Panel::~Panel() {
    // The child windows go first: they read the state and the link.
    delete m_fileList;
    delete m_liveList;
    delete m_alarmSetUp;
    delete m_memory;
    delete m_views;
    m_views = nullptr;
}

QLabel* Panel::addLabel(QWidget* parent, const char* name, int left, int top, int width,
                        int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    platform::setGeometryTwips(label, left, top, width, height);
    label->setAlignment(Qt::AlignCenter);
    m_labels.insert(label->objectName(), label);
    return label;
}

QGroupBox* Panel::addFrame(const char* name, const char* caption, int left, int top, int width,
                           int height) {
    auto* frame = new QGroupBox(QString::fromLatin1(caption), this);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setAlignment(Qt::AlignHCenter);
    platform::setGeometryTwips(frame, left, top, width, height);
    return frame;
}

QPushButton* Panel::addButton(const char* name, const char* caption, int left, int top,
                              int width, int height) {
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    platform::setGeometryTwips(button, left, top, width, height);
    m_buttons.insert(button->objectName(), button);
    return button;
}

// A quiet panel look: titled frames, white read-outs, and a dark value
// display that reads well from across the bench.
const char* const PanelStyle = R"(
QGroupBox { font-weight: bold; color: #404040; border: 1px solid #b0b0b0;
            border-radius: 4px; margin-top: 6px; }
QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top center; padding: 0 4px;
                   background: palette(window); }
QGroupBox > QLabel { background: white; border: 1px solid #c8c8c8; border-radius: 2px;
                     font-weight: normal; color: black; }
QLabel#LblVal { background: #0c140c; color: #8cff8c; border: 1px solid #000000;
                border-radius: 3px; }
QLabel#LblCom { background: white; border: 1px solid #c8c8c8; border-radius: 2px; }
)";

void Panel::build() {
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);
    setStyleSheet(QString::fromLatin1(PanelStyle));

    // A label filling the inside of a frame below its caption.
    const auto inside = [this](QGroupBox* frame, const char* name, int width, int height) {
        return addLabel(frame, name, 60, 190, width - 120, height - 220);
    };

    int top = 60;
    inside(addFrame("SSPanel7", "FUNCTION", Left, top, HalfWidth, RowHeight), "LblFun", HalfWidth,
           RowHeight);
    inside(addFrame("SSPanel3", "RANGE", RightHalf, top, HalfWidth, RowHeight), "LblRan",
           HalfWidth, RowHeight);

    top = 585;
    constexpr int ValueHeight = 735;
    auto* valueFrame = addFrame("SSPanel4", "VALUE", Left, top, FullWidth, ValueHeight);
    m_value = new ClickableLabel(valueFrame);
    m_value->setObjectName(QStringLiteral("LblVal"));
    platform::setGeometryTwips(m_value, 60, 190, FullWidth - 120, ValueHeight - 220);
    m_value->setAlignment(Qt::AlignCenter);
    QFont big(QStringLiteral("DejaVu Sans Mono"));
    big.setPointSize(20);
    big.setBold(true);
    m_value->setFont(big);
    m_value->setCursor(Qt::PointingHandCursor);
    m_labels.insert(m_value->objectName(), m_value);

    top = 1365;
    inside(addFrame("SSPanel2", "MAXIMUM", Left, top, HalfWidth, RowHeight), "LblMax", HalfWidth,
           RowHeight);
    inside(addFrame("SSPanel1", "MINIMUM", RightHalf, top, HalfWidth, RowHeight), "LblMin",
           HalfWidth, RowHeight);

    top = 1890;
    for (auto* alarmPanel : {addFrame("PlHigh", "HIGHER", Left, top, HalfWidth, RowHeight),
                             addFrame("PlLow", "LOWER", RightHalf, top, HalfWidth, RowHeight)}) {
        alarmPanel->setAutoFillBackground(true);
        inside(alarmPanel, alarmPanel->objectName() == u"PlHigh" ? "LblHighAlarm" : "LblLowAlarm",
               HalfWidth, RowHeight);
    }

    top = 2415;
    inside(addFrame("SSPanel5", "SAMPLING", Left, top, ThirdWidth, RowHeight), "LblSam",
           ThirdWidth, RowHeight);
    inside(addFrame("SSPanel6", "TIME", Col2, top, ThirdWidth, RowHeight), "LblTime", ThirdWidth,
           RowHeight);
    addLabel(this, "LblCom", Col3, top + 60, ThirdWidth, 240);
    auto* rec = addLabel(this, "LblRec", Col3, top + 300, ThirdWidth, 180);
    rec->setText(QStringLiteral("REC"));
    rec->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));

    top = 2940;
    auto* fileFrame = addFrame("SSPanel8", "FILE NAME", Left, top, FullWidth, RowHeight);
    addLabel(fileFrame, "LblFileName", 60, 190, 2400, RowHeight - 220)
        ->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* recording = addLabel(fileFrame, "LblRecording", 2460, 190, 840, RowHeight - 220);
    recording->setText(QStringLiteral("Recording"));
    recording->setStyleSheet(QStringLiteral("color: #c00000;"));
    addLabel(fileFrame, "LblCount", 3300, 190, 600, RowHeight - 220)
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    const int rows[] = {3465, 3825, 4185, 4545};
    const int cols[] = {Left, Col2, Col3};
    const struct {
        const char* name;
        const char* caption;
    } buttons[] = {
        {"CmdReset", "<--RESET-->"}, {"CmdDigital", "DIGITAL"},   {"CmdAnalog", "ANALOG"},
        {"CmdList", "LIST"},         {"CmdGraph", "GRAPH"},       {"CmdPc", "PC SAMPLING"},
        {"CmdSaveStop", "SAVE AS"},  {"CmdOpen", "OPEN FILE"},    {"CmdAlarm", "ALARM"},
        {"CmdMemory", "LOGGER"},     {"CmdSystem", "TIME SET"},
    };
    int i = 0;
    for (const auto& b : buttons) {
        addButton(b.name, b.caption, cols[i % 3], rows[i / 3], ThirdWidth, ButtonHeight);
        ++i;
    }
    addButton("CmdMeter", "", Left, HiddenRowTop, ThirdWidth, ButtonHeight);
    addButton("CmdBaudRate", "BAUD RATE", Col2, HiddenRowTop, ThirdWidth, ButtonHeight);
    addButton("CmdUpdate", "REC MODE", Col3, HiddenRowTop, ThirdWidth, ButtonHeight);

    connect(m_buttons[QStringLiteral("CmdReset")], &QPushButton::clicked, this, &Panel::resetMaxMin);
    connect(m_value, &ClickableLabel::clicked, this, &Panel::valueClicked);
    connect(m_buttons[QStringLiteral("CmdUpdate")], &QPushButton::clicked, this, &Panel::recMode);
    connect(m_buttons[QStringLiteral("CmdMeter")], &QPushButton::clicked, this,
            &Panel::modelClicked);
    connect(m_buttons[QStringLiteral("CmdBaudRate")], &QPushButton::clicked, this,
            &Panel::changeBaudRate);
    connect(m_buttons[QStringLiteral("CmdAlarm")], &QPushButton::clicked, this,
            &Panel::openAlarmSetUp);
    connect(m_buttons[QStringLiteral("CmdPc")], &QPushButton::clicked, this,
            &Panel::askSamplingInterval);
    connect(m_buttons[QStringLiteral("CmdSaveStop")], &QPushButton::clicked, this,
            &Panel::saveOrStop);
    connect(m_buttons[QStringLiteral("CmdOpen")], &QPushButton::clicked, this, &Panel::openFile);
    connect(m_buttons[QStringLiteral("CmdList")], &QPushButton::clicked, this,
            &Panel::openLiveList);
    connect(m_buttons[QStringLiteral("CmdSystem")], &QPushButton::clicked, this,
            &Panel::setLoggerClock);
    connect(m_buttons[QStringLiteral("CmdMemory")], &QPushButton::clicked, this,
            &Panel::readLogger);
    connect(m_buttons[QStringLiteral("CmdDigital")], &QPushButton::clicked, m_views,
            &views::LiveViews::openDigital);
    connect(m_buttons[QStringLiteral("CmdAnalog")], &QPushButton::clicked, m_views,
            &views::LiveViews::openAnalog);
    connect(m_buttons[QStringLiteral("CmdGraph")], &QPushButton::clicked, m_views,
            &views::LiveViews::showRangeChart);

    const QSize laidOut = platform::sizeFromTwips(this, InsideWidth, InsideHeight);
    resize(laidOut);
    setMinimumSize(laidOut);
}

void Panel::showState() {
    const core::PanelTexts& t = m_state.texts;
    const auto set = [this](const char* name, const QString& text) {
        if (QLabel* label = m_labels.value(QString::fromLatin1(name)); label && label->text() != text)
            label->setText(text);
    };
    set("LblFun", t.function);
    set("LblRan", t.range);
    set("LblVal", t.value);
    set("LblMax", t.max);
    set("LblMin", t.min);
    set("LblCom", t.com);
    set("LblSam", t.sampling);
    set("LblTime", t.time);
    set("LblHighAlarm", t.highAlarm);
    set("LblLowAlarm", t.lowAlarm);
    m_labels[QStringLiteral("LblRec")]->setVisible(t.recordingShown);
    set("LblFileName", t.fileName);
    set("LblCount", t.count);
    m_labels[QStringLiteral("LblRecording")]->setVisible(t.pcRecordingShown);
    m_buttons[QStringLiteral("CmdSaveStop")]->setText(t.saveStopCaption);
    m_buttons[QStringLiteral("CmdMeter")]->setText(t.model);
    for (const char* name : {"CmdGraph", "CmdList", "CmdAnalog", "CmdPc"})
        m_buttons[QString::fromLatin1(name)]->setEnabled(t.linkButtonsEnabled);
    for (const char* name : {"CmdMemory", "CmdSystem"})
        m_buttons[QString::fromLatin1(name)]->setEnabled(t.linkButtonsEnabled && !t.loggerBusy);
    showAlarmColour(t.alarmColour);
}

void Panel::showAlarmColour(core::AlarmColour colour) {
    if (colour == m_shownAlarmColour)
        return;
    m_shownAlarmColour = colour;
    // Pure red while the meter's alarm is armed, else the highlight-text colour.
    const QColor background = colour == core::AlarmColour::Armed
                                  ? QColor(255, 0, 0)
                                  : palette().color(QPalette::HighlightedText);
    for (const char* name : {"PlHigh", "PlLow"}) {
        auto* panel = findChild<QGroupBox*>(QString::fromLatin1(name));
        panel->setStyleSheet(colour == core::AlarmColour::Unset
                                 ? QString()
                                 : QStringLiteral("QGroupBox { background: %1; }")
                                       .arg(background.name()));
    }
}

bool Panel::load() {
    move(0, 0);
    QString why;
    if (!m_cycle.start(&why)) {
        m_dialogs.message(why.isEmpty() ? NoDevice : NoDevice + QStringLiteral("\n\n") + why);
        return false;
    }
    m_sampling.timer().start();
    return true;
}

void Panel::closeEvent(QCloseEvent* event) {
    // Ends every wait of a running exchange, so the program cannot hang in one.
    m_cycle.timer().stop();
    m_sampling.timer().stop();
    if (m_state.data.pcRecording)
        m_sampling.stopRecording();
    m_link.clock().stop();
    event->accept();
    Q_EMIT closed();
}

void Panel::resetMaxMin() {
    const core::MaxMin reset = core::resetMaxMin(m_value->text());
    m_state.texts.max = reset.max;
    m_state.texts.min = reset.min;
    m_state.show();
}

void Panel::valueClicked() { m_actions.pressValueKey(); }

void Panel::recMode() { m_actions.pressRecMode(); }

void Panel::modelClicked() { m_actions.pressModelButton(); }

void Panel::changeBaudRate() { m_actions.changeBaudRate(); }

void Panel::openAlarmSetUp() {
    if (m_state.reading.functionText == QStringView(meter::FrequencyFunction))
        return;
    if (m_alarmSetUp)
        m_alarmSetUp->close();
    m_alarmSetUp = new alarm::AlarmSetUp(m_state, m_cycle, m_link, m_dialogs, this);
    m_alarmSetUp->show();
}

files::ListContext Panel::listContext() {
    if (!m_plots)
        m_plots = new files::PlotBoard(m_dialogs, m_printer, this);
    return {m_state.data, m_dialogs, m_printer, m_link.clock(), &m_cycle.timer(), m_plots};
}

void Panel::openFile() {
    if (m_state.data.pcRecording)
        m_sampling.stopRecording();
    // The filter the record button's dialog set last stays in force.
    const QString filter =
        m_state.data.lastFilter.isEmpty() ? files::DataFileFilter : m_state.data.lastFilter;
    const QString path = m_dialogs.openFileName(filter);
    if (path.isEmpty())
        return;
    if (m_fileList)
        m_fileList->close();
    m_fileList = new files::FileList(listContext(), this);
    m_fileList->show();
    m_fileList->load(path);
}

void Panel::openLiveList() {
    if (m_liveList)
        m_liveList->close(); // a new list starts empty
    m_liveList = new views::RealTimeList(listContext(), this);
    connect(&m_sampling, &core::SamplingClock::sampleTaken, m_liveList,
            [list = m_liveList.data(), this](const QDateTime& at) {
                list->addSample(at, m_state.reading);
            });
    m_liveList->show();
}

void Panel::setLoggerClock() { m_actions.setLoggerClock(); }

logger::Memory* Panel::memoryWindow() const { return m_memory; }

// LOGGER: the header, then a fresh Memory window with the logger's status and sets.
void Panel::readLogger() {
    if (m_state.link.recordingFlag) {
        m_actions.refusedWhileRecording();
        return;
    }
    if (m_memory)
        m_memory->close();
    m_actions.readLoggerHeader([this](const std::array<std::uint8_t, logger::HeaderLength>& header) {
        // Shown once the wire is free: its lists write their entries as they appear.
        m_memory = new logger::Memory(logger::decodeHeader(header),
                                      m_link.clock().now().date().year(), m_state, m_actions,
                                      listContext(), this);
        m_memory->show();
    });
}

void Panel::askSamplingInterval() {
    const int current = int(meter::leadingNumber(m_state.texts.sampling));
    const QString answer = m_dialogs.input(core::samplingPrompt(),
                                           QStringLiteral("Input Sampling Time"),
                                           current > 0 ? QString::number(current) : QString());
    if (const auto seconds = core::parseSamplingAnswer(answer))
        m_sampling.setInterval(*seconds);
}

void Panel::saveOrStop() {
    if (m_state.data.pcRecording) {
        m_sampling.stopRecording();
        return;
    }
    m_state.data.lastFilter = files::DataFileFilter;
    const QString path = m_dialogs.saveFileName(files::DataFileFilter);
    if (path.isEmpty() || path.section(u'/', -1).isEmpty())
        return;
    QString error;
    if (!m_sampling.startRecording(path, &error))
        m_dialogs.message(error, platform::MessageIcon::Critical);
}

} // namespace tarnix::panel
