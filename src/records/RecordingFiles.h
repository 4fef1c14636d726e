#pragma once

#include "records/RecordingFormat.h"
#include "platform/LineAppender.h"
#include "platform/Severity.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace tarnix::records {

// Where a recording's lines go: one file, standard output ("-"), or a file
// whose name turns over with the samples' own times (see OutputName), so a
// sample always lands in the file its time names, whatever the wall clock
// did. A new or empty file gets the CSV header; a file that holds lines is
// appended to after its last whole line.
class RecordingFiles {
public:
    using Tell = std::function<void(const QString&, platform::Severity)>;

    RecordingFiles(QString output, RecordingFormat format, bool utc, Tell tell);

    // Opens the file for a sample taken at `at`. False with the reason.
    bool open(const QDateTime& at, QString* error);
    // Writes the sample, the run's `seq`-th, with its alarm state, first
    // turning over to another file when its time names one. False with the
    // reason; the sample is then not written.
    bool write(const QDateTime& at, const meter::Measurement& measurement, QString* error,
               qint64 seq = 0, const SampleAlarm& alarm = {});
    // Closes the file and opens it again by its name: after logrotate moved
    // it, the lines go on in a new file.
    bool reopen(QString* error);
    void close() { m_out.close(); }
    bool isOpen() const { return m_out.isOpen(); }

    // The time of the last record the file held when it was opened: a run
    // that starts again after a crash appends after it.
    std::optional<QDateTime> resumedAfter() const { return m_resumedAfter; }
    const QString& fileName() const { return m_name; }

private:
    bool openNamed(const QString& name, QString* error);
    bool readyOrClosed(const QString& name, QString* error);

    QString m_output;
    RecordingFormat m_format;
    bool m_utc;
    Tell m_tell;
    platform::LineAppender m_out;
    QString m_name;      // the file open now
    qint64 m_number = 0; // the data-file lines this file got from this run
    std::optional<QDateTime> m_resumedAfter;
};

} // namespace tarnix::records
