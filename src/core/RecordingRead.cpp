#include "core/RecordingRead.h"

#include "core/FilesInTimeOrder.h"

#include <QFileInfo>

namespace tarnix::core {

bool openRecording(const QString& path, QFile& file, const analysis::TimeSlice& slice,
                   records::LocalOffsets& offsets, analysis::SliceRead& plan, QString* error) {
    if (QFileInfo(path).isDir()) {
        *error = QStringLiteral("%1: a folder, not a file").arg(path);
        return false;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    plan = {};
    if (!slice.whole() && !file.isSequential() && !isAnalysisCsv(file))
        plan = analysis::sliceRead(file, slice, offsets);
    // A pipe is read from where it stands: it cannot seek, not even to 0.
    if (!file.isSequential() && !file.seek(plan.start)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString notARecording(const QString& path, bool csvHeader, CsvInput csv) {
    if (csvHeader)
        return QStringLiteral("%1: an analysis CSV file, not a data file").arg(path);
    if (csv == CsvInput::Taken)
        return QStringLiteral("%1: not a recording: no line in it is a data-file record "
                              "or an analysis CSV line").arg(path);
    return QStringLiteral("%1: not a recording: no line in it is a data-file record").arg(path);
}

} // namespace tarnix::core
