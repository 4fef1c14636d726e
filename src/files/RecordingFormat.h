#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <optional>

namespace tarnix::files {

// What a recording writes a sample as: the data-file line, or the analysis
// CSV line under its header.
enum class RecordingFormat { Dat, Csv };

std::optional<RecordingFormat> recordingFormatNamed(QStringView name); // "dat", "csv"

// The sample's line, with its line end. `number` counts the run's lines from 1
// (only the data-file line shows it).
QByteArray recordingLine(RecordingFormat format, qint64 number, const QDateTime& at,
                         const QString& function, const QString& range, const QString& display);

// What goes at the top of a new or empty file: the CSV header line, or nothing.
QByteArray recordingHeader(RecordingFormat format);

// Whether a file that starts with `start` (its first kilobytes; empty for an
// empty file) can take lines of `format`: nothing when it can, otherwise why
// not. A CSV file must start with this header, and a data file must not.
std::optional<QString> appendRefusal(RecordingFormat format, QByteArrayView start);

} // namespace tarnix::files
