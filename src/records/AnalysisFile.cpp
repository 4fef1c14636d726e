#include "records/AnalysisFile.h"

#include "records/AnalysisCsv.h"
#include "records/DataFile.h"
#include "records/RecordStore.h"
#include "platform/AtomicFile.h"

namespace tarnix::records {

bool saveAnalysisFile(const QString& path, const RecordStore& store, qint64* leftOut,
                      QString* error, const platform::WriteCall& write) {
    platform::AtomicFile file(path, write);
    bool written = file.open() && file.write(AnalysisHeader.toUtf8() + CsvLineEnd);
    *leftOut = 0;
    for (qsizetype row = 0; written && row < store.size(); ++row) {
        const auto line = analysisLineOf(store.record(row));
        if (!line) {
            ++*leftOut;
            continue;
        }
        written = file.write(line->toUtf8() + CsvLineEnd);
    }
    const bool whole = !store.fileChanged(); // see saveDataFile
    if (written && whole && file.commit())
        return true;
    if (error)
        *error = whole ? file.errorString() : listedFileChanged(path);
    return false;
}

QString leftOutMessage(const QString& path, qint64 leftOut) {
    return QStringLiteral("%1: %2 %3 without a readable date and time %4 left out")
        .arg(path)
        .arg(leftOut)
        .arg(leftOut == 1 ? QStringLiteral("record") : QStringLiteral("records"),
             leftOut == 1 ? QStringLiteral("was") : QStringLiteral("were"));
}

} // namespace tarnix::records
