#pragma once

#include "analysis/IntervalSummary.h"
#include "core/RecorderOptions.h"
#include "meter/Measurement.h"
#include "platform/LineAppender.h"

#include <QDateTime>
#include <QObject>
#include <optional>

namespace tarnix::core {

// The recorder's lines under --every: the samples go into the open
// interval, and each interval's lines go to the file, under the summary
// CSV header or as JSON lines, or to standard output, and are told with
// lineWritten() for the broker. A file name that turns over takes the
// interval's start. Sampling goes on as without --every.
class SummaryRecording : public QObject {
    Q_OBJECT

public:
    explicit SummaryRecording(const RecordOptions& options, QObject* parent = nullptr);

    // Opens the file (none without an output: the broker alone). False with the reason.
    bool open(const QDateTime& at, QString* error);
    // Closes the file and opens it again by its name (logrotate).
    bool reopen(QString* error);
    // A sample; false with the reason when a line could not be written.
    bool add(const QDateTime& at, const meter::Measurement& measurement, QString* error);
    // Time went on to `at` without a sample: the intervals over are written.
    bool reach(const QDateTime& at, QString* error);
    // The run ends: the open interval is written and the file closed.
    bool finish(QString* error);

Q_SIGNALS:
    void lineWritten(const tarnix::analysis::SummaryLine& line);

private:
    void write(const analysis::SummaryLine& line);
    bool openNamed(const QString& name, QString* error);
    bool outcome(QString* error);

    RecordOptions m_options;
    analysis::IntervalSummary m_summary;
    platform::LineAppender m_out;
    QString m_name; // the file open now
    QString m_error; // why the last line could not be written
};

} // namespace tarnix::core
