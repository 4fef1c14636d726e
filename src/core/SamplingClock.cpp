#include "core/SamplingClock.h"

#include "core/SharedState.h"
#include "records/DataRecord.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cmath>

namespace tarnix::core {

namespace {
constexpr int TickInterval = 950; // ms
constexpr int MaxInterval = 86400;
} // namespace

SamplingClock::SamplingClock(SharedState& state, platform::Clock& clock, QObject* parent)
    : QObject(parent), m_state(state), m_clock(clock) {
    m_timer.setParent(this); // found by name from the window
    m_timer.setObjectName(QStringLiteral("Timer2"));
    m_timer.setInterval(TickInterval);
    connect(&m_timer, &QTimer::timeout, this, &SamplingClock::tick);
}

void SamplingClock::setInterval(int seconds) {
    m_state.texts.sampling = samplingText(seconds);
    m_state.texts.samplingSeconds = seconds;
    m_count = 0;
    m_state.show();
}

bool SamplingClock::startRecording(const QString& path, QString* error) {
    records::DataChannel& data = m_state.data;
    if (!data.recording.open(path, error))
        return false;
    data.dataFileName = path;
    data.pcRecording = true;
    data.recordCount = 0;
    PanelTexts& t = m_state.texts;
    t.fileName = path.section(u'/', -1);
    t.saveStopCaption = QStringLiteral("STOP REC");
    t.pcRecordingShown = true;
    m_state.show();
    return true;
}

void SamplingClock::stopRecording() {
    records::DataChannel& data = m_state.data;
    data.pcRecording = false;
    data.recordCount = 0;
    data.recording.close();
    PanelTexts& t = m_state.texts;
    t.saveStopCaption = QStringLiteral("SAVE AS");
    t.pcRecordingShown = false;
    t.count.clear();
    m_state.show();
}

void SamplingClock::tick() {
    const int interval = m_state.texts.samplingSeconds;
    if (m_count != 0 && m_count != interval) {
        m_count += 1;
        return;
    }
    const QDateTime now = m_clock.now();
    m_state.texts.time = now.time().toString(QStringLiteral("HH:mm:ss"));
    records::DataChannel& data = m_state.data;
    // A line claims a measurement: none is written while the meter is
    // silent, nor before it has shown a function the code table knows.
    if (data.pcRecording && m_state.link.readingCurrent &&
        !m_state.reading.functionText.isEmpty()) {
        ++data.recordCount;
        const auto fields =
            records::sampleRecord(data.recordCount, now, m_state.reading.functionText,
                                m_state.reading.rangeText, m_state.reading.value.text());
        QString error;
        if (data.recording.appendLine(fields, &error)) {
            m_state.texts.count = u' ' + QString::number(data.recordCount);
        } else {
            stopRecording(); // everything written so far stays in the file
            Q_EMIT recordingFailed(error);
        }
    }
    m_state.show();
    Q_EMIT sampleTaken(now);
    if (m_viewStep && !m_viewStep())
        return;
    m_count = 1;
}

std::optional<int> parseSamplingAnswer(const QString& answer) {
    if (answer.isEmpty())
        return std::nullopt;
    QString text = answer;
    if (const auto comma = text.indexOf(u','); comma >= 0)
        text.remove(comma, 1);
    bool isNumber = false;
    const double value = text.trimmed().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // halves to the even neighbour
    return int(std::clamp(rounded, 1.0, double(MaxInterval)));
}

QString samplingPrompt() {
    return QStringLiteral("Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 86400 ) ");
}

QString samplingText(int seconds) {
    return QString::number(seconds) + QStringLiteral(" Sec");
}

} // namespace tarnix::core
