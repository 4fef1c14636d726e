#include "core/FileCommands.h"

#include "core/ChunkedRecording.h"
#include "core/FilesInTimeOrder.h"
#include "core/RecordingRead.h"
#include "analysis/ChunkResults.h"
#include "analysis/AnalysisConverter.h"
#include "records/AnalysisCsv.h"
#include "records/DataFile.h"
#include "records/RecordReader.h"
#include "records/RecordStore.h"
#include "analysis/IntervalSummary.h"
#include "analysis/RecordReadings.h"
#include "analysis/RecordingStats.h"
#include "analysis/SummaryLines.h"
#include "analysis/StatsLines.h"
#include "analysis/TimeSlice.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <variant>

namespace tarnix::core {

namespace {

constexpr qint64 ChunkBytes = 1 << 20;

// Reads a recording opened by openRecording() through in chunks, never
// whole, one thread judging its lines as every reader of data files does;
// with plan.grows, no further than the chunk where `pastSlice` says the
// last line read was past the slice. False with the reason when it cannot
// be read, or when it is no recording: it has lines, and none is a record
// nor, where `csv` allows one, the header of an analysis CSV file. An
// empty file is an empty recording. Pipes and CSV files are read so.
bool readLines(QFile& file, const QString& path, const analysis::SliceRead& plan,
               const records::RecordReader::OnLine& onLine, const std::function<bool()>& pastSlice,
               CsvInput csv, QString* error) {
    // A read that starts past the file's start was placed by its records.
    bool anyLine = false, csvHeader = false, recording = plan.start > 0;
    records::RecordReader reader([&](QByteArrayView line, const records::LineFields* record) {
        if (!std::exchange(anyLine, true))
            csvHeader = line == records::AnalysisHeader.toUtf8();
        recording = recording || record || (csvHeader && csv == CsvInput::Taken);
        onLine(line, record);
    });
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    for (qint64 n; (n = file.read(chunk.data(), chunk.size())) != 0;) {
        if (n < 0) {
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
            return false;
        }
        reader.feed(QByteArrayView(chunk.constData(), n));
        if (plan.grows && pastSlice())
            return true;
    }
    reader.finish();
    if (anyLine && !recording) {
        *error = notARecording(path, csvHeader, csv);
        return false;
    }
    return true;
}

// Where convert's lines go: a file, replaced whole only once every line is
// in it, or standard output, in large writes as the lines come.
class ConvertedLines {
public:
    ConvertedLines(const ConvertOptions& options, const FileCommandOutput& output)
        : m_output(output) {
        if (!options.toStandardOutput())
            m_file.emplace(options.output);
        pending.reserve(ChunkBytes + records::LongestRecordLine * 4);
    }
    bool open() {
        if (m_file && !m_file->open()) {
            m_output.message(m_file->errorString());
            return false;
        }
        return true;
    }
    // After a line was added to `pending`.
    void added() {
        if (pending.size() >= ChunkBytes)
            flush();
    }
    // Lines made elsewhere, after those pending.
    void write(const QByteArray& lines) {
        flush();
        m_written = m_written && (m_file ? m_file->write(lines) : m_output.out(lines));
    }
    // 0 when every line is written, 1 said when not.
    int finish() {
        flush();
        if (!m_written || (m_file && !m_file->commit())) {
            m_output.message(m_file ? m_file->errorString()
                                    : QStringLiteral("cannot write to standard output"));
            return 1;
        }
        return 0;
    }

    QByteArray pending; // the lines not written yet

private:
    void flush() {
        m_written = m_written && (m_file ? m_file->write(pending) : m_output.out(pending));
        pending.resize(0); // its room kept for the next chunk
    }

    const FileCommandOutput& m_output;
    std::optional<platform::AtomicFile> m_file;
    bool m_written = true;
};

// What was skipped in `input` since `skippedTimes` times were; `converter`
// reads the records (an AnalysisConverter or RecordReadings).
template <class Converter>
void saySkipped(const FileCommandOutput& output, const QString& input, qint64 skipped,
                const Converter& converter, qint64 skippedTimes) {
    if (skipped > 0)
        output.message(records::skippedLinesWarning(input, skipped));
    if (converter.skippedTimes() > skippedTimes)
        output.message(records::skippedHourWarning(input, converter.skippedTimes() - skippedTimes));
}

// Reads one recording for convert, stats or summaries: a data file in
// chunks on a thread a core, made by `fresh` and `carried` and taken in
// file order by `takeChunk` (readInChunks()); a pipe, a slice with an end
// in a file whose times grow, or a CSV file where `csv` takes one, line by
// line to `onLine`. False with the reason.
template <class Chunk, class Fresh, class Carried, class TakeChunk>
bool readRecording(const QString& path, const analysis::TimeSlice& slice,
                   records::LocalOffsets& offsets, qint64 chunkBytes, CsvInput csv,
                   const Fresh& fresh, const Carried& carried, const TakeChunk& takeChunk,
                   const records::RecordReader::OnLine& onLine,
                   const std::function<bool()>& pastSlice, QString* error) {
    QFile file;
    analysis::SliceRead plan;
    if (!openRecording(path, file, slice, offsets, plan, error))
        return false;
    // A slice that ends is a short read: one thread gets there before a
    // second would start, and reads no chunks past its end.
    const bool ends = plan.grows && slice.to;
    if (!file.isSequential() && !ends) {
        const ChunkedRead read = readInChunks<Chunk>(file, path, plan.grows, csv, offsets,
                                                     chunkBytes, fresh, carried, takeChunk, error);
        if (read != ChunkedRead::AnalysisCsv)
            return read == ChunkedRead::Read;
        file.seek(plan.start);
    }
    return readLines(file, path, plan, onLine, pastSlice, csv, error);
}

// readRecording() for readings (stats, summaries): a chunk is read alone by
// a RecordReadings of its own, or again by `readings`, the stream's reader.
template <class TakeChunk>
bool readReadings(const QString& path, const analysis::TimeSlice& slice,
                  analysis::RecordReadings& readings, qint64 chunkBytes, CsvInput csv,
                  const TakeChunk& takeChunk, const records::RecordReader::OnLine& onLine,
                  const std::function<bool()>& pastSlice, QString* error) {
    return readRecording<analysis::ReadingsChunk>(
        path, slice, readings.offsets(), chunkBytes, csv,
        [&](const records::LineChunk& chunk, analysis::ReadingsChunk& result) {
            analysis::RecordReadings own;
            analysis::readingsOfChunk(chunk, own, slice, result);
        },
        [&](const records::LineChunk& chunk, analysis::ReadingsChunk& result) {
            analysis::readingsOfChunk(chunk, readings, slice, result);
        },
        takeChunk, onLine, pastSlice, error);
}

// The records of the files as summary lines, those the recorder writes
// with --every for the same readings.
int writeSummaries(const QStringList& inputs, const ConvertOptions& options,
                   const FileCommandOutput& output) {
    ConvertedLines lines(options, output);
    if (!lines.open())
        return 1;
    const auto zone = options.utc ? records::TimeZoneOut::Utc : records::TimeZoneOut::Local;
    if (!options.jsonLines)
        lines.pending += analysis::SummaryHeader.toUtf8() + records::CsvLineEnd;
    analysis::IntervalSummary summary(
        analysis::SummaryIntervals(*options.every * 1000LL,
                                   options.utc ? analysis::SummaryIntervals::utcOffsets()
                                               : analysis::SummaryIntervals::localOffsets()),
        !options.skipEmpty, [&](const analysis::SummaryLine& line) {
            if (options.jsonLines)
                lines.pending += analysis::summaryJsonLine(line, zone) + '\n';
            else
                lines.pending += analysis::summaryCsvLine(line, zone) + records::CsvLineEnd;
            lines.added();
        });
    analysis::RecordReadings readings;
    std::vector<std::size_t> seriesOfKind; // the readings' kinds as the summary's series
    bool past = false;
    // A reading, its kind numbered by `readings`.
    const auto add = [&](const analysis::RecordReading& r) {
        past = options.slice.isPast(r.utcMs);
        if (!options.slice.holds(r.utcMs))
            return;
        while (seriesOfKind.size() <= r.kind) {
            const analysis::ReadingKind& kind = readings.kind(seriesOfKind.size());
            seriesOfKind.push_back(summary.seriesOf(kind.function, kind.range, kind.unit));
        }
        summary.add(r.utcMs, seriesOfKind[r.kind], r.value, r.overload != 0);
    };
    for (const QString& input : inputs) {
        qint64 skipped = 0;
        const qint64 skippedTimes = readings.skippedTimes();
        QString error;
        const bool read = readReadings(
            input, options.slice, readings, options.chunkBytes, CsvInput::Refused,
            [&](const analysis::ReadingsChunk& chunk) {
                skipped += chunk.skipped;
                std::vector<std::size_t> kinds;
                for (const analysis::ReadingKind& kind : chunk.kinds)
                    kinds.push_back(readings.kindOf(kind));
                for (analysis::RecordReading r : chunk.readings) {
                    r.kind = kinds[r.kind];
                    add(r);
                }
            },
            [&](QByteArrayView, const records::LineFields* record) {
                if (const auto r = record ? readings.read(*record) : std::nullopt)
                    add(*r);
                else
                    ++skipped;
            },
            [&past] { return past; }, &error);
        if (!read) {
            output.message(error);
            return 1;
        }
        saySkipped(output, input, skipped, readings, skippedTimes);
    }
    summary.finish();
    return lines.finish();
}

// The analysis CSV lines of the records `read` hands on, under one header.
// `read(converter, lines, take)` hands each record to `take` (false:
// skipped), or lines made elsewhere to `lines`, and says what it skipped;
// it returns false, said, when it cannot read on.
template <class Read>
int writeConverted(const ConvertOptions& options, const FileCommandOutput& output,
                   const Read& read) {
    ConvertedLines lines(options, output);
    if (!lines.open())
        return 1;
    lines.pending += records::AnalysisHeader.toUtf8() + records::CsvLineEnd;
    analysis::AnalysisConverter converter(
        options.utc ? records::TimeZoneOut::Utc : records::TimeZoneOut::Local, options.slice);
    const bool readAll = read(converter, lines, [&](const records::LineFields* record) {
        if (!record || !converter.append(*record, lines.pending))
            return false;
        lines.added();
        return true;
    });
    return readAll ? lines.finish() : 1;
}

} // namespace

int runConvert(const ConvertOptions& options, const FileCommandOutput& output) {
    const auto inputs = inputsInTimeOrder(options.inputs, {QStringLiteral("dat")});
    if (const auto* problem = std::get_if<QString>(&inputs)) {
        output.message(*problem);
        return 1;
    }
    if (options.every)
        return writeSummaries(std::get<QStringList>(inputs), options, output);
    const auto zone = options.utc ? records::TimeZoneOut::Utc : records::TimeZoneOut::Local;
    // The files make one stream: the hour shown twice may span two of them.
    return writeConverted(options, output, [&](analysis::AnalysisConverter& converter,
                                               ConvertedLines& lines, const auto& take) {
        for (const QString& input : std::get<QStringList>(inputs)) {
            qint64 skipped = 0;
            const qint64 skippedTimes = converter.skippedTimes();
            QString error;
            const bool read = readRecording<analysis::ConvertedChunk>(
                input, options.slice, converter.offsets(), options.chunkBytes, CsvInput::Refused,
                [&](const records::LineChunk& chunk, analysis::ConvertedChunk& result) {
                    analysis::AnalysisConverter own(zone, options.slice);
                    analysis::convertChunk(chunk, own, result);
                },
                [&](const records::LineChunk& chunk, analysis::ConvertedChunk& result) {
                    analysis::convertChunk(chunk, converter, result);
                },
                [&](const analysis::ConvertedChunk& chunk) {
                    skipped += chunk.skipped;
                    lines.write(chunk.out);
                },
                [&](QByteArrayView, const records::LineFields* record) { skipped += !take(record); },
                [&converter] { return converter.pastSlice(); }, &error);
            if (!read) {
                output.message(error);
                return false;
            }
            saySkipped(output, input, skipped, converter, skippedTimes);
        }
        return true;
    });
}

int runConvert(const records::RecordStore& list, const QString& name,
               const ConvertOptions& options, const FileCommandOutput& output) {
    return writeConverted(options, output, [&](analysis::AnalysisConverter& converter,
                                               ConvertedLines&, const auto& take) {
        qint64 skipped = 0;
        for (qsizetype row = 0; row < list.size(); ++row) {
            const records::LineFields fields = list.lineFields(row);
            skipped += !take(&fields);
        }
        saySkipped(output, name, skipped, converter, 0);
        return true;
    });
}

int runStats(const StatsOptions& options, const FileCommandOutput& output) {
    const auto inputs = inputsInTimeOrder(options.files, {QStringLiteral("dat"), QStringLiteral("csv")});
    if (const auto* problem = std::get_if<QString>(&inputs)) {
        output.message(*problem);
        return 1;
    }
    const QStringList& files = std::get<QStringList>(inputs);
    analysis::RecordingStats stats;
    QString perFile;
    qint64 skipped = 0;
    int code = 0;
    qsizetype filesRead = 0;
    // The files read as one stream into the one summary, as convert reads
    // them: the hour shown twice may span two of them. `again` for the
    // second look at the gaps.
    const auto readAll = [&](bool again) {
        analysis::StatsLines lines(stats, options.slice, again);
        for (const QString& path : files) {
            lines.nextFile();
            const qint64 before = stats.readings(), skippedTimes = lines.skippedTimes();
            QString error;
            const bool read = readReadings(
                path, options.slice, lines.readings(), options.chunkBytes, CsvInput::Taken,
                [&lines](const analysis::ReadingsChunk& chunk) { lines.takeChunk(chunk); },
                [&lines](QByteArrayView line, const records::LineFields* fields) { lines.take(line, fields); },
                [&lines] { return lines.pastSlice(); }, &error);
            if (!read) {
                if (!again) // said once, on the first look
                    output.message(error);
                code = 1;
                continue;
            }
            if (again)
                continue;
            ++filesRead;
            if (lines.skippedTimes() > skippedTimes)
                output.message(records::skippedHourWarning(path, lines.skippedTimes() - skippedTimes));
            skipped += lines.skipped();
            perFile += QStringLiteral("%1: %2 readings").arg(path).arg(stats.readings() - before);
            if (lines.skipped() > 0)
                perFile += QStringLiteral(", %1 other lines skipped").arg(lines.skipped());
            perFile += u'\n';
        }
    };
    readAll(false);
    if (filesRead == 0) // no summary of nothing
        return code;
    if (!stats.gapsKnown())
        readAll(true);
    QString text = files.size() == 1 ? perFile
                                     : (options.perFile ? perFile : QString()) +
                                           QStringLiteral("%1 files: %2 readings")
                                               .arg(files.size())
                                               .arg(stats.readings()) +
                                           (skipped > 0 ? QStringLiteral(", %1 other lines skipped")
                                                              .arg(skipped)
                                                        : QString()) +
                                           u'\n';
    if (!output.out((text + stats.report(options.precise)).toUtf8())) {
        output.message(QStringLiteral("cannot write to standard output"));
        return 1;
    }
    return code;
}

} // namespace tarnix::core
