#include "core/SummaryRecording.h"

#include "analysis/SummaryLines.h"
#include "records/OutputName.h"
#include "platform/StandardStreams.h"

#include <QDir>
#include <QFileInfo>

namespace tarnix::core {

namespace {

records::TimeZoneOut zoneOf(const RecordOptions& options) {
    return options.utc ? records::TimeZoneOut::Utc : records::TimeZoneOut::Local;
}

} // namespace

SummaryRecording::SummaryRecording(const RecordOptions& options, QObject* parent)
    : QObject(parent), m_options(options),
      m_summary(analysis::SummaryIntervals(qint64(options.every.value_or(60)) * 1000,
                                           options.utc ? analysis::SummaryIntervals::utcOffsets()
                                                       : analysis::SummaryIntervals::localOffsets()),
                !options.skipEmpty, [this](const analysis::SummaryLine& line) { write(line); }) {}

bool SummaryRecording::open(const QDateTime& at, QString* error) {
    if (m_options.output.isEmpty())
        return true;
    if (m_options.toStandardOutput()) {
        m_out.adopt(platform::standardOutput(), QStringLiteral("standard output"));
        m_name.clear();
        return m_options.format != records::RecordingFormat::Csv ||
               m_out.append(analysis::SummaryHeader.toUtf8() + records::CsvLineEnd, error);
    }
    return openNamed(records::outputNameAt(m_options.output, at, m_options.utc), error);
}

// A new or empty CSV file gets the header; one that holds lines must hold
// summary lines under it, so two kinds of line never share a file.
bool SummaryRecording::openNamed(const QString& name, QString* error) {
    m_out.close();
    m_name = name;
    if (records::turnsOver(m_options.output))
        QDir().mkpath(QFileInfo(name).path());
    QString why;
    if (!m_out.open(name, &why)) {
        *error = QStringLiteral("cannot append to %1").arg(why);
        return false;
    }
    if (m_options.format != records::RecordingFormat::Csv)
        return true;
    const QByteArray header = analysis::SummaryHeader.toUtf8() + records::CsvLineEnd;
    const qint64 size = m_out.fileSize();
    if (size > 0 && m_out.readBack(0, header.size()) != header) {
        m_out.close();
        *error = QStringLiteral("cannot append to %1: it holds other lines than summary CSV "
                                "lines (%2)")
                     .arg(name, analysis::SummaryHeader);
        return false;
    }
    if (size <= 0 && !m_out.append(header, &why)) {
        *error = QStringLiteral("cannot append to %1").arg(why);
        return false;
    }
    return true;
}

bool SummaryRecording::reopen(QString* error) {
    return m_name.isEmpty() || openNamed(m_name, error);
}

void SummaryRecording::write(const analysis::SummaryLine& line) {
    Q_EMIT lineWritten(line);
    if (m_options.output.isEmpty() || !m_error.isEmpty())
        return;
    if (records::turnsOver(m_options.output)) {
        const QDateTime start = QDateTime::fromMSecsSinceEpoch(line.startMs);
        if (const QString name = records::outputNameAt(m_options.output, start, m_options.utc);
            name != m_name && !openNamed(name, &m_error))
            return;
    }
    const auto zone = zoneOf(m_options);
    const QByteArray text = m_options.format == records::RecordingFormat::Jsonl
                                ? analysis::summaryJsonLine(line, zone) + '\n'
                                : analysis::summaryCsvLine(line, zone) + records::CsvLineEnd;
    QString why;
    if (!m_out.append(text, &why))
        m_error = (m_options.toStandardOutput() ? QStringLiteral("cannot write to %1")
                                                : QStringLiteral("cannot append to %1"))
                      .arg(why);
}

bool SummaryRecording::outcome(QString* error) {
    if (m_error.isEmpty())
        return true;
    *error = m_error;
    return false;
}

bool SummaryRecording::add(const QDateTime& at, const meter::Measurement& measurement,
                           QString* error) {
    // Counted in whole seconds, as a data file keeps a sample's time: the
    // summaries convert makes of the file are these.
    const qint64 ms = at.toMSecsSinceEpoch();
    m_summary.add(ms - ms % 1000,
                  m_summary.seriesOf(measurement.function, measurement.range, measurement.unit),
                  measurement.value, measurement.shown.overload != meter::Overload::None);
    return outcome(error);
}

bool SummaryRecording::reach(const QDateTime& at, QString* error) {
    m_summary.reach(at.toMSecsSinceEpoch());
    return outcome(error);
}

bool SummaryRecording::finish(QString* error) {
    m_summary.finish();
    m_out.close();
    return outcome(error);
}

} // namespace tarnix::core
