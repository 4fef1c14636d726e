#include "records/RecordingFormat.h"

#include "records/AnalysisCsv.h"
#include "records/DataRecord.h"
#include "records/ReadingJson.h"

namespace tarnix::records {

std::optional<RecordingFormat> recordingFormatNamed(QStringView name) {
    if (name == u"dat")
        return RecordingFormat::Dat;
    if (name == u"csv")
        return RecordingFormat::Csv;
    if (name == u"jsonl")
        return RecordingFormat::Jsonl;
    return std::nullopt;
}

std::optional<RecordingFormat> recordingFormatOfName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QString suffix = dot < 0 ? QString() : fileName.mid(dot + 1).toLower();
    return suffix == u"dat" ? std::nullopt : recordingFormatNamed(suffix);
}

QByteArray recordingLine(RecordingFormat format, qint64 number, const QDateTime& at,
                         const meter::Measurement& m, bool utc, qint64 seq,
                         const SampleAlarm& alarm) {
    if (format == RecordingFormat::Jsonl)
        return readingJson(seq, at, m, alarm) + '\n';
    if (format == RecordingFormat::Csv)
        return analysisLine(at, m, utc ? TimeZoneOut::Utc : TimeZoneOut::Local).toUtf8() +
               CsvLineEnd;
    return recordLine(sampleRecord(number, at, m.function, m.range, m.display)).toLatin1() +
           LineEnd;
}

QByteArray recordingHeader(RecordingFormat format) {
    if (format == RecordingFormat::Csv)
        return AnalysisHeader.toUtf8() + CsvLineEnd;
    return {};
}

FileEnds FileEnds::of(const QByteArray& file) {
    return {file.first(std::min<qsizetype>(file.size(), AppendCheckBytes)),
            file.last(std::min<qsizetype>(file.size(), AppendCheckBytes)),
            file.size() <= AppendCheckBytes};
}

namespace {

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The last line of `end` with text in it: the last complete one, or the
// unfinished one when no line is complete. The first line counts only when
// `end` is the whole file; otherwise it may start mid-line.
QByteArrayView lastLine(QByteArrayView end, bool whole) {
    qsizetype stop = end.size();
    while (stop > 0 && !isLineEnd(end[stop - 1]))
        --stop;
    const QByteArrayView unfinished = end.sliced(stop);
    for (;;) {
        while (stop > 0 && isLineEnd(end[stop - 1]))
            --stop;
        qsizetype begin = stop;
        while (begin > 0 && !isLineEnd(end[begin - 1]))
            --begin;
        if (begin == 0 && !whole)
            return {};
        if (!end.sliced(begin, stop - begin).trimmed().isEmpty())
            return end.sliced(begin, stop - begin);
        if (begin == 0)
            return unfinished;
        stop = begin;
    }
}

// Six fields, commas inside double quotes not counting.
bool sixFields(QByteArrayView line) {
    int commas = 0;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            ++commas;
    }
    return commas == FieldCount - 1;
}

} // namespace

std::optional<QString> appendRefusal(RecordingFormat format, const FileEnds& file) {
    const QByteArrayView start = file.start;
    if (start.isEmpty())
        return std::nullopt;
    qsizetype end = 0;
    while (end < start.size() && !isLineEnd(start[end]))
        ++end;
    const bool csv = start.first(end) == AnalysisHeader.toUtf8();
    const bool json = start.startsWith("{\"time\":");
    if (format == RecordingFormat::Jsonl)
        return json ? std::nullopt
                    : std::optional(QStringLiteral("it does not hold JSON lines of readings"));
    if (json)
        return QStringLiteral("it holds JSON lines; record with --format jsonl to append to it");
    if (format == RecordingFormat::Csv && !csv)
        return QStringLiteral("it does not start with the CSV header \"%1\"").arg(AnalysisHeader);
    if (format == RecordingFormat::Dat && csv)
        return QStringLiteral("it is a CSV file; record with --format csv to append to it");
    if (format == RecordingFormat::Dat && !sixFields(lastLine(file.end, file.whole)))
        return QStringLiteral("its last line is not a data-file record of six fields");
    return std::nullopt;
}

std::optional<QDateTime> lastRecordTime(const FileEnds& file) {
    const auto isoTime = [](const QByteArray& text) -> std::optional<QDateTime> {
        const QDateTime at = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
        return at.isValid() ? std::optional(at) : std::nullopt;
    };
    const QByteArray line = lastLine(file.end, file.whole).toByteArray();
    constexpr qsizetype JsonTimeAt = 9; // after {"time":"
    if (line.startsWith("{\"time\":\""))
        return isoTime(line.mid(JsonTimeAt, line.indexOf('"', JsonTimeAt) - JsonTimeAt));
    const QList<QByteArray> fields = line.split(',');
    if (fields.size() != FieldCount)
        return std::nullopt;
    if (const auto at = recordTime(QString::fromLatin1(fields[1]), QString::fromLatin1(fields[2])))
        return at;
    return isoTime(fields[0]);
}

bool endsUnfinished(const FileEnds& file) {
    return !file.end.isEmpty() && !isLineEnd(file.end.back());
}

} // namespace tarnix::records
