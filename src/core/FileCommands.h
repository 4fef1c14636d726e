#pragma once

#include "core/RecorderOptions.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace tarnix::core {

// Where the file commands put their words: `out` the result (standard
// output), `message` what goes on standard error.
struct FileCommandOutput {
    std::function<bool(QByteArrayView)> out;
    std::function<void(const QString&)> message;
};

// Reads a data file line by line, never whole, and writes each record as an
// analysis CSV line under the header. Lines that are not records are
// skipped and counted. 0 done, 1 a file could not be read or written.
int runConvert(const ConvertOptions& options, const FileCommandOutput& output);

// The summary of each file, a data file or an analysis CSV file, in turn.
// 0 done, 1 a file could not be read (the others are still summed up).
int runStats(const QStringList& files, const FileCommandOutput& output, bool precise = false);

} // namespace tarnix::core
