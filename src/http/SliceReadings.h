#pragma once

#include "analysis/TimeSlice.h"

#include <QByteArrayView>
#include <QStringList>
#include <functional>
#include <optional>

namespace tarnix::http {

enum class ReadingsFormat { Csv, Jsonl, Dat };
// "csv", "jsonl" or "dat"; nothing for anything else.
std::optional<ReadingsFormat> readingsFormatNamed(QByteArrayView name);

// The readings of `slice` in data files read as one recording, in pieces
// to `write` (false: stop): csv the bytes convert writes, dat the records'
// own lines, jsonl each record as a JSON-lines recording holds it. Files
// are read a chunk at a time, and a file whose times grow only where the
// slice lies.
void writeReadings(const QStringList& paths, const analysis::TimeSlice& slice,
                   ReadingsFormat format, const std::function<bool(QByteArrayView)>& write);

} // namespace tarnix::http
