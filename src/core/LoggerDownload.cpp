#include "core/LoggerDownload.h"

#include "logger/MemoryDump.h"

namespace tarnix::core {

namespace {
// Why a dump ended before its last byte, for the user.
QString dumpEndText(const logger::DumpResult& result, bool listed) {
    const QString why = result.end == logger::DumpResult::End::TimedOut
                            ? QStringLiteral("The meter stopped sending")
                            : QStringLiteral("The meter's port went away");
    return QStringLiteral("%1 after %2 of %3 bytes; %4")
        .arg(why)
        .arg(result.bytes.size())
        .arg(logger::DumpLength)
        .arg(listed ? QStringLiteral("the records received are listed.")
                    : QStringLiteral("no record of this set arrived."));
}
} // namespace

DownloadOutcome downloadOutcome(const logger::DumpResult& result, const logger::RecordSet& set,
                                int year) {
    DownloadOutcome outcome;
    if (result.end == logger::DumpResult::End::Cancelled)
        return outcome;
    logger::SetDownload download = logger::downloadSet(result.dump(), set, year);
    const bool listed = result.complete() || !download.records.empty();
    if (listed)
        outcome.records = std::move(download.records);
    if (!result.complete())
        outcome.warning = dumpEndText(result, listed);
    else if (download.leftOut > 0)
        outcome.warning = QStringLiteral("%1 records of this set lie beyond the meter's memory and "
                                         "could not be taken.")
                              .arg(download.leftOut);
    return outcome;
}

} // namespace tarnix::core
