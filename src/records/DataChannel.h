#pragma once

#include "records/DataFile.h"

#include <QString>

namespace tarnix::records {

// The one channel for data files: the PC recording holds it while it runs,
// and list saving is refused meanwhile; opening a file ends a recording first.
struct DataChannel {
    QString dataFileName;   // the path chosen in the last save dialog
    QString lastFilter;     // the filter the record button's dialog set last
    bool pcRecording = false;
    qint64 recordCount = 0; // lines written by the running recording
    RecordingFile recording;
};

// The save dialog's filter, as given to every data-file dialog.
inline const QString DataFileFilter = QStringLiteral("Data Files (*.dat);;All Files (*.*)");

// A list's Save dialog offers the analysis CSV beside the data file.
inline const QString AnalysisCsvFilter = QStringLiteral("CSV for analysis (*.csv)");
inline const QString ListSaveFilter =
    QStringLiteral("Data Files (*.dat);;") + AnalysisCsvFilter + QStringLiteral(";;All Files (*.*)");

inline const QString AlreadyRecordingMessage =
    QStringLiteral("Aready in recording mode, Close it and try again !");

} // namespace tarnix::records
