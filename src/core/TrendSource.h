#pragma once

#include "records/RecordStore.h"
#include "trend/TrendData.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <functional>
#include <optional>
#include <vector>

namespace tarnix::platform {
class Clock;
}

namespace tarnix::core {

// Data files read as one trend, one after the other, and each followed as
// a recording grows it. A large file alone is read in two
// halves at once, one on another thread, which halves the wait on two cores.
// Or the records of a list, read where they are kept, as they were when the
// trend was opened.
class TrendSource {
public:
    // `paths` in the order their readings come, as inputsInTimeOrder() gives
    // them; `clock` tells when a file was left alone.
    TrendSource(QStringList paths, const platform::Clock& clock);
    // A copy of a list's records: the list goes on without the trend.
    TrendSource(records::RecordStore records, const platform::Clock& clock);

    // Told between chunks of a load how far it has got, in percent of all
    // the files' bytes; false stops the load.
    using Progress = std::function<bool(int percent)>;
    // Reads the files as they are now. False, with "PATH: reason", when one
    // cannot be read: what was read before it stays. False, without a
    // reason, when `progress` stopped it (stopped()).
    bool load(QString* error, const Progress& progress = {});
    bool stopped() const { return m_stopped; }

    enum class Growth {
        None,      // nothing new
        Grew,      // readings were added
        Rewritten, // the last file was cut short or rewritten: it was all read again
        Reread,    // an earlier file changed: all were read again
        Failed,    // the file could not be read (`error` says why)
    };
    // Reads what the last file gained since (a list's records: None); all
    // the files again when an earlier one changed size. A last line without its line
    // end waits for it, until the file has been left alone for 2 s.
    Growth readMore(QString* error);

    const trend::TrendData& data() const { return *m_data; }
    // Twice the median spacing, kept from the last read.
    qint64 gapMs() const { return m_gapMs; }
    const QStringList& paths() const { return m_paths; }
    // The list's records; nullptr for files.
    const records::RecordStore* records() const { return m_records ? &*m_records : nullptr; }

    // The fields of record `row` (counted over all the files, from 0) as
    // the file or list holds them now; nothing when it is no longer there.
    std::optional<std::vector<QByteArray>> recordFields(qint64 row) const;

private:
    // Bytes [from, to) of a file (to -1: its end).
    bool readFile(std::size_t file, qint64 from, qint64 to, QString* error);
    // Takes the last file's unfinished last line as ended once the file is
    // left alone; true when it did.
    bool endQuietTail();
    // Where the stream's byte `at` lies: the file, and the byte in it.
    std::pair<std::size_t, qint64> fileAt(qint64 at) const;

    QStringList m_paths;
    std::optional<records::RecordStore> m_records;
    const platform::Clock& m_clock;
    std::unique_ptr<trend::TrendData> m_data;
    std::vector<qint64> m_starts; // each file's first byte in the stream fed
    std::vector<qint64> m_sizes;  // each earlier file's size as read
    qint64 m_nextStart = 0;       // the next file's, after a line end between
    qint64 m_lastRead = 0;        // bytes of the last file read
    QByteArray m_lastTail;        // its last bytes read, to notice a rewrite
    bool m_tailEnded = false; // its unfinished last line was taken as ended
    bool m_failed = false;    // the last load failed part way
    bool m_stopped = false;   // the last load was stopped by its progress
    Progress m_progress;      // during a load
    qint64 m_loadBytes = 0, m_loadedBytes = 0; // of all files, and of those before the one read
    qint64 m_gapMs = 0;
};

// What the trend says when its file changed under it.
QString trendFileRewritten(const QString& path);

} // namespace tarnix::core
