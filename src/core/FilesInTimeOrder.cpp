#include "core/FilesInTimeOrder.h"

#include "files/AnalysisCsv.h"
#include "files/TimeSlice.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <optional>

namespace tarnix::core {

bool isAnalysisCsv(QFile& file) {
    const QByteArray header = files::AnalysisHeader.toUtf8();
    return file.seek(0) && file.peek(header.size() + 2).startsWith(header);
}

namespace {

// The moment of a file's first reading, for putting files in order.
std::optional<qint64> firstTime(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (isAnalysisCsv(file)) {
        file.readLine();
        const QDateTime at = QDateTime::fromString(
            QString::fromUtf8(file.readLine(4096)).section(u',', 0, 0), Qt::ISODateWithMs);
        return at.isValid() ? std::optional(at.toMSecsSinceEpoch()) : std::nullopt;
    }
    const auto record = files::recordAt(file, 0);
    return record ? std::optional(record->ms) : std::nullopt;
}

} // namespace

std::variant<QStringList, QString> inputsInTimeOrder(const QStringList& paths,
                                                     const QStringList& suffixes) {
    QStringList files;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.isDir()) {
            files << path;
            continue;
        }
        const QFileInfoList entries = QDir(path).entryInfoList(QDir::Files, QDir::Name);
        const qsizetype before = files.size();
        for (const QFileInfo& entry : entries)
            if (suffixes.contains(entry.suffix().toLower()))
                files << entry.filePath();
        if (files.size() == before)
            return QStringLiteral("%1: a folder without %2 files")
                .arg(path, suffixes.join(QStringLiteral(" or .")).prepend(u'.'));
    }
    if (files.size() < 2)
        return files;
    // A pipe is read once, so it is not looked into for its time.
    std::vector<std::pair<std::optional<qint64>, QString>> timed;
    for (const QString& file : files)
        timed.emplace_back(QFileInfo(file).isFile() ? firstTime(file) : std::nullopt, file);
    std::stable_sort(timed.begin(), timed.end(), [](const auto& a, const auto& b) {
        return a.first && (!b.first || *a.first < *b.first);
    });
    files.clear();
    for (const auto& [time, file] : timed)
        files << file;
    return files;
}

} // namespace tarnix::core
