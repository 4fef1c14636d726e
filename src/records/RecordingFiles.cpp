#include "records/RecordingFiles.h"

#include "records/OutputName.h"
#include "records/RecordingOutput.h"
#include "platform/StandardStreams.h"

#include <QDir>
#include <QFileInfo>

namespace tarnix::records {

RecordingFiles::RecordingFiles(QString output, RecordingFormat format, bool utc, Tell tell)
    : m_output(std::move(output)), m_format(format), m_utc(utc), m_tell(std::move(tell)) {}

bool RecordingFiles::open(const QDateTime& at, QString* error) {
    if (m_output != u"-")
        return openNamed(outputNameAt(m_output, at, m_utc), error);
    m_out.adopt(platform::standardOutput(), QStringLiteral("standard output"));
    return readyOrClosed(QString(), error);
}

bool RecordingFiles::openNamed(const QString& name, QString* error) {
    m_out.close();
    m_name = name;
    m_number = 0;
    // A name that turns over may name a folder of its own each month.
    if (turnsOver(m_output))
        QDir().mkpath(QFileInfo(name).path());
    if (!readyOrClosed(name, error))
        return false;
    m_resumedAfter = lastRecordTime(m_out);
    return true;
}

// Opens `name` (none: the stream adopted already) and readies it for lines;
// closed again, with the reason, when either fails.
bool RecordingFiles::readyOrClosed(const QString& name, QString* error) {
    QString why, ended;
    if ((!name.isEmpty() && !m_out.open(name, &why)) ||
        !readyForLines(m_out, m_format, &why, &ended)) {
        m_out.close();
        *error = QStringLiteral("cannot append to %1").arg(why);
        return false;
    }
    if (!ended.isEmpty())
        m_tell(ended, platform::Severity::Warning);
    return true;
}

bool RecordingFiles::write(const QDateTime& at, const meter::Measurement& measurement,
                           QString* error, qint64 seq, const SampleAlarm& alarm) {
    if (turnsOver(m_output)) {
        if (const QString name = outputNameAt(m_output, at, m_utc); name != m_name) {
            if (!openNamed(name, error))
                return false;
            m_tell(QStringLiteral("recording to %1").arg(name), platform::Severity::Notice);
        }
    }
    QString why;
    if (m_out.append(recordingLine(m_format, m_number + 1, at, measurement, m_utc, seq, alarm),
                     &why)) {
        ++m_number;
        return true;
    }
    *error = (m_output == u"-" ? QStringLiteral("cannot write to %1")
                               : QStringLiteral("cannot append to %1"))
                 .arg(why);
    return false;
}

bool RecordingFiles::reopen(QString* error) {
    if (m_output == u"-" || m_name.isEmpty())
        return true;
    if (!openNamed(m_name, error))
        return false;
    m_tell(QStringLiteral("reopened %1").arg(m_name), platform::Severity::Notice);
    return true;
}

} // namespace tarnix::records
