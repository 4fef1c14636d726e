#include "http/RecordedLines.h"

#include "core/FilesInTimeOrder.h"
#include "records/AnalysisCsv.h"

#include <QDateTime>
#include <algorithm>
#include <vector>

namespace tarnix::http {

namespace {

constexpr qint64 PieceBytes = 256 * 1024;
// A line is short: the last whole one lies in the file's last bytes.
constexpr qint64 TailBytes = 64 * 1024;

} // namespace

records::RecordingFormat writtenFormat(QFile& file) {
    if (core::isAnalysisCsv(file))
        return records::RecordingFormat::Csv;
    return file.seek(0) && file.peek(1) == "{" ? records::RecordingFormat::Jsonl
                                                : records::RecordingFormat::Dat;
}

Recording recordingOf(const QStringList& paths) {
    std::vector<records::RecordingFormat> formats;
    for (const QString& path : paths) {
        QFile file(path);
        formats.push_back(file.open(QIODevice::ReadOnly) ? writtenFormat(file)
                                                         : records::RecordingFormat::Dat);
    }
    Recording recording;
    const bool anyData = std::count(formats.begin(), formats.end(), records::RecordingFormat::Dat) > 0;
    if (!anyData && !formats.empty())
        recording.format = formats.front();
    for (std::size_t i = 0; i < formats.size(); ++i)
        if (formats[i] == recording.format)
            recording.paths << paths[qsizetype(i)];
    return recording;
}

std::optional<qint64> lineTimeMs(QByteArrayView line) {
    static constexpr QByteArrayView JsonStart = R"({"time":")";
    QByteArrayView time;
    if (line.startsWith(JsonStart)) {
        time = line.sliced(JsonStart.size());
        time = time.first(std::max<qsizetype>(0, time.indexOf('"')));
    } else {
        time = line.first(std::max<qsizetype>(0, line.indexOf(',')));
    }
    // 2026-12-05T08:00:00.000+01:00, or ...Z: no shorter time is written.
    if (time.size() < 24 || time.size() > 29)
        return std::nullopt;
    const QDateTime at = QDateTime::fromString(QString::fromLatin1(time), Qt::ISODateWithMs);
    if (!at.isValid())
        return std::nullopt;
    return at.toMSecsSinceEpoch();
}

std::optional<qint64> firstLineTimeMs(QFile& file) {
    if (!file.seek(0))
        return std::nullopt;
    for (int lines = 0; lines < 2 && !file.atEnd(); ++lines) // past the header
        if (const auto ms = lineTimeMs(file.readLine(4096).trimmed()))
            return ms;
    return std::nullopt;
}

std::optional<qint64> lastLineTimeMs(QFile& file) {
    if (!file.seek(std::max<qint64>(0, file.size() - TailBytes)))
        return std::nullopt;
    // After the last line end: a line still being written.
    const QList<QByteArray> lines = file.read(TailBytes).split('\n');
    for (auto line = std::next(lines.rbegin()); line < lines.rend(); ++line)
        if (const auto ms = lineTimeMs(line->trimmed()))
            return ms;
    return std::nullopt;
}

void writeRecordedLines(const QStringList& paths, const analysis::TimeSlice& slice,
                        const std::function<bool(QByteArrayView)>& write) {
    QByteArray pending;
    bool header = false, stopped = false;
    for (const QString& path : paths) {
        QFile file(path);
        if (stopped || !file.open(QIODevice::ReadOnly))
            continue;
        if (!std::exchange(header, true) && writtenFormat(file) == records::RecordingFormat::Csv)
            pending += records::AnalysisHeader.toUtf8() + records::CsvLineEnd;
        if (!file.seek(0))
            continue;
        while (!stopped && !file.atEnd()) {
            const QByteArray line = file.readLine(64 * 1024);
            if (!line.endsWith('\n'))
                continue; // still being written, or no line the recorder wrote
            if (const auto ms = lineTimeMs(line.trimmed()); !ms || !slice.holds(*ms))
                continue;
            pending += line;
            if (pending.size() >= PieceBytes) {
                stopped = !write(pending);
                pending.resize(0);
            }
        }
    }
    if (!stopped && !pending.isEmpty())
        write(pending);
}

} // namespace tarnix::http
