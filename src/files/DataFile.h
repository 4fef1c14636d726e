#pragma once

#include "files/DataRecord.h"

#include <QFile>
#include <QString>
#include <functional>

namespace tarnix::files {

class RecordStore;

struct LoadResult {
    bool ok = true;       // false: the file could not be opened or read to its end
    QString error;        // why, in words for the user
    qsizetype records = 0;
};

// Reads a data file into `store` (appending). `progress` is called with the
// record count after each chunk; returning false stops the load there.
LoadResult loadDataFile(const QString& path, RecordStore& store,
                        const std::function<bool(qsizetype)>& progress = {});

// Writes every record of `store`, one line each, replacing the file. The new
// content goes to a temporary file beside it first, so a failed save leaves
// the old file as it was. False with `error` set on failure.
bool saveDataFile(const QString& path, const RecordStore& store, QString* error = nullptr);

// The file a PC recording appends to: each line reaches the file before
// appendLine returns.
class RecordingFile {
public:
    bool open(const QString& path, QString* error = nullptr);
    bool isOpen() const { return m_file.isOpen(); }
    bool appendLine(const RecordFields& fields, QString* error = nullptr);
    void close();

private:
    QFile m_file;
};

} // namespace tarnix::files
