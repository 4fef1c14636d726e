#include "files/DataFile.h"

#include "files/FieldReader.h"
#include "files/RecordStore.h"
#include "platform/AtomicFile.h"
#include "platform/Diagnostics.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <algorithm>
#include <new>

namespace tarnix::files {

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
} // namespace

LoadResult loadDataFile(const QString& path, RecordStore& store,
                        const std::function<bool(qsizetype)>& progress) {
    QFile file;
    QString why;
    if (!platform::openRegularFile(path, file, &why))
        return failed(why);
    // Refused before anything is read or reserved: the cells alone of a file
    // larger than this would not fit.
    const qint64 size = file.size();
    if (quint64(size) > RecordStore::MaxTextBytes)
        return failed(tooLarge(path));
    LoadResult result;
    try {
        if (size > 0)
            store.reserve(store.size() + qsizetype(size / BytesPerRecord), qsizetype(size));
        bool full = false;
        FieldReader reader([&](const FieldReader::Fields& fields) {
            if (!full && store.append(fields))
                ++result.records;
            else
                full = true;
        });
        QByteArray chunk(ChunkSize, Qt::Uninitialized);
        for (;;) {
            const qint64 n = file.read(chunk.data(), ChunkSize);
            if (n < 0)
                return failed(QStringLiteral("%1: %2").arg(path, file.errorString()));
            if (n == 0)
                break;
            reader.feed(QByteArrayView(chunk.constData(), n));
            if (full)
                return failed(tooLarge(path));
            if (progress && !progress(result.records))
                return result;
        }
        reader.finish();
        result.oddLines = reader.oddLines();
    } catch (const std::bad_alloc&) {
        return failed(QStringLiteral("%1: not enough memory to list it whole").arg(path));
    }
    if (progress)
        progress(result.records);
    qCDebug(lcFiles) << "listed" << path << result.records << "records," << result.oddLines
                     << "odd lines";
    return result;
}

QString oddLinesWarning(const QString& path, qint64 oddLines) {
    if (oddLines <= 0)
        return {};
    return QStringLiteral("%1: %2 %3 not %4 of six fields")
        .arg(path)
        .arg(oddLines)
        .arg(oddLines == 1 ? QStringLiteral("line was") : QStringLiteral("lines were"),
             oddLines == 1 ? QStringLiteral("a record") : QStringLiteral("records"));
}

bool saveDataFile(const QString& path, const RecordStore& store, QString* error,
                  const platform::WriteCall& write) {
    platform::AtomicFile file(path, write);
    bool written = file.open();
    QByteArray line;
    for (qsizetype row = 0; written && row < store.size(); ++row) {
        line.clear();
        for (int c = 0; c < FieldCount; ++c) {
            if (c)
                line += ',';
            line += store.cellBytes(row, c);
        }
        line += LineEnd;
        written = file.write(line);
    }
    if (written && file.commit()) {
        qCDebug(lcFiles) << "saved" << store.size() << "records to" << path;
        return true;
    }
    qCDebug(lcFiles) << "save failed:" << file.errorString();
    if (error)
        *error = file.errorString();
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

} // namespace tarnix::files
