#pragma once

#include "core/RecorderOptions.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace tarnix::records {
class RecordStore;
}

namespace tarnix::core {

// Where the file commands put their words: `out` the result (standard
// output), `message` what goes on standard error.
struct FileCommandOutput {
    std::function<bool(QByteArrayView)> out;
    std::function<void(const QString&)> message;
};

// Reads data files line by line, never whole, one after another in the
// order of their first record's time (a folder stands for its .dat files),
// and writes each record in the slice as an analysis CSV line under one
// header. Lines that are not records are skipped and counted. 0 done, 1 a
// file could not be read or written, or has lines and no record (an empty
// file is an empty recording).
int runConvert(const ConvertOptions& options, const FileCommandOutput& output);
// The records of the list called `name`, as runConvert() writes a data
// file of them; options.inputs is not read.
int runConvert(const records::RecordStore& list, const QString& name,
               const ConvertOptions& options, const FileCommandOutput& output);

// One summary of data files and analysis CSV files read as one recording in
// the order of their first reading's time (a folder stands for its .dat and
// .csv files). 0 done, 1 a file could not be read or holds neither
// records nor readings, though it has lines (the others are still summed
// up; with none left, no summary).
int runStats(const StatsOptions& options, const FileCommandOutput& output);

} // namespace tarnix::core
