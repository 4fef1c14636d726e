#include "http/SliceReadings.h"

#include "analysis/RecordReadings.h"
#include "core/FileCommands.h"
#include "records/DataRecord.h"
#include "records/ReadingJson.h"
#include "records/RecordMeasurement.h"
#include "records/RecordReader.h"

#include <QDateTime>
#include <QFile>
#include <QTimeZone>

namespace tarnix::http {

namespace {

constexpr qint64 ChunkBytes = 256 * 1024;

// One record of the slice as its line: dat, or jsonl.
void appendRecord(QByteArray& to, ReadingsFormat format, QByteArrayView line,
                  const records::LineFields& fields, const analysis::RecordReading& r) {
    if (format == ReadingsFormat::Dat) {
        to += line;
        to += records::LineEnd;
        return;
    }
    const auto text = [&fields](int i) { return QString::fromUtf8(fields[std::size_t(i)]); };
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(
        r.utcMs, QTimeZone(r.offsetSeconds));
    to += records::readingJson(fields[0].toLongLong(), at,
                               records::measurementOfRecord(text(3), text(4), text(5)));
    to += '\n';
}

// The record lines of the slice, file after file as one stream.
void writeLines(const QStringList& paths, const analysis::TimeSlice& slice, ReadingsFormat format,
                const std::function<bool(QByteArrayView)>& write) {
    analysis::RecordReadings readings;
    QByteArray pending;
    bool stopped = false, past = false;
    for (const QString& path : paths) {
        QFile file(path);
        if (stopped || !file.open(QIODevice::ReadOnly))
            continue;
        analysis::SliceRead plan;
        if (!slice.whole())
            plan = analysis::sliceRead(file, slice, readings.offsets());
        if (!file.seek(plan.start))
            continue;
        records::RecordReader reader([&](QByteArrayView line, const records::LineFields* record) {
            const auto r = record ? readings.read(*record) : std::nullopt;
            if (!r || stopped)
                return;
            past = slice.isPast(r->utcMs);
            if (slice.holds(r->utcMs))
                appendRecord(pending, format, line, *record, *r);
            if (pending.size() >= ChunkBytes) {
                stopped = !write(pending);
                pending.resize(0);
            }
        });
        QByteArray chunk(ChunkBytes, Qt::Uninitialized);
        for (qint64 n; !stopped && !(plan.grows && past) &&
                       (n = file.read(chunk.data(), chunk.size())) > 0;)
            reader.feed(QByteArrayView(chunk.constData(), n));
        reader.finish();
    }
    if (!stopped && !pending.isEmpty())
        write(pending);
}

} // namespace

std::optional<ReadingsFormat> readingsFormatNamed(QByteArrayView name) {
    if (name == "csv")
        return ReadingsFormat::Csv;
    if (name == "jsonl")
        return ReadingsFormat::Jsonl;
    if (name == "dat")
        return ReadingsFormat::Dat;
    return std::nullopt;
}

void writeReadings(const QStringList& paths, const analysis::TimeSlice& slice,
                   ReadingsFormat format, const std::function<bool(QByteArrayView)>& write) {
    if (format != ReadingsFormat::Csv)
        return writeLines(paths, slice, format, write);
    core::ConvertOptions options;
    options.inputs = paths;
    options.output = QStringLiteral("-");
    options.slice = slice;
    // What convert says of skipped lines goes to its standard error, not here.
    core::runConvert(options, {.out = write, .message = [](const QString&) {}});
}

} // namespace tarnix::http
