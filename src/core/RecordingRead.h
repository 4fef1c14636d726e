#pragma once

#include "analysis/TimeSlice.h"
#include "records/LocalOffsets.h"

#include <QFile>
#include <QString>

namespace tarnix::core {

// Whether an analysis CSV file is read as readings (stats) or refused (convert).
enum class CsvInput { Taken, Refused };

// Opens a recording for reading the records of `slice`: with a slice, a data
// file whose times grow is read from the slice's start and no further than
// its end, in the local offset state `offsets` of the files read so far
// (analysis::sliceRead()). False with the reason when it cannot be opened.
bool openRecording(const QString& path, QFile& file, const analysis::TimeSlice& slice,
                   records::LocalOffsets& offsets, analysis::SliceRead& plan, QString* error);

// Why a file with lines, none of them a record (nor, where `csv` allows one,
// an analysis CSV file's header), is no recording.
QString notARecording(const QString& path, bool csvHeader, CsvInput csv);

} // namespace tarnix::core
