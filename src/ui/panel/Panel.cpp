#include "ui/panel/Panel.h"

#include "link/Rs232.h"
#include "logger/LoggerHeader.h"
#include "meter/FunctionRange.h"
#include "meter/MaxMin.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "ui/AboutText.h"
#include "ui/ToolTips.h"
#include "ui/alarm/AlarmSetUp.h"
#include "ui/lists/FileList.h"
#include "ui/lists/PlotBoard.h"
#include "ui/logger/Memory.h"
#include "ui/panel/ClickableLabel.h"
#include "ui/platform/TwipsGeometry.h"
#include "ui/platform/WindowPlacement.h"
#include "ui/trend/TrendOpening.h"
#include "ui/views/LiveViews.h"
#include "ui/views/RealTimeList.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <algorithm>
#include <utility>

namespace tarnix::ui {

namespace {

const QString NoRecordingToTrend =
    QStringLiteral("No recording is running. Start one with SAVE AS, or open a data file's "
                   "trend from its list (Ctrl+T).");

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

// What each button and frame is for, in a line; a label shows its frame's.
constexpr ToolTip Tips[] = {
    {"SSPanel7", "What the meter measures"},
    {"SSPanel3", "The meter's range"},
    {"SSPanel4", "The meter's current reading; a click sends the meter \"EEE\""},
    {"SSPanel2", "The highest reading since the last reset"},
    {"SSPanel1", "The lowest reading since the last reset"},
    {"PlHigh", "The meter's high alarm limit; red while its alarm is on"},
    {"PlLow", "The meter's low alarm limit; red while its alarm is on"},
    {"SSPanel5", "How often the PC takes a reading"},
    {"SSPanel6", "When the PC took its last reading"},
    {"SSPanel8", "The file the readings are recorded to, and how many it holds"},
    {"CmdReset", "Start maximum and minimum again from the current reading"},
    {"CmdDigital", "Show the reading in large digits"},
    {"CmdAnalog", "Show the reading as a needle on a dial"},
    {"CmdList", "List the readings as the PC takes them"},
    {"CmdGraph", "Chart the latest readings of the current range"},
    {"CmdPc", "Set how often the PC takes a reading"},
    {"CmdSaveStop", "Record the readings to a file, or stop recording"},
    {"CmdOpen", "Open a file of recorded readings"},
    {"CmdAlarm", "Set the meter's high and low alarm limits"},
    {"CmdMemory", "Read the meter's logger: its settings and recorded sets"},
    {"CmdSystem", "Set the logger's clock to the PC's time"},
    {"CmdMeter", "The connected meter's model; a click works as REC MODE"},
    {"CmdBaudRate", "Change the speed of the link to the meter"},
    {"CmdUpdate", "Start or stop the recording of the meter's logger"},
};

} // namespace

Panel::Panel(core::MeterSession& session, platform::Dialogs& dialogs, platform::Printer& printer,
             QWidget* parent)
    : QWidget(parent), m_link(session.link), m_dialogs(dialogs), m_printer(printer),
      m_state(session.state), m_cycle(session.cycle), m_sampling(session.sampling),
      m_actions(session.actions) {
    setObjectName(QStringLiteral("Panel"));
    setWindowTitle(Title);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // The top-left corner of the screen, asked before the window is first
    // shown: a window manager places a window that is already up itself.
    move(0, 0);
    connect(&m_sampling, &core::SamplingClock::recordingFailed, this, [this](const QString& error) {
        m_dialogs.messageFor(this, QStringLiteral("The recording has stopped: %1").arg(error),
                             platform::MessageIcon::Critical);
    });
    m_views =
        new LiveViews({m_state, m_sampling, m_link.clock(), m_printer, m_dialogs, this}, this);
    m_sampling.setViewStep([this] { return !m_views || m_views->sampleStep(); });
    build();
    addShortcuts();
    connect(&m_state, &core::SharedState::changed, this, &Panel::showState);
    showState();
}

QLabel* Panel::addLabel(QWidget* parent, const char* name, int left, int top, int width,
                        int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    setGeometryTwips(label, left, top, width, height);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QGroupBox* Panel::addFrame(const char* name, const char* caption, int left, int top, int width,
                           int height) {
    auto* frame = new QGroupBox(QString::fromLatin1(caption), this);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setAlignment(Qt::AlignHCenter);
    setGeometryTwips(frame, left, top, width, height);
    return frame;
}

QPushButton* Panel::addButton(const char* name, const char* caption, int left, int top, int width,
                              int height) {
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    setGeometryTwips(button, left, top, width, height);
    return button;
}

namespace {

// The width `label` needs to show `text` whole: its frame, its margins, and
// the indent QLabel keeps on the side it aligns a text to.
int widthFor(QLabel* label, const QString& text) {
    label->ensurePolished();
    const QFontMetrics metrics = label->fontMetrics();
    const bool indented = label->alignment() & (Qt::AlignLeft | Qt::AlignRight);
    return metrics.horizontalAdvance(text) + (indented ? metrics.horizontalAdvance(u'x') : 0) +
           2 * label->margin() + label->width() - label->contentsRect().width();
}

} // namespace

// "Recording" and a count of seven digits (115 days at one line a second)
// keep their width in whatever font the desktop gives; the file name takes
// the rest of the row.
void Panel::fitFileNameRow() {
    QLabel *name = m_labels.fileName, *recording = m_labels.recording, *count = m_labels.count;
    const int right = count->geometry().right() + 1;
    const int countWidth = std::max(count->width(), widthFor(count, QStringLiteral(" 0000000")));
    const int recordingWidth =
        std::max(recording->width(), widthFor(recording, recording->text() + u' '));
    count->setGeometry(right - countWidth, count->y(), countWidth, count->height());
    recording->setGeometry(count->x() - recordingWidth, recording->y(), recordingWidth,
                           recording->height());
    name->resize(std::max(recording->x() - name->x(), 0), name->height());
}

// The label's font, made smaller until each of `texts` fits the label.
QFont Panel::fittingFont(QLabel* label, const QStringList& texts) const {
    const int room = label->width() - widthFor(label, QString()); // inside frame and margins
    QFont font = label->font();
    const auto fits = [&] {
        const QFontMetrics metrics(font, label);
        return std::all_of(texts.begin(), texts.end(), [&](const QString& text) {
            return metrics.horizontalAdvance(text) <= room;
        });
    };
    while (font.pointSizeF() > 5 && !fits())
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

// The port label. The logger header read's progress shows in a smaller font;
// a device path too long for the label loses its middle, and the tooltip
// gives it whole.
void Panel::showCom(const QString& text, bool progress) {
    QLabel* label = m_labels.com;
    const QFont wanted = progress ? m_progressFont : font();
    if (label->font() != wanted)
        label->setFont(wanted);
    const int room = label->width() - widthFor(label, QString());
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideMiddle, room);
    if (label->text() != shown)
        label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

// A quiet panel look: titled frames, read-outs in the theme's entry-field
// colours, and a dark value display that reads well from across the bench.
// Every colour comes with its background, both fixed or both from the
// palette, so that the texts read under a light and a dark desktop theme
// alike. The windows the panel opens take the same frames.
const char* const PanelStyle = R"(
QGroupBox { font-weight: bold; color: palette(window-text); border: 1px solid palette(mid);
            border-radius: 4px; margin-top: 6px; }
QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top center; padding: 0 4px;
                   background: palette(window); }
QGroupBox > QLabel { background: palette(base); border: 1px solid palette(mid); border-radius: 2px;
                     font-weight: normal; color: palette(text); }
QLabel#LblVal { background: #0c140c; color: #8cff8c; border: 1px solid #000000;
                border-radius: 3px; }
QLabel#LblVal[stale="true"] { color: #4f6a4f; }
QLabel#LblCom { background: palette(base); color: palette(text); border: 1px solid palette(mid);
                border-radius: 2px; }
QLabel#LblRec { background: #c00000; color: white; font-weight: bold; }
QLabel#LblRecording { background: #c00000; color: white; }
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
    m_labels.function = inside(addFrame("SSPanel7", "FUNCTION", Left, top, HalfWidth, RowHeight),
                               "LblFun", HalfWidth, RowHeight);
    m_labels.range = inside(addFrame("SSPanel3", "RANGE", RightHalf, top, HalfWidth, RowHeight),
                            "LblRan", HalfWidth, RowHeight);

    top = 585;
    constexpr int ValueHeight = 735;
    auto* valueFrame = addFrame("SSPanel4", "VALUE", Left, top, FullWidth, ValueHeight);
    m_value = new ClickableLabel(valueFrame);
    m_value->setObjectName(QStringLiteral("LblVal"));
    setGeometryTwips(m_value, 60, 190, FullWidth - 120, ValueHeight - 220);
    m_value->setAlignment(Qt::AlignCenter);
    QFont big(QStringLiteral("DejaVu Sans Mono"));
    big.setPointSize(20);
    big.setBold(true);
    m_value->setFont(big);
    m_value->setCursor(Qt::PointingHandCursor);

    top = 1365;
    m_labels.max = inside(addFrame("SSPanel2", "MAXIMUM", Left, top, HalfWidth, RowHeight),
                          "LblMax", HalfWidth, RowHeight);
    m_labels.min = inside(addFrame("SSPanel1", "MINIMUM", RightHalf, top, HalfWidth, RowHeight),
                          "LblMin", HalfWidth, RowHeight);

    top = 1890;
    m_highPanel = addFrame("PlHigh", "HIGHER", Left, top, HalfWidth, RowHeight);
    m_lowPanel = addFrame("PlLow", "LOWER", RightHalf, top, HalfWidth, RowHeight);
    m_labels.highAlarm = inside(m_highPanel, "LblHighAlarm", HalfWidth, RowHeight);
    m_labels.lowAlarm = inside(m_lowPanel, "LblLowAlarm", HalfWidth, RowHeight);

    top = 2415;
    m_labels.sampling = inside(addFrame("SSPanel5", "SAMPLING", Left, top, ThirdWidth, RowHeight),
                               "LblSam", ThirdWidth, RowHeight);
    m_labels.time = inside(addFrame("SSPanel6", "TIME", Col2, top, ThirdWidth, RowHeight),
                           "LblTime", ThirdWidth, RowHeight);
    m_labels.com = addLabel(this, "LblCom", Col3, top + 60, ThirdWidth, 240);
    m_labels.rec = addLabel(this, "LblRec", Col3, top + 300, ThirdWidth, 180);
    m_labels.rec->setText(QStringLiteral("REC"));

    top = 2940;
    auto* fileFrame = addFrame("SSPanel8", "FILE NAME", Left, top, FullWidth, RowHeight);
    m_labels.fileName = addLabel(fileFrame, "LblFileName", 60, 190, 2400, RowHeight - 220);
    m_labels.fileName->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_labels.recording = addLabel(fileFrame, "LblRecording", 2460, 190, 840, RowHeight - 220);
    m_labels.recording->setText(QStringLiteral("Recording"));
    m_labels.count = addLabel(fileFrame, "LblCount", 3300, 190, 600, RowHeight - 220);
    m_labels.count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    fitFileNameRow();
    QStringList progress;
    for (int address = 0; address < logger::HeaderLength; ++address)
        progress << logger::headerReadProgress(address);
    m_progressFont = fittingFont(m_labels.com, progress);

    // Four rows of three, then a row below the laid-out area.
    const int rows[] = {3465, 3825, 4185, 4545, HiddenRowTop};
    const int cols[] = {Left, Col2, Col3};
    Buttons& b = m_buttons;
    const struct {
        QPushButton** button;
        const char* name;
        const char* caption;
    } buttons[] = {
        {&b.reset, "CmdReset", "<--RESET-->"},
        {&b.digital, "CmdDigital", "DIGITAL"},
        {&b.analog, "CmdAnalog", "ANALOG"},
        {&b.list, "CmdList", "LIST"},
        {&b.graph, "CmdGraph", "GRAPH"},
        {&b.pc, "CmdPc", "PC SAMPLING"},
        {&b.saveStop, "CmdSaveStop", "SAVE AS"},
        {&b.open, "CmdOpen", "OPEN FILE"},
        {&b.alarm, "CmdAlarm", "ALARM"},
        {&b.memory, "CmdMemory", "LOGGER"},
        {&b.system, "CmdSystem", "TIME SET"},
        {nullptr, nullptr, nullptr},
        {&b.meter, "CmdMeter", ""},
        {&b.baudRate, "CmdBaudRate", "BAUD RATE"},
        {&b.update, "CmdUpdate", "REC MODE"},
    };
    int i = 0;
    for (const auto& entry : buttons) {
        if (entry.button)
            *entry.button = addButton(entry.name, entry.caption, cols[i % 3], rows[i / 3],
                                      ThirdWidth, ButtonHeight);
        ++i;
    }

    setToolTips(this, Tips);

    connect(b.reset, &QPushButton::clicked, this, &Panel::resetMaxMin);
    connect(m_value, &ClickableLabel::clicked, this, [this] { m_actions.pressValueKey(); });
    connect(b.update, &QPushButton::clicked, this, [this] { m_actions.pressRecMode(); });
    connect(b.meter, &QPushButton::clicked, this, [this] { m_actions.pressModelButton(); });
    connect(b.baudRate, &QPushButton::clicked, this, [this] { m_actions.changeBaudRate(); });
    connect(b.alarm, &QPushButton::clicked, this, &Panel::openAlarmSetUp);
    connect(b.pc, &QPushButton::clicked, this, &Panel::askSamplingInterval);
    connect(b.saveStop, &QPushButton::clicked, this, &Panel::saveOrStop);
    connect(b.open, &QPushButton::clicked, this, &Panel::openFile);
    connect(b.list, &QPushButton::clicked, this, &Panel::openLiveList);
    connect(b.system, &QPushButton::clicked, this, [this] { m_actions.setLoggerClock(); });
    connect(b.memory, &QPushButton::clicked, this, &Panel::readLogger);
    connect(b.digital, &QPushButton::clicked, m_views, &LiveViews::openDigital);
    connect(b.analog, &QPushButton::clicked, m_views, &LiveViews::openAnalog);
    connect(b.graph, &QPushButton::clicked, m_views, &LiveViews::showRangeChart);

    const QSize laidOut = sizeFromTwips(this, InsideWidth, InsideHeight);
    resize(laidOut);
    setMinimumSize(laidOut);
}

void Panel::showState() {
    const core::PanelTexts& t = m_state.texts;
    const auto set = [](QLabel* label, const QString& text) {
        if (label->text() != text)
            label->setText(text);
    };
    set(m_labels.function, t.function);
    set(m_labels.range, t.range);
    set(m_value, t.value);
    // A value the meter has not given again since it went silent is greyed.
    if (const bool stale = !m_state.link.readingCurrent; m_value->property("stale") != stale) {
        m_value->setProperty("stale", stale);
        m_value->style()->unpolish(m_value);
        m_value->style()->polish(m_value);
    }
    set(m_labels.max, t.max);
    set(m_labels.min, t.min);
    showCom(t.com, t.comProgress);
    set(m_labels.sampling, t.sampling);
    set(m_labels.time, t.time);
    set(m_labels.highAlarm, t.highAlarm);
    set(m_labels.lowAlarm, t.lowAlarm);
    m_labels.rec->setVisible(t.recordingShown);
    set(m_labels.fileName, t.fileName);
    set(m_labels.count, t.count);
    m_labels.recording->setVisible(t.pcRecordingShown);
    m_buttons.saveStop->setText(t.saveStopCaption);
    m_buttons.meter->setText(t.model);
    // While "No COM" shows, the buttons that would talk to the meter are off too.
    for (QPushButton* button : {m_buttons.graph, m_buttons.list, m_buttons.analog, m_buttons.pc,
                                m_buttons.meter, m_buttons.baudRate, m_buttons.update})
        button->setEnabled(t.linkButtonsEnabled);
    for (QPushButton* button : {m_buttons.memory, m_buttons.system})
        button->setEnabled(t.linkButtonsEnabled && !t.loggerBusy);
    showAlarmColour(t.alarmColour);
}

void Panel::showAlarmColour(core::AlarmColour colour) {
    if (colour == m_shownAlarmColour)
        return;
    m_shownAlarmColour = colour;
    // Pure red while the meter's alarm is armed, else the highlight-text
    // colour, with the caption on it in the colour that goes with it.
    const auto [background, caption] =
        colour == core::AlarmColour::Armed
            ? std::pair(QStringLiteral("#ff0000"), QStringLiteral("white"))
            : std::pair(QStringLiteral("palette(highlighted-text)"),
                        QStringLiteral("palette(highlight)"));
    for (QGroupBox* panel : {m_highPanel, m_lowPanel})
        panel->setStyleSheet(colour == core::AlarmColour::Unset
                                 ? QString()
                                 : QStringLiteral("QGroupBox, QGroupBox::title { background: %1; }"
                                                  " QGroupBox { color: %2; }")
                                       .arg(background, caption));
}

bool Panel::load() {
    QString why;
    if (!m_cycle.start(&why)) {
        m_dialogs.messageFor(this,
                             why.isEmpty() ? NoDevice : NoDevice + QStringLiteral("\n\n") + why);
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
    const meter::MaxMin reset = meter::resetMaxMin(m_value->text());
    m_state.texts.max = reset.max;
    m_state.texts.min = reset.min;
    m_state.show();
}

void Panel::openAlarmSetUp() {
    if (m_state.reading.functionText == QStringView(meter::FrequencyFunction))
        return;
    if (!m_alarmSetUp) // one already open comes forward with what was typed in it
        m_alarmSetUp = new AlarmSetUp(m_state, m_actions, m_dialogs, this);
    bringForward(m_alarmSetUp);
}

ListContext Panel::listContext() {
    if (!m_plots)
        m_plots = new PlotBoard(m_dialogs, m_printer, this);
    return {m_state.data, m_dialogs, m_printer, m_link.clock(), &m_cycle.timer(), m_plots};
}

void Panel::openFile() {
    // OPEN FILE ends a running recording, even when its dialog is then
    // cancelled; the file name's tooltip says so until the next SAVE AS.
    if (m_state.data.pcRecording) {
        const qint64 lines = m_state.data.recordCount;
        const QString ended = QStringLiteral("OPEN FILE ended the recording to %1 after %2 %3")
                                  .arg(m_state.texts.fileName)
                                  .arg(lines)
                                  .arg(lines == 1 ? u"line" : u"lines");
        m_sampling.stopRecording();
        m_labels.fileName->setToolTip(ended);
    }
    // The filter the record button's dialog set last stays in force.
    const QString filter =
        m_state.data.lastFilter.isEmpty() ? records::DataFileFilter : m_state.data.lastFilter;
    const QString path = m_dialogs.openFileName(filter);
    if (!path.isEmpty())
        openDataFile(path);
}

void Panel::openDataFile(const QString& path) {
    // The list shown so far goes only once the new one has loaded: a cancel keeps it.
    QPointer<FileList> list = new FileList(listContext(), this);
    // Placed before it shows, so that a box it shows at once (lines that
    // were not records, a file it cannot read) stands over it even before
    // the window manager has placed it.
    placeClear(list, this,
               {m_fileList, m_liveList, m_memory, m_views->digital(), m_views->analog(),
                m_views->chart()});
    list->show();
    if (!list->load(path)) {
        if (list)
            list->close();
        return;
    }
    if (m_fileList)
        m_fileList->close();
    m_fileList = list;
}

// The keys a desktop user tries first: open, quit, about.
void Panel::addShortcuts() {
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this, [this] {
        if (m_buttons.open->isEnabled())
            openFile();
    });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this,
            &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            [this] { showAbout(m_dialogs, this); });
    addTrendEntry(this, QStringLiteral("Trend of the Recording"), [this] {
        if (m_state.data.pcRecording)
            openTrend({m_state.data.dataFileName}, m_dialogs, m_printer, m_link.clock(), this);
        else
            m_dialogs.messageFor(this, NoRecordingToTrend, platform::MessageIcon::Information);
    });
}

void Panel::openLiveList() {
    if (m_liveList)
        m_liveList->close(); // a new list starts empty
    m_liveList = new RealTimeList(listContext(), this);
    connect(&m_sampling, &core::SamplingClock::sampleTaken, m_liveList,
            [list = m_liveList.data(), this](const QDateTime& at) {
                list->addSample(at, m_state.reading);
            });
    m_liveList->show();
}

Memory* Panel::memoryWindow() const {
    return m_memory;
}

// LOGGER: the header, then a fresh Memory window with the logger's status and sets.
void Panel::readLogger() {
    if (m_actions.refusedWhileRecording())
        return;
    if (m_memory)
        m_memory->close();
    m_actions.readLoggerHeader(
        [this](const std::array<std::uint8_t, logger::HeaderLength>& header) {
            // Shown once the wire is free: its lists write their entries as they appear.
            m_memory = new Memory(logger::decodeHeader(header), m_link.clock().now().date().year(),
                                  m_state, m_actions, listContext(), this);
            m_memory->show();
        });
}

void Panel::askSamplingInterval() {
    const int current = m_state.texts.samplingSeconds;
    const QString answer =
        m_dialogs.input(core::samplingPrompt(), QStringLiteral("Input Sampling Time"),
                        current > 0 ? QString::number(current) : QString());
    if (const auto seconds = core::parseSamplingAnswer(answer))
        m_sampling.setInterval(*seconds);
}

void Panel::saveOrStop() {
    m_labels.fileName->setToolTip(QString()); // the frame's own tooltip again
    if (m_state.data.pcRecording) {
        m_sampling.stopRecording();
        return;
    }
    m_state.data.lastFilter = records::DataFileFilter;
    const QString path = m_dialogs.saveFileName(records::DataFileFilter);
    if (path.isEmpty() || path.section(u'/', -1).isEmpty())
        return;
    QString error;
    if (!m_sampling.startRecording(path, &error))
        m_dialogs.messageFor(this, QStringLiteral("The recording did not start: %1").arg(error),
                             platform::MessageIcon::Critical);
}

} // namespace tarnix::ui
