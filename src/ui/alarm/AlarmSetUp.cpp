#include "ui/alarm/AlarmSetUp.h"

#include "core/MeterActions.h"
#include "core/SharedState.h"
#include "meter/FunctionRange.h"
#include "platform/Dialogs.h"
#include "ui/ToolTips.h"
#include "ui/alarm/CharBox.h"
#include "ui/platform/TwipsGeometry.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace tarnix::ui {

namespace {
constexpr int InsideWidth = 3585;
constexpr int InsideHeight = 1440;
constexpr int BoxWidth = 420;
constexpr int BoxHeight = 330;
constexpr int DigitLefts[4] = {600, 1080, 1560, 2040};
const QString SignKeys = QStringLiteral("+-");
const QString DigitKeys = QStringLiteral("0123456789OLol");

// What each box and button is for, in a line.
constexpr ToolTip Tips[] = {
    {"TxtHighSign", "Sign of the high limit: + or -"},
    {"TxtHighAlarm", "A digit of the high limit (the first takes only 1); O L for overload"},
    {"TxtLowSign", "Sign of the low limit: + or -"},
    {"TxtLowAlarm", "A digit of the low limit (the first takes only 1); O L for overload"},
    {"CmdDisable", "Store both limits in the meter and turn its alarm off"},
    {"LblTimes", "What one step of the last digit is worth in this range"},
    {"CmdOK", "Store both limits in the meter and turn its alarm on"},
};

QLabel* heading(QWidget* parent, const QString& text, int left, int top, int width) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    setGeometryTwips(label, left, top, width, 300);
    return label;
}
} // namespace

AlarmSetUp::AlarmSetUp(core::SharedState& state, core::MeterActions& actions,
                       platform::Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state), m_actions(actions), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("AlarmSetUp"));
    setWindowTitle(QStringLiteral("Alarm SetUp"));
    setAttribute(Qt::WA_DeleteOnClose);

    heading(this, QStringLiteral("+/-"), 120, 0, BoxWidth);
    heading(this, QStringLiteral("HIGH ALARM"), 600, 0, 1815);
    m_high =
        makeRow("TxtHighSign", "TxtHighAlarm", 360, QStringLiteral("High Alarm value completed!"));
    heading(this, QStringLiteral("+/-"), 120, 720, BoxWidth);
    heading(this, QStringLiteral("LOW ALARM"), 600, 720, 1815);
    m_low =
        makeRow("TxtLowSign", "TxtLowAlarm", 1080, QStringLiteral("Low Alarm value completed!"));

    auto* disable = new QPushButton(QStringLiteral("DISABLE"), this);
    disable->setObjectName(QStringLiteral("CmdDisable"));
    setGeometryTwips(disable, 2520, 120, 960, 360);
    m_times = new QLabel(this);
    m_times->setObjectName(QStringLiteral("LblTimes"));
    setGeometryTwips(m_times, 2640, 600, 840, 300);
    auto* enable = new QPushButton(QStringLiteral("ENABLE"), this);
    enable->setObjectName(QStringLiteral("CmdOK"));
    setGeometryTwips(enable, 2520, 960, 960, 360);
    setToolTips(this, Tips);
    connect(disable, &QPushButton::clicked, this, [this] { write(false); });
    connect(enable, &QPushButton::clicked, this, [this] { write(true); });

    resize(sizeFromTwips(this, InsideWidth, InsideHeight));
    layOut();
    m_high.sign->setFocus();
}

AlarmSetUp::Row AlarmSetUp::makeRow(const char* signName, const char* digitName, int top,
                                    const QString& completed) {
    Row row;
    row.sign = new CharBox(SignKeys, false, this);
    row.sign->setObjectName(QString::fromLatin1(signName));
    setGeometryTwips(row.sign, 120, top, BoxWidth, BoxHeight);
    for (int i = 0; i < 4; ++i) {
        // Like a control array: four boxes of one name, told apart by their index.
        auto* box = new CharBox(DigitKeys, true, this);
        box->setObjectName(QString::fromLatin1(digitName));
        box->setProperty("index", i + 1);
        setGeometryTwips(box, DigitLefts[i], top, BoxWidth, BoxHeight);
        row.digits[std::size_t(i)] = box;
    }
    // A filled box hands the focus on; the last one says the limit is complete.
    connect(row.sign, &QLineEdit::textEdited, this, [first = row.digits[0]](const QString& t) {
        if (!t.isEmpty())
            first->setFocus();
    });
    for (int i = 0; i < 3; ++i)
        connect(row.digits[std::size_t(i)], &QLineEdit::textEdited, this,
                [next = row.digits[std::size_t(i) + 1]](const QString& t) {
                    if (!t.isEmpty())
                        next->setFocus();
                });
    connect(row.digits[3], &QLineEdit::textEdited, this, [this, completed](const QString& t) {
        if (!t.isEmpty())
            m_dialogs.messageFor(this, completed);
    });
    return row;
}

void AlarmSetUp::showEvent(QShowEvent* event) {
    layOut();
    QWidget::showEvent(event);
}

void AlarmSetUp::resizeEvent(QResizeEvent* event) {
    layOut();
    QWidget::resizeEvent(event);
}

// The resolution of the range shown now; other codes keep the last one.
void AlarmSetUp::layOut() {
    if (const auto r = core::resolutionForCode(m_state.reading.functionCode)) {
        m_step = r->step;
        m_point = r->point;
    }
    m_times->setText(core::timesText(m_step));
}

core::LimitBoxes AlarmSetUp::boxes(const Row& row) const {
    core::LimitBoxes b;
    b.sign = row.sign->text();
    for (std::size_t i = 0; i < 4; ++i)
        b.digits[i] = row.digits[i]->text();
    return b;
}

void AlarmSetUp::write(bool arm) {
    if (m_state.reading.functionText == QStringView(meter::FrequencyFunction)) {
        close();
        return;
    }
    const auto writes =
        core::alarmWrites(arm, m_state.reading.functionCode, boxes(m_high), boxes(m_low), m_point);
    QPointer<AlarmSetUp> self(this);
    setEnabled(false);
    // The writes may wait for a running poll, by which time the dialog may be gone.
    const bool started = m_actions.writeAlarmLimits(writes, [self](bool busy) {
        if (busy) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            return;
        }
        QGuiApplication::restoreOverrideCursor();
        if (self)
            self->close();
    });
    if (!started)
        setEnabled(true); // the meter is busy with another action: try again
}

} // namespace tarnix::ui
