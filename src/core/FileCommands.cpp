#include "core/FileCommands.h"

#include "files/AnalysisCsv.h"
#include "files/CsvSplit.h"
#include "files/RecordingStats.h"
#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

namespace tarnix::core {

namespace {

// A line longer than this is no record; it is skipped without being held.
constexpr qsizetype LongestLine = 64 * 1024;
constexpr qint64 ChunkBytes = 1 << 20;

// Hands a file's lines on one at a time, reading it in chunks. Any run of
// CR and LF ends a line, so CR LF, LF and CR alone all do. False with the
// reason when the file cannot be opened or read.
bool forEachLine(const QString& path, const std::function<void(QByteArrayView)>& onLine,
                 qint64* longLines, QString* error) {
    if (QFileInfo(path).isDir()) {
        *error = QStringLiteral("%1: a folder, not a file").arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    QByteArray line;
    bool tooLong = false;
    auto endLine = [&] {
        if (tooLong || line.size() > LongestLine)
            ++*longLines;
        else if (!line.isEmpty())
            onLine(line);
        line.clear();
        tooLong = false;
    };
    for (;;) {
        const qint64 n = file.read(chunk.data(), chunk.size());
        if (n < 0) {
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
            return false;
        }
        if (n == 0)
            break;
        qsizetype from = 0;
        for (qsizetype i = 0; i < n; ++i) {
            if (chunk[i] != '\r' && chunk[i] != '\n')
                continue;
            const QByteArrayView piece(chunk.constData() + from, i - from);
            if (line.isEmpty() && !tooLong) { // the whole line is in this chunk
                if (!piece.isEmpty())
                    piece.size() > LongestLine ? void(++*longLines) : onLine(piece);
            } else {
                if (!tooLong)
                    line.append(piece);
                endLine();
            }
            from = i + 1;
        }
        if (!tooLong)
            line.append(chunk.constData() + from, n - from);
        if (line.size() > LongestLine) {
            tooLong = true;
            line.clear();
        }
    }
    endLine();
    return true;
}

// The fields of a data-file line that is a whole record: six fields, a
// record number and a readable date and time.
std::optional<files::RecordFields> recordOf(QByteArrayView line) {
    const QStringList fields = files::csvSplit(line);
    if (fields.size() != files::FieldCount)
        return std::nullopt;
    bool numbered = false;
    (void)fields[0].trimmed().toLongLong(&numbered);
    if (!numbered)
        return std::nullopt;
    files::RecordFields record;
    for (int i = 0; i < files::FieldCount; ++i)
        record[std::size_t(i)] = fields[i];
    return record;
}

QString skippedText(const QString& path, qint64 skipped) {
    return QStringLiteral("%1: %2 %3 not a record, skipped")
        .arg(path)
        .arg(skipped)
        .arg(skipped == 1 ? QStringLiteral("line was") : QStringLiteral("lines were"));
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
        pending.clear();
    };
    qint64 skipped = 0, records = 0;
    QString error;
    const bool read = forEachLine(
        options.input,
        [&](QByteArrayView line) {
            const auto record = recordOf(line);
            const auto csv = record ? files::analysisLineOf(*record) : std::nullopt;
            if (!csv) {
                ++skipped;
                return;
            }
            ++records;
            pending += csv->toUtf8();
            pending += files::CsvLineEnd;
            if (pending.size() >= ChunkBytes)
                flush();
        },
        &skipped, &error);
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
        output.message(skippedText(options.input, skipped));
    return 0;
}

namespace {

// One file's summary; false with the reason when it cannot be read.
bool summarise(const QString& path, const FileCommandOutput& output, QString* error) {
    files::RecordingStats stats;
    bool csv = false, firstLine = true;
    qint64 skipped = 0;
    const bool read = forEachLine(
        path,
        [&](QByteArrayView line) {
            if (firstLine) {
                firstLine = false;
                if (line == files::AnalysisHeader.toUtf8()) {
                    csv = true;
                    return;
                }
            }
            if (csv) {
                const QStringList f = files::csvSplit(line);
                const QDateTime at = f.size() == 6 ? QDateTime::fromString(f[0], Qt::ISODateWithMs)
                                                   : QDateTime();
                if (!at.isValid()) {
                    ++skipped;
                    return;
                }
                bool ok = false;
                const double v = f[1].toDouble(&ok);
                stats.add(at, f[3], f[4], f[2], ok ? std::optional(v) : std::nullopt,
                          files::isOverload(f[5]));
                return;
            }
            const auto record = recordOf(line);
            const auto at = record ? files::recordTime((*record)[1], (*record)[2]) : std::nullopt;
            if (!at) {
                ++skipped;
                return;
            }
            const auto r = files::recordValue((*record)[4], (*record)[5]);
            stats.add(*at, (*record)[3], (*record)[4], r.unit, r.value, r.overload);
        },
        &skipped, error);
    if (!read)
        return false;
    QString text = QStringLiteral("%1: %2 readings").arg(path).arg(stats.readings());
    if (skipped > 0)
        text += QStringLiteral(", %1 other lines skipped").arg(skipped);
    return output.out((text + u'\n' + stats.report()).toUtf8());
}

} // namespace

int runStats(const QStringList& paths, const FileCommandOutput& output) {
    int code = 0;
    for (const QString& path : paths) {
        QString error;
        if (!summarise(path, output, &error)) {
            output.message(error.isEmpty() ? QStringLiteral("cannot write to standard output")
                                           : error);
            code = 1;
        }
    }
    return code;
}

} // namespace tarnix::core
