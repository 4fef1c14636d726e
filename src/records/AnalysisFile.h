#pragma once

#include "platform/WriteAll.h"

#include <QString>

namespace tarnix::records {

class RecordStore;

// Writes every record of `store` as an analysis CSV line under the header,
// replacing the file whole or not at all, as a data-file save does. Records
// whose date or time cannot be read have no place in it: they are left out
// and counted in `leftOut`. False with `error` set when the file could not
// be written.
bool saveAnalysisFile(const QString& path, const RecordStore& store, qint64* leftOut,
                      QString* error = nullptr, const platform::WriteCall& write = {});

// "PATH: N records without a readable date and time were left out"
QString leftOutMessage(const QString& path, qint64 leftOut);

} // namespace tarnix::records
