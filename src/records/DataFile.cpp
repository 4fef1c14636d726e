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
#include <new>

namespace tarnix::records {

namespace {
constexpr qint64 ChunkSize = 1 << 20;
constexpr qint64 BytesPerRecord = 40; // about, for a line the program writes

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

// Where each record of the file ends, and its value cell, read through once.
// False when a read failed.
bool indexRecords(const platform::PositionalFile& file, qint64 size, std::vector<quint32>& ends,
                  ValueColumn& values, LoadResult& result,
                  const std::function<bool(qsizetype, int)>& progress, QString* error) {
    RecordReader* self = nullptr;
    RecordReader reader([&](QByteArrayView, const LineFields* record) {
        if (!record)
            return;
        ends.push_back(quint32(self->recordEnd()));
        values.add((*record)[5], (*record)[4]);
    });
    self = &reader;
    QByteArray chunk(ChunkSize, Qt::Uninitialized);
    for (qint64 at = 0; at < size;) {
        const qint64 n = file.readAt(at, chunk.data(), std::min(ChunkSize, size - at), error);
        if (n < 0)
            return false;
        if (n == 0)
            break; // cut short meanwhile: what is there is listed
        reader.feed(QByteArrayView(chunk.constData(), n));
        at += n;
        result.records = qsizetype(ends.size());
        if (progress && !progress(result.records, int(at * 100 / size))) {
            result.cancelled = true;
            return true;
        }
    }
    reader.finish();
    result.records = qsizetype(ends.size());
    result.skippedLines = reader.skippedLines();
    return true;
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
        std::vector<quint32> ends;
        ends.reserve(std::size_t(size / BytesPerRecord + 1));
        ValueColumn values;
        values.reserve(ends.capacity());
        if (!indexRecords(positional, size, ends, values, result, progress, &why)) {
            // The records read so far stay listed.
            result.ok = false;
            result.error = QStringLiteral("%1: %2").arg(path, why);
        }
        if (result.cancelled)
            return result;
        // Not shrunk to fit: the copy would double the peak, and the
        // reserved room never written takes no memory.
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
