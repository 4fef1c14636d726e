#include "core/TrendSource.h"

#include "records/RecordLine.h"
#include "records/RecordReader.h"
#include "analysis/TimeSlice.h"
#include "platform/Clock.h"
#include "platform/RegularFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <thread>

namespace tarnix::core {

namespace {

constexpr qint64 ChunkBytes = 1 << 20;
constexpr qint64 TailBytes = 64;
// A last line without its line end, in a file left alone this long, is taken
// as ended: a program that writes lines has written the end with them.
constexpr qint64 QuietMs = 2000;
// A file smaller than this is read by one thread: a second would gain little.
constexpr qint64 HalvesFrom = 8 << 20;

// Feeds [from, to) of `file` to `data` in chunks; false with the reason, or
// without one when `goOn`, asked after each chunk with the bytes fed, said
// to stop.
bool feedRange(QFile& file, qint64 from, qint64 to, trend::TrendData& data, QString* error,
               const std::function<bool(qint64)>& goOn) {
    const auto failed = [&] {
        *error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
        return false;
    };
    if (!file.seek(from))
        return failed();
    QByteArray chunk(int(ChunkBytes), Qt::Uninitialized);
    for (qint64 at = from; at < to;) {
        const qint64 n = file.read(chunk.data(), std::min(ChunkBytes, to - at));
        if (n < 0)
            return failed();
        if (n == 0)
            break;
        data.feed(QByteArrayView(chunk.data(), n));
        at += n;
        if (!goOn(at - from))
            return false;
    }
    return true;
}

// Where the second half of a file starts: the first record past its middle;
// 0 when there is none to split at. Not within two hours of a change of
// daylight saving time: the half after it would not know which offset the
// hour shown twice had before.
qint64 halfway(QFile& file, qint64 size) {
    if (size < HalvesFrom)
        return 0;
    const auto record = analysis::recordAt(file, size / 2);
    if (!record || record->lineStart <= 0)
        return 0;
    const auto offset = [](qint64 ms) {
        return QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
    };
    constexpr qint64 TwoHours = 2 * 3600 * 1000;
    return offset(record->ms - TwoHours) == offset(record->ms + TwoHours) ? record->lineStart : 0;
}

bool endsLine(const QByteArray& bytes) {
    return bytes.endsWith('\n') || bytes.endsWith('\r');
}

} // namespace

TrendSource::TrendSource(QStringList paths, const platform::Clock& clock)
    : m_paths(std::move(paths)), m_clock(clock), m_data(std::make_unique<trend::TrendData>()) {}

TrendSource::TrendSource(records::RecordStore records, const platform::Clock& clock)
    : m_records(std::move(records)), m_clock(clock), m_data(std::make_unique<trend::TrendData>()) {}

bool TrendSource::load(QString* error, const Progress& progress) {
    m_data = std::make_unique<trend::TrendData>();
    m_stopped = false;
    if (m_records) {
        for (qsizetype row = 0; row < m_records->size(); ++row)
            m_data->take(m_records->lineFields(row));
        m_gapMs = m_data->gapMs();
        return true;
    }
    m_starts.clear();
    m_sizes.clear();
    m_nextStart = 0;
    m_lastRead = 0;
    m_lastTail.clear();
    m_tailEnded = false;
    m_progress = progress;
    m_loadBytes = m_loadedBytes = 0;
    for (const QString& path : m_paths)
        m_loadBytes += QFileInfo(path).size();
    bool ok = true;
    for (std::size_t i = 0; ok && i < std::size_t(m_paths.size()); ++i)
        ok = readFile(i, 0, -1, error);
    m_progress = {};
    m_gapMs = m_data->gapMs();
    if (ok)
        endQuietTail();
    m_failed = !ok;
    return ok;
}

bool TrendSource::endQuietTail() {
    const QString& path = m_paths.last();
    if (m_tailEnded || m_lastTail.isEmpty() || endsLine(m_lastTail) ||
        QFileInfo(path).lastModified().msecsTo(m_clock.now()) < QuietMs)
        return false;
    m_data->feed("\n");
    m_tailEnded = true;
    m_gapMs = m_data->gapMs();
    return true;
}

bool TrendSource::readFile(std::size_t index, qint64 from, qint64 to, QString* error) {
    const QString& path = m_paths[qsizetype(index)];
    QFile file;
    if (!platform::openRegularFile(path, file, error))
        return false;
    const bool last = index + 1 == std::size_t(m_paths.size());
    const qint64 size = to < 0 ? file.size() : to;
    if (m_starts.size() <= index)
        m_starts.push_back(m_nextStart);
    const qint64 split = from == 0 && m_paths.size() == 1 ? halfway(file, size) : 0;
    // Progress is told by this thread: with halves, the other half is taken
    // to have got as far as this one.
    std::atomic<bool> stop = false;
    const qint64 start = split > 0 ? split : from;
    const auto told = [&](qint64 fed) {
        if (!m_progress || stop)
            return !stop;
        const qint64 done = m_loadedBytes + (size - from) * fed / std::max<qint64>(1, size - start);
        stop = !m_progress(int(std::min<qint64>(100, done * 100 / std::max<qint64>(1, m_loadBytes))));
        m_stopped = stop;
        return !stop;
    };
    bool ok = true;
    if (split > 0) {
        // The first half on a thread of its own, read into a part of its own.
        trend::TrendData earlier;
        QString earlierError;
        bool earlierOk = false;
        std::thread reader([&] {
            QFile own;
            earlierOk = platform::openRegularFile(path, own, &earlierError) &&
                        feedRange(own, 0, split, earlier, &earlierError, [&](qint64) { return !stop; });
        });
        ok = feedRange(file, split, size, *m_data, error, told);
        reader.join();
        if (m_stopped)
            return false;
        if (!earlierOk) {
            *error = earlierError;
            return false;
        }
        m_data->follow(std::move(earlier), split);
    } else {
        ok = feedRange(file, from, size, *m_data, error, told);
    }
    if (!ok)
        return false;
    m_loadedBytes += size - from;
    if (!last) {
        // A file that ends without a line end still ends its last line.
        m_data->feed("\n");
        m_nextStart += size + 1;
        m_sizes.push_back(size);
        return true;
    }
    m_lastRead = size;
    m_lastTail.clear();
    if (file.seek(std::max<qint64>(0, size - TailBytes)))
        m_lastTail = file.read(TailBytes);
    return true;
}

TrendSource::Growth TrendSource::readMore(QString* error) {
    if (m_paths.isEmpty())
        return Growth::None;
    // After a read that failed, what was read is no base to read on from.
    if (m_failed)
        return load(error) ? Growth::Rewritten : Growth::Failed;
    // Another recording may grow an earlier file: its readings come before
    // the later files', so all are read again.
    for (std::size_t i = 0; i < m_sizes.size(); ++i)
        if (QFileInfo(m_paths[qsizetype(i)]).size() != m_sizes[i])
            return load(error) ? Growth::Reread : Growth::Failed;
    const QString& path = m_paths.last();
    QFile file;
    if (!platform::openRegularFile(path, file, error))
        return Growth::Failed;
    const qint64 size = file.size();
    bool same = size >= m_lastRead;
    if (same && !m_lastTail.isEmpty()) {
        file.seek(m_lastRead - m_lastTail.size());
        same = file.read(m_lastTail.size()) == m_lastTail;
    }
    // A last line taken as ended that goes on after all is read again whole.
    if (!same || (m_tailEnded && size > m_lastRead))
        return load(error) ? Growth::Rewritten : Growth::Failed;
    const qint64 records = m_data->records();
    if (size == m_lastRead)
        return endQuietTail() && m_data->records() > records ? Growth::Grew : Growth::None;
    const std::size_t last = std::size_t(m_paths.size()) - 1;
    if (!readFile(last, m_lastRead, size, error))
        return Growth::Failed;
    m_gapMs = m_data->gapMs();
    return m_data->records() > records ? Growth::Grew : Growth::None;
}

std::pair<std::size_t, qint64> TrendSource::fileAt(qint64 at) const {
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), at);
    const std::size_t file = std::size_t(std::max<qsizetype>(after - m_starts.begin() - 1, 0));
    return {file, at - m_starts[file]};
}

std::optional<std::vector<QByteArray>> TrendSource::recordFields(qint64 row) const {
    if (m_records) {
        if (row < 0 || row >= m_records->size() || m_records->fileChanged())
            return std::nullopt;
        std::vector<QByteArray> fields;
        for (const QByteArrayView field : m_records->lineFields(qsizetype(row)))
            fields.push_back(field.toByteArray());
        return fields;
    }
    if (row < 0 || row >= m_data->records() || m_starts.empty())
        return std::nullopt;
    const auto [byte, startRow] = m_data->lineBefore(row);
    const auto [first, at] = fileAt(byte);
    std::optional<std::vector<QByteArray>> found;
    qint64 next = startRow;
    records::RecordReader reader([&](QByteArrayView, const records::LineFields* fields) {
        if (fields && next++ == row && !found) {
            found.emplace();
            for (const QByteArrayView field : *fields)
                found->emplace_back(field.toByteArray());
        }
    });
    // On from there, into the files after it as loading went on.
    QByteArray chunk(64 << 10, Qt::Uninitialized);
    for (std::size_t index = first; !found && index < std::size_t(m_paths.size()); ++index) {
        QFile file(m_paths[qsizetype(index)]);
        if (!file.open(QIODevice::ReadOnly) || !file.seek(index == first ? at : 0))
            return std::nullopt;
        for (qint64 n; !found && (n = file.read(chunk.data(), chunk.size())) > 0;)
            reader.feed(QByteArrayView(chunk.data(), n));
        if (index + 1 < std::size_t(m_paths.size()))
            reader.feed("\n");
    }
    if (!found && m_tailEnded)
        reader.finish();
    return found;
}

QString trendFileRewritten(const QString& path) {
    return QStringLiteral("%1 was cut short or rewritten since it was read: read again")
        .arg(path.section(u'/', -1));
}

} // namespace tarnix::core
