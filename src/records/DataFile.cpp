#include "records/DataFile.h"

#include "records/FileRecords.h"
#include "records/RecordReader.h"
#include "records/RecordStore.h"
#include "records/RecordingOutput.h"
#include "platform/AtomicFile.h"
#include "platform/Diagnostics.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

namespace tarnix::records {

namespace {
constexpr qint64 ChunkSize = 1 << 20;
// A file smaller than this is read by one thread: a second would gain little.
constexpr qint64 HalvesFrom = 8 << 20;

LoadResult failed(const QString& error) {
    qCDebug(lcFiles) << "not listed:" << error;
    LoadResult result;
    result.ok = false;
    result.error = error;
    return result;
}

QString tooLarge(const QString& path) {
    return QStringLiteral("%1: too large to list whole").arg(path);
}

// The records of bytes [from, to) of the file, read through once: where each
// ends and its value cell, and how far the read has come (for progress, read
// by another thread while this part is read).
struct FilePart {
    Segments<quint32> ends;
    ValueColumn values;
    qint64 skippedLines = 0;
    bool failed = false;
    QString error;
    std::atomic<qint64> bytesRead{0};
    std::atomic<qsizetype> records{0};
};

// Each record's end and value cell, taken as the reader hands it on: a call
// made in place, for it is made for every line.
struct TakeRecord {
    FilePart* part;
    qint64 from;
    const BasicRecordReader<TakeRecord>* const* reader; // the one that calls this
    void operator()(QByteArrayView, const LineFields* record) const {
        if (!record)
            return;
        part->ends.push_back(quint32(from + (*reader)->recordEnd()));
        part->values.add((*record)[5], (*record)[4]);
    }
};

// Reads [from, to) into `part`, calling `chunkRead` after each chunk; it
// returning false stops the read.
void indexPart(const platform::PositionalFile& file, qint64 from, qint64 to, FilePart& part,
               const std::function<bool()>& chunkRead) {
    const BasicRecordReader<TakeRecord>* self = nullptr;
    BasicRecordReader<TakeRecord> reader(TakeRecord{&part, from, &self});
    self = &reader;
    QByteArray chunk(ChunkSize, Qt::Uninitialized);
    for (qint64 at = from; at < to;) {
        const qint64 n = file.readAt(at, chunk.data(), std::min(ChunkSize, to - at), &part.error);
        if (n < 0) {
            part.failed = true;
            return;
        }
        if (n == 0)
            break; // cut short meanwhile: what is there is listed
        reader.feed(QByteArrayView(chunk.constData(), n));
        at += n;
        part.bytesRead = at - from;
        part.records = qsizetype(part.ends.size());
        if (!chunkRead())
            return;
    }
    reader.finish();
    part.records = qsizetype(part.ends.size());
    part.skippedLines = reader.skippedLines();
}

// Where a large file is split in two for two threads: just after the first
// line end past its middle (a line end there is one wherever it stands, and
// a line start after it reads the same as in one read of the whole). 0 when
// the file is small or no line ends near its middle.
qint64 splitPoint(const platform::PositionalFile& file, qint64 size) {
    if (size < HalvesFrom)
        return 0;
    QByteArray chunk(64 << 10, Qt::Uninitialized);
    for (qint64 at = size / 2; at < size / 2 + ChunkSize;) {
        const qint64 n = file.readAt(at, chunk.data(), chunk.size());
        if (n <= 0)
            return 0;
        const char* const end = chunk.constData() + n;
        if (const char* lineEnd = findLineEnd(chunk.constData(), end); lineEnd != end)
            return at + (lineEnd - chunk.constData()) + 1;
        at += n;
    }
    return 0;
}

// Reads the file in `parts` (one, or two halves at once: the second on a
// thread of its own), telling `progress` about both on this thread.
void indexParts(const platform::PositionalFile& file, qint64 size, qint64 split,
                std::array<FilePart, 2>& parts, LoadResult& result,
                const std::function<bool(qsizetype, int)>& progress) {
    const auto report = [&] {
        const qint64 read = parts[0].bytesRead + parts[1].bytesRead;
        result.records = parts[0].records + parts[1].records;
        if (!progress || progress(result.records, int(read * 100 / size)))
            return true;
        result.cancelled = true;
        return false;
    };
    if (split <= 0) {
        indexPart(file, 0, size, parts[0], report);
        return;
    }
    std::mutex lock;
    std::condition_variable told;
    bool news = false, done = false;
    std::atomic<bool> stop{false};
    const auto tell = [&](bool last) {
        const std::lock_guard guard(lock);
        news = true;
        done = done || last;
        told.notify_one();
    };
    std::thread second([&] {
        try {
            indexPart(file, split, size, parts[1], [&] {
                tell(false);
                return !stop;
            });
        } catch (const std::bad_alloc&) {
            parts[1].failed = true;
            parts[1].error = QStringLiteral("not enough memory to list it whole");
        }
        tell(true);
    });
    try {
        indexPart(file, 0, split, parts[0], report);
        // The first half is read: the count goes on as the second's does.
        for (bool last = parts[0].failed; !result.cancelled && !last && report();) {
            std::unique_lock guard(lock);
            told.wait(guard, [&] { return news; });
            news = false;
            last = done;
        }
    } catch (...) {
        stop = true;
        second.join();
        throw;
    }
    stop = result.cancelled || parts[0].failed;
    second.join();
}

} // namespace

LoadResult loadDataFile(const QString& path, RecordStore& store,
                        const std::function<bool(qsizetype, int)>& progress) {
    QFile file;
    QString why;
    if (!platform::openRegularFile(path, file, &why))
        return failed(why);
    // Refused before anything is read or reserved: the records' ends are kept in 32 bits.
    // What the file holds now is what is listed; lines appended later are not.
    const qint64 size = file.size();
    if (quint64(size) > RecordStore::MaxTextBytes)
        return failed(tooLarge(path));
    platform::PositionalFile positional = platform::PositionalFile::duplicate(file.handle(), &why);
    if (!positional.isOpen())
        return failed(QStringLiteral("%1: %2").arg(path, why));
    LoadResult result;
    try {
        std::array<FilePart, 2> parts;
        indexParts(positional, size, splitPoint(positional, size), parts, result, progress);
        if (result.cancelled)
            return result;
        Segments<quint32> ends = std::move(parts[0].ends);
        ValueColumn values = std::move(parts[0].values);
        // A read that failed ends what is listed: the records read before it stay.
        if (!parts[0].failed) {
            ends.append(std::move(parts[1].ends));
            values.append(std::move(parts[1].values));
        }
        if (const FilePart& part = parts[0].failed ? parts[0] : parts[1]; part.failed) {
            result.ok = false;
            result.error = QStringLiteral("%1: %2").arg(path, part.error);
        } else {
            result.skippedLines = parts[0].skippedLines + parts[1].skippedLines;
        }
        result.records = qsizetype(ends.size());
        auto records = std::make_shared<const FileRecords>(std::move(positional), std::move(ends),
                                                           std::move(values));
        if (store.empty()) {
            store.adoptFile(std::move(records));
        } else { // after records already listed: copied in
            for (qsizetype row = 0; row < records->size(); ++row) {
                std::array<QByteArrayView, FieldCount> cells;
                for (int c = 0; c < FieldCount; ++c)
                    cells[std::size_t(c)] = records->cellBytes(row, c);
                if (!store.append(cells))
                    return failed(tooLarge(path));
            }
        }
    } catch (const std::bad_alloc&) {
        return failed(QStringLiteral("%1: not enough memory to list it whole").arg(path));
    }
    qCDebug(lcFiles) << "listed" << path << result.records << "records," << result.skippedLines
                     << "lines skipped";
    return result;
}

QString skippedHourWarning(const QString& path, qint64 times) {
    return QStringLiteral("%1: %2 %3 in the hour the clock skipped for daylight saving time; "
                          "given the offset from UTC before it")
        .arg(path)
        .arg(times)
        .arg(times == 1 ? QStringLiteral("time falls") : QStringLiteral("times fall"));
}

QString skippedLinesWarning(const QString& path, qint64 skippedLines) {
    if (skippedLines <= 0)
        return {};
    return QStringLiteral("%1: %2 %3 not a record, skipped")
        .arg(path)
        .arg(skippedLines)
        .arg(skippedLines == 1 ? QStringLiteral("line was") : QStringLiteral("lines were"));
}

QString listedFileChanged(const QString& path) {
    return QStringLiteral("%1: not saved: the file listed has changed since it was opened")
        .arg(path);
}

bool saveDataFile(const QString& path, const RecordStore& store, QString* error,
                  const platform::WriteCall& write) {
    platform::AtomicFile file(path, write);
    bool written = file.open();
    std::string line;
    for (qsizetype row = 0; written && row < store.size(); ++row) {
        line.clear();
        for (int c = 0; c < FieldCount; ++c) {
            if (c)
                line += ',';
            const QByteArrayView cell = store.cellBytes(row, c);
            line.append(cell.data(), std::size_t(cell.size()));
        }
        line += LineEnd;
        written = file.write(QByteArrayView(line.data(), qsizetype(line.size())));
    }
    // Rows of an opened file that has changed meanwhile read as empty: such a
    // save would lose them, so the old file stays.
    const bool whole = !store.fileChanged();
    if (written && whole && file.commit()) {
        qCDebug(lcFiles) << "saved" << store.size() << "records to" << path;
        return true;
    }
    const QString why = whole ? file.errorString() : listedFileChanged(path);
    qCDebug(lcFiles) << "save failed:" << why;
    if (error)
        *error = why;
    return false;
}

bool RecordingFile::open(const QString& path, QString* error) {
    // The rule tarnix-log record follows: lines go only to a new or empty
    // file or after a record, never into a file of another kind.
    QString why, ended;
    if (m_out.open(path, &why) && readyForLines(m_out, RecordingFormat::Dat, &why, &ended))
        return true;
    if (error)
        *error = why;
    m_out.close();
    return false;
}

bool RecordingFile::appendLine(const RecordFields& fields, QString* error) {
    QString why;
    if (m_out.append(recordLine(fields).toLatin1() + LineEnd, &why))
        return true;
    qCDebug(lcFiles) << "recording line not written:" << why;
    if (error)
        *error = why;
    return false;
}

} // namespace tarnix::records
