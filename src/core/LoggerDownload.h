#pragma once

#include "records/DataRecord.h"
#include "logger/LoggerHeader.h"
#include "logger/LoggerSession.h"

#include <QString>
#include <optional>
#include <vector>

namespace tarnix::core {

// What the Memory window does once a set's dump has ended.
struct DownloadOutcome {
    // The records to list; none when no list opens: a cancelled dump, or one
    // that ended early before a record of the set arrived.
    std::optional<std::vector<records::RecordFields>> records;
    // An early end or records left out, said with the exclamation icon; empty: nothing to say.
    QString warning;
};

// A dump that ended early lists what came, and says so; one that brought no
// record of the set opens no list. A cancelled dump lists and says nothing.
DownloadOutcome downloadOutcome(const logger::DumpResult& result, const logger::RecordSet& set,
                                int year);

} // namespace tarnix::core
