#include "files/RecordingFormat.h"

#include "files/AnalysisCsv.h"
#include "files/DataRecord.h"

namespace tarnix::files {

std::optional<RecordingFormat> recordingFormatNamed(QStringView name) {
    if (name == u"dat")
        return RecordingFormat::Dat;
    if (name == u"csv")
        return RecordingFormat::Csv;
    return std::nullopt;
}

QByteArray recordingLine(RecordingFormat format, qint64 number, const QDateTime& at,
                         const QString& function, const QString& range, const QString& display) {
    if (format == RecordingFormat::Csv)
        return analysisLine(at, function, range, display).toUtf8() + CsvLineEnd;
    return recordLine(sampleRecord(number, at, function, range, display)).toLatin1() + LineEnd;
}

QByteArray recordingHeader(RecordingFormat format) {
    if (format == RecordingFormat::Csv)
        return AnalysisHeader.toUtf8() + CsvLineEnd;
    return {};
}

std::optional<QString> appendRefusal(RecordingFormat format, QByteArrayView start) {
    if (start.isEmpty())
        return std::nullopt;
    qsizetype end = 0;
    while (end < start.size() && start[end] != '\r' && start[end] != '\n')
        ++end;
    const bool csv = start.first(end) == AnalysisHeader.toUtf8();
    if (format == RecordingFormat::Csv && !csv)
        return QStringLiteral("it does not start with the CSV header \"%1\"").arg(AnalysisHeader);
    if (format == RecordingFormat::Dat && csv)
        return QStringLiteral("it is a CSV file; record with --format csv to append to it");
    return std::nullopt;
}

} // namespace tarnix::files
