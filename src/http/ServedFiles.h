#pragma once

#include "records/RecordingFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace tarnix::http {

// The data files the server offers, each by its name alone: a request
// names one of those listed, never a path, so nothing else can be reached.
class ServedFiles {
public:
    // The paths as they are now, in the order their readings come.
    using Lister = std::function<QStringList()>;
    explicit ServedFiles(Lister lister) : m_lister(std::move(lister)) {}

    // Every path now; with a name, only the file of that name (nothing
    // when none is listed under it).
    std::optional<QStringList> paths(const QByteArray& name = {}) const;

private:
    Lister m_lister;
};

// The names the files are offered by, in the order of `paths`: each file's
// name, or where two folders hold files of one name, as many of the folders
// above it as tell them apart ("bench1/2026-12-05.dat").
QStringList servedNames(const QStringList& paths);

// A file's name, size, what it was written as, and the times of its first
// and last record.
struct FileFacts {
    QString name;
    records::RecordingFormat format = records::RecordingFormat::Dat;
    qint64 bytes = 0;
    std::optional<qint64> firstMs, lastMs;
};
FileFacts fileFacts(const QString& path, const QString& name);

// The files as a JSON array: [{"name":"bench.dat","bytes":1234,
// "format":"dat","first":"2026-12-05T07:00:00.000Z","last":"..."}], times null when a file
// holds no record.
QByteArray filesJson(const std::vector<FileFacts>& files);

// A moment as the API writes it, and as ?from= and ?to= take it: ISO 8601
// in UTC with milliseconds.
QByteArray isoTime(qint64 ms);

// "dat", "csv" or "jsonl"
QByteArray formatName(records::RecordingFormat format);

} // namespace tarnix::http
