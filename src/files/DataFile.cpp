#include "files/DataFile.h"

#include "files/FieldReader.h"
#include "files/RecordStore.h"

#include <QSaveFile>

namespace tarnix::files {

namespace {
constexpr qint64 ChunkSize = 1 << 20;
}

LoadResult loadDataFile(const QString& path, RecordStore& store,
                        const std::function<bool(qsizetype)>& progress) {
    LoadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.ok = false;
        result.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return result;
    }
    // About 40 bytes a record: reserve once instead of growing step by step.
    const qint64 size = file.size();
    if (size > 0)
        store.reserve(store.size() + qsizetype(size / 40), qsizetype(size));
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
        if (n < 0) {
            result.ok = false;
            result.error = QStringLiteral("%1: %2").arg(path, file.errorString());
            return result;
        }
        if (n == 0)
            break;
        reader.feed(QByteArrayView(chunk.constData(), n));
        if (full) {
            result.ok = false;
            result.error = QStringLiteral("%1: too large to list whole").arg(path);
            return result;
        }
        if (progress && !progress(result.records))
            return result;
    }
    reader.finish();
    if (progress)
        progress(result.records);
    return result;
}

bool saveDataFile(const QString& path, const RecordStore& store, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray block;
    block.reserve(ChunkSize + 256);
    for (qsizetype row = 0; row < store.size(); ++row) {
        for (int c = 0; c < FieldCount; ++c) {
            if (c)
                block += ',';
            block += store.cellBytes(row, c);
        }
        block += LineEnd;
        if (block.size() >= ChunkSize) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool RecordingFile::open(const QString& path, QString* error) {
    m_file.close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, m_file.errorString());
        return false;
    }
    return true;
}

bool RecordingFile::appendLine(const RecordFields& fields, QString* error) {
    const QByteArray line = recordLine(fields).toLatin1() + LineEnd;
    if (m_file.write(line) != line.size() || !m_file.flush()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(m_file.fileName(), m_file.errorString());
        return false;
    }
    return true;
}

void RecordingFile::close() { m_file.close(); }

} // namespace tarnix::files
