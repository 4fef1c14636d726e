#include "core/FileCommands.h"

#include "files/AnalysisConverter.h"
#include "files/AnalysisCsv.h"
#include "files/DataFile.h"
#include "files/RecordReader.h"
#include "files/RecordingStats.h"
#include "files/StatsLines.h"
#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

namespace tarnix::core {

namespace {

constexpr qint64 ChunkBytes = 1 << 20;

// Reads a file through in chunks, never whole, judging its lines as every
// reader of data files does. False with the reason when the file cannot be
// opened or read.
bool readLines(const QString& path, const files::RecordReader::OnLine& onLine, QString* error) {
    if (QFileInfo(path).isDir()) {
        *error = QStringLiteral("%1: a folder, not a file").arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    files::RecordReader reader(onLine);
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    for (qint64 n; (n = file.read(chunk.data(), chunk.size())) != 0;) {
        if (n < 0) {
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
            return false;
        }
        reader.feed(QByteArrayView(chunk.constData(), n));
    }
    reader.finish();
    return true;
}

} // namespace

int runConvert(const ConvertOptions& options, const FileCommandOutput& output) {
    // A file is replaced whole only once every line is in it; standard
    // output gets the lines in large writes as they come.
    std::optional<platform::AtomicFile> file;
    if (!options.toStandardOutput()) {
        file.emplace(options.output);
        if (!file->open()) {
            output.message(file->errorString());
            return 1;
        }
    }
    QByteArray pending = files::AnalysisHeader.toUtf8() + files::CsvLineEnd;
    bool written = true;
    auto flush = [&] {
        written = written && (file ? file->write(pending) : output.out(pending));
        pending.resize(0); // its room kept for the next chunk
    };
    qint64 skipped = 0;
    QString error;
    files::AnalysisConverter converter(options.utc ? files::TimeZoneOut::Utc
                                                   : files::TimeZoneOut::Local);
    pending.reserve(ChunkBytes + files::LongestRecordLine * 2);
    const bool read = readLines(
        options.input,
        [&](QByteArrayView, const files::LineFields* record) {
            if (!record || !converter.append(*record, pending)) {
                ++skipped;
                return;
            }
            if (pending.size() >= ChunkBytes)
                flush();
        },
        &error);
    if (!read) {
        output.message(error);
        return 1;
    }
    flush();
    if (!written || (file && !file->commit())) {
        output.message(file ? file->errorString()
                            : QStringLiteral("cannot write to standard output"));
        return 1;
    }
    if (skipped > 0)
        output.message(files::skippedLinesWarning(options.input, skipped));
    if (const qint64 skippedTimes = converter.skippedTimes(); skippedTimes > 0)
        output.message(files::skippedHourWarning(options.input, skippedTimes));
    return 0;
}

namespace {

// One file's summary; false with the reason when it cannot be read. A file
// whose spacings shrank far along the way is read a second time for its gaps.
bool summarise(const QString& path, const FileCommandOutput& output, bool precise,
               QString* error) {
    files::RecordingStats stats;
    files::StatsLines lines(stats);
    const auto read = [&](files::StatsLines& into) {
        return readLines(
            path, [&into](QByteArrayView line, const files::LineFields* fields) { into.take(line, fields); },
            error);
    };
    if (!read(lines))
        return false;
    if (!stats.gapsKnown()) {
        files::StatsLines again(stats, true);
        if (!read(again))
            return false;
    }
    if (lines.skippedTimes() > 0)
        output.message(files::skippedHourWarning(path, lines.skippedTimes()));
    QString text = QStringLiteral("%1: %2 readings").arg(path).arg(stats.readings());
    if (lines.skipped() > 0)
        text += QStringLiteral(", %1 other lines skipped").arg(lines.skipped());
    return output.out((text + u'\n' + stats.report(precise)).toUtf8());
}

} // namespace

int runStats(const QStringList& paths, const FileCommandOutput& output, bool precise) {
    int code = 0;
    for (const QString& path : paths) {
        QString error;
        if (!summarise(path, output, precise, &error)) {
            output.message(error.isEmpty() ? QStringLiteral("cannot write to standard output")
                                           : error);
            code = 1;
        }
    }
    return code;
}

} // namespace tarnix::core
