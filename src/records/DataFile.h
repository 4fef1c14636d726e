#pragma once

#include "records/DataRecord.h"
#include "platform/LineAppender.h"
#include "platform/WriteAll.h"

#include <QString>
#include <functional>

namespace tarnix::records {

class RecordStore;

struct LoadResult {
    bool ok = true;         // false: the file could not be opened or read to its end
    bool cancelled = false; // progress said stop: nothing was listed
    QString error;          // why, in words for the user
    qsizetype records = 0;
    qint64 skippedLines = 0; // lines with text that were not a record
};

// Lists a data file in `store` (after what it holds). The file is read
// through once to find its records, which an empty store then reads from the
// file as they are needed. A large file is read in two halves at once, the
// second on a thread of its own. `progress` is called on this thread with
// the record count and the percentage read after each chunk; returning
// false stops the load and leaves the store as it was. Only regular files are read, and only those
// of at most 4 GB.
LoadResult loadDataFile(const QString& path, RecordStore& store,
                        const std::function<bool(qsizetype, int)>& progress = {});

// "PATH: N lines were not a record, skipped", or empty when none was; every
// reader of data files says it alike.
QString skippedLinesWarning(const QString& path, qint64 skippedLines);
// "big.dat: 3 times fall in the hour the clock skipped ...": such times are
// read with the offset in force before the skip.
QString skippedHourWarning(const QString& path, qint64 times);

// Writes every record of `store`, one line each, replacing the file. The new
// content goes to a temporary file beside it first, so a failed save leaves
// the old file byte for byte as it was; an existing target that is not a
// regular file is refused. False with `error` set on failure. `write` stands
// in for the system's write (tests make it fail).
// Why a list whose opened file has changed under it is not saved: its rows
// read as empty now, and a save would lose them.
QString listedFileChanged(const QString& path);

bool saveDataFile(const QString& path, const RecordStore& store, QString* error = nullptr,
                  const platform::WriteCall& write = {});

// The file a PC recording appends to: each line reaches the file before
// appendLine returns, whole or not at all.
class RecordingFile {
public:
    // Opens `path` for appending as tarnix-log record does (see
    // readyForLines): a file whose last line is no record, or that holds CSV
    // or JSON lines, is refused with "PATH: why"; a last line that a write
    // cut short left without its line end is ended first.
    bool open(const QString& path, QString* error = nullptr);
    bool isOpen() const { return m_out.isOpen(); }
    bool appendLine(const RecordFields& fields, QString* error = nullptr);
    void close() { m_out.close(); }
    void setWriteCall(platform::WriteCall call) { m_out.setWriteCall(std::move(call)); }

private:
    platform::LineAppender m_out;
};

} // namespace tarnix::records
