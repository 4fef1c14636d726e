#include "ui/logger/Memory.h"

#include "core/LoggerDownload.h"
#include "core/MeterActions.h"
#include "core/SharedState.h"
#include "logger/MemoryDump.h"
#include "platform/Dialogs.h"
#include "ui/logger/DataList.h"
#include "ui/ToolTips.h"
#include "ui/platform/TwipsGeometry.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace tarnix::ui {

namespace {
const QString Wait = QStringLiteral("Wait");

// What each button, frame, field and list is for, in a line.
constexpr ToolTip Tips[] = {
    {"SSPanel1", "How many times the logger's memory has been written"},
    {"CmdIdCode", "Store the identification code in the meter"},
    {"TxtIdCode", "The meter's identification code, 0 to 65535"},
    {"CmdSampleRate", "Store the logging interval in the meter"},
    {"TxtSampleRate", "Seconds between the logger's readings, kept in steps of 0.4 s"},
    {"SSPanel2", "The size of the logger's memory"},
    {"SSPanel3", "How many failures the logger has counted"},
    {"SSPanel4", "How many times the range changed while the logger recorded"},
    {"SSPanel5", "The logger's clock when it was read"},
    {"CmdRecordingMode", "How the logger records: Normal, Max or Min"},
    {"ComboRecordingMode", "Choose how the logger records; the choice is stored at once"},
    {"SSPanel6", "The link speed stored in the meter"},
    {"ComboBaudRate", "Choose the meter's link speed; the choice is stored at once"},
    {"CmdCancel", "Stop the download"},
    {"Grid", "The recorded sets; click one to download and list it"},
};

QLabel* framedLabel(QWidget* window, const char* frameName, const char* caption,
                    const char* labelName, int left, int top, int width, int height) {
    auto* frame = new QGroupBox(QString::fromLatin1(caption), window);
    frame->setObjectName(QString::fromLatin1(frameName));
    frame->setAlignment(Qt::AlignHCenter);
    setGeometryTwips(frame, left, top, width, height);
    auto* label = new QLabel(frame);
    label->setObjectName(QString::fromLatin1(labelName));
    label->setAlignment(Qt::AlignCenter);
    setGeometryTwips(label, 60, 220, width - 120, height - 270);
    return label;
}
} // namespace

Memory::Memory(const logger::LoggerHeader& header, int pcYear, core::SharedState& state,
               core::MeterActions& actions, const ListContext& lists, QWidget* parent)
    : QWidget(parent, Qt::Window), m_header(header), m_year(pcYear), m_state(state),
      m_actions(actions), m_lists(lists) {
    setObjectName(QStringLiteral("Memory"));
    setWindowTitle(QStringLiteral("Logger"));
    setAttribute(Qt::WA_DeleteOnClose);
    setStyleSheet(
        QStringLiteral("QGroupBox { font-weight: normal; }")); // captions fit their frames
    build();
    fill();
}

Memory::~Memory() = default;

DataList* Memory::dataList() const {
    return m_dataList;
}

void Memory::build() {
    m_writeCounts = framedLabel(this, "SSPanel1", "Write", "LblWriteCounts", 60, 60, 1800, 480);
    const auto button = [this](const char* name, const char* caption, int top) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        setGeometryTwips(b, 60, top, 1800, 330);
        return b;
    };
    const auto field = [this](const char* name, int top) {
        auto* f = new QLineEdit(this);
        f->setObjectName(QString::fromLatin1(name));
        setGeometryTwips(f, 1920, top, 1200, 330);
        return f;
    };
    m_idButton = button("CmdIdCode", "Id Code", 600);
    m_idCode = field("TxtIdCode", 600);
    m_rateButton = button("CmdSampleRate", "Sampling Rate", 990);
    m_sampleRate = field("TxtSampleRate", 990);
    m_memorySize =
        framedLabel(this, "SSPanel2", "Memory Size", "LblMemorySize", 60, 1380, 1500, 480);
    m_failCounts =
        framedLabel(this, "SSPanel3", "Fail Counts", "LblFailCounts", 1620, 1380, 1500, 480);
    m_rangeChanges =
        framedLabel(this, "SSPanel4", "Range Ch", "LblRangeChanges", 60, 1920, 960, 480);
    m_clock = framedLabel(this, "SSPanel5", "Time of Meter", "LblTime", 1080, 1920, 2100, 480);

    const auto list = [this](const char* frameName, const char* caption, const char* name, int left,
                             const QStringList& entries) {
        auto* frame = new QGroupBox(QString::fromLatin1(caption), this);
        frame->setObjectName(QString::fromLatin1(frameName));
        frame->setAlignment(Qt::AlignHCenter);
        setGeometryTwips(frame, left, 2460, 1500, 600);
        auto* combo = new QComboBox(frame);
        combo->setObjectName(QString::fromLatin1(name));
        combo->addItems(entries);
        combo->setCurrentIndex(-1); // no selection until the header preselects one
        setGeometryTwips(combo, 60, 230, 1380, 320);
        return combo;
    };
    QStringList modes;
    for (const char16_t* name : logger::RecordingModeNames)
        modes << QString::fromUtf16(name);
    QStringList bauds;
    for (const int baud : logger::BaudRateEntries)
        bauds << QString::number(baud);
    m_recordingMode = list("CmdRecordingMode", "Rec Mode", "ComboRecordingMode", 60, modes);
    m_baudRate = list("SSPanel6", "Baud Rate", "ComboBaudRate", 1620, bauds);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("LblMessage"));
    setGeometryTwips(m_message, 60, 3120, 2000, 330);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CmdCancel"));
    setGeometryTwips(m_cancel, 2160, 3120, 960, 330);
    m_cancel->hide();

    m_grid = new QTableWidget(0, 4, this);
    m_grid->setObjectName(QStringLiteral("Grid"));
    m_grid->setHorizontalHeaderLabels({QString(), QStringLiteral("Function"),
                                       QStringLiteral("   Range   "), QStringLiteral("  Rec.s  ")});
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    const QFontMetrics metrics(font());
    const char* templates[] = {" 00 ", " Function ", " 200K OHM", " 65535 "};
    for (int c = 0; c < 4; ++c)
        m_grid->setColumnWidth(c, metrics.horizontalAdvance(QString::fromLatin1(templates[c])) + 8);
    setGeometryTwips(m_grid, 3300, 60, 3840, 3390);
    resize(sizeFromTwips(this, 7200, 3570));

    setToolTips(this, Tips);

    connect(m_idButton, &QPushButton::clicked, this,
            [this] { writeSettings(logger::idCodeWrites(QStringView(m_idCode->text())), false); });
    connect(m_rateButton, &QPushButton::clicked, this, [this] {
        writeSettings(logger::sampleRateWrites(QStringView(m_sampleRate->text())), false);
    });
    connect(m_recordingMode, &QComboBox::currentIndexChanged, this, [this](int entry) {
        if (const auto w = logger::recordingModeWrite(entry))
            writeSettings(logger::ByteWrites{*w}, true);
    });
    connect(m_baudRate, &QComboBox::currentIndexChanged, this, [this](int entry) {
        if (entry < 0)
            return;
        if (const auto w = logger::baudSettingWrite(logger::BaudRateEntries[entry]))
            writeSettings(logger::ByteWrites{*w}, true);
    });
    connect(m_grid, &QTableWidget::cellClicked, this,
            [this](int row, int) { downloadSet(row + 1); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
}

void Memory::fill() {
    m_writeCounts->setText(QString::number(m_header.writeCount));
    m_memorySize->setText(logger::memorySizeText(m_header.memorySizeK));
    m_clock->setText(clockText(m_header.clock, logger::yearDigits(m_year)));
    m_rangeChanges->setText(QString::number(m_header.rangeChanges));
    m_failCounts->setText(QString::number(m_header.failCount));
    m_idCode->setText(QString::number(m_header.idCode));
    m_sampleRate->setText(logger::intervalText(m_header.intervalUnits));
    m_grid->setRowCount(int(m_header.sets.size()));
    for (int r = 0; r < int(m_header.sets.size()); ++r) {
        const logger::RecordSet& s = m_header.sets[std::size_t(r)];
        int c = 0; // the cells walked as they stand: no count to run past them
        for (const QString& cell : {QString::number(s.number), s.function, s.range, s.countText()})
            m_grid->setItem(r, c++, new QTableWidgetItem(cell));
    }
    m_grid->setEnabled(!m_header.sets.empty());
}

// The lists take the header's entries; a changed entry writes itself to the
// meter like a choice of the user's.
void Memory::preselectLists() {
    if (m_downloading)
        return;
    m_recordingMode->setCurrentIndex(std::clamp(m_header.recordingMode, 0, 2));
    const int baud = logger::baudRateOfCode(m_header.baudCode);
    for (int i = 0; i < 4; ++i)
        if (logger::BaudRateEntries[i] == baud)
            m_baudRate->setCurrentIndex(i);
}

// Once, when the window first appears: a resize or a restore from the task
// bar must not write the header's entries to the meter again.
void Memory::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (std::exchange(m_preselected, true))
        return;
    preselectLists();
}

void Memory::closeEvent(QCloseEvent* event) {
    m_cancelRequested = true; // a running download ends at its next look at the port
    event->accept();
    Q_EMIT closed();
}

void Memory::writeSettings(const std::optional<logger::ByteWrites>& writes, bool flushFirst) {
    if (m_actions.refusesSettingsChange(writes, this))
        return;
    // The settings stay off until this write is done, also while it waits for
    // a running poll: a second change cannot overtake or be lost.
    QPointer<Memory> self(this);
    setSettingsEnabled(false);
    const bool started = m_actions.writeLoggerSettings(*writes, flushFirst, [self](bool busy) {
        if (!self)
            return;
        self->m_message->setText(busy ? Wait : QString());
        if (!busy)
            self->setSettingsEnabled(true);
    });
    if (!started)
        setSettingsEnabled(true);
}

void Memory::setSettingsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_idButton, m_idCode, m_rateButton,
                                                      m_sampleRate, m_recordingMode, m_baudRate})
        w->setEnabled(enabled);
}

void Memory::setControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_grid, m_idButton, m_rateButton,
                                                      m_recordingMode, m_baudRate})
        w->setEnabled(enabled);
    m_cancel->setVisible(!enabled);
}

// The end of a download: what came is listed, and an early end said.
void Memory::listDownload(const logger::DumpResult& result, const logger::RecordSet& set,
                          int number) {
    m_message->clear();
    m_downloading = false;
    setControlsEnabled(true);
    const core::DownloadOutcome outcome = core::downloadOutcome(result, set, m_year);
    if (outcome.records) {
        m_dataList = new DataList(m_lists, parentWidget());
        m_dataList->show();
        m_dataList->listSet(*outcome.records, number);
    }
    if (!outcome.warning.isEmpty())
        m_lists.dialogs.messageFor(this, outcome.warning, platform::MessageIcon::Exclamation);
}

void Memory::downloadSet(int number) {
    if (m_downloading || !m_header.set(number))
        return;
    if (m_actions.refusedWhileRecording())
        return;
    // One DataList at a time: also one an earlier LOGGER's window left open.
    if (m_dataList)
        m_dataList->close();
    if (QWidget* owner = parentWidget())
        for (DataList* list : owner->findChildren<DataList*>(Qt::FindDirectChildrenOnly))
            list->close();
    const logger::RecordSet set = *m_header.set(number);
    QPointer<Memory> self(this);
    m_downloading = true;
    m_cancelRequested = false;
    setControlsEnabled(false);
    // The dump may wait for a running poll, by which time the window may be gone.
    const bool started = m_actions.fetchLoggerDump(
        [this, self](qint64 received) {
            if (!self || m_cancelRequested)
                return false;
            m_message->setText(logger::dumpProgress(received));
            return true;
        },
        [this, self, set, number](const logger::DumpResult& result) {
            if (self)
                listDownload(result, set, number);
        });
    if (!started) {
        m_downloading = false;
        setControlsEnabled(true);
    }
}

} // namespace tarnix::ui
