#include "core/FilesInTimeOrder.h"

#include "records/AnalysisCsv.h"
#include "analysis/TimeSlice.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <limits>
#include <optional>

namespace tarnix::core {

bool isAnalysisCsv(QFile& file) {
    const QByteArray header = records::AnalysisHeader.toUtf8();
    return file.seek(0) && file.peek(header.size() + 2).startsWith(header);
}

namespace {

// The moments of a file's first reading and of one near its end, for
// putting files in order: two files may start at the same time of the hour
// shown twice, and the one of its first round goes back to the second
// within it, so it ends earlier on the time read.
struct FileTimes {
    std::optional<qint64> first, late;
};

FileTimes fileTimes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (isAnalysisCsv(file)) {
        file.readLine();
        const QDateTime at = QDateTime::fromString(
            QString::fromUtf8(file.readLine(4096)).section(u',', 0, 0), Qt::ISODateWithMs);
        return {at.isValid() ? std::optional(at.toMSecsSinceEpoch()) : std::nullopt, {}};
    }
    const auto ms = [&file](qint64 at) {
        const auto record = analysis::recordAt(file, at);
        return record ? std::optional(record->ms) : std::nullopt;
    };
    return {ms(0), ms(std::max<qint64>(0, file.size() - 4096))};
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
    std::vector<std::pair<FileTimes, QString>> timed;
    for (const QString& file : files)
        timed.emplace_back(QFileInfo(file).isFile() ? fileTimes(file) : FileTimes{}, file);
    std::stable_sort(timed.begin(), timed.end(), [](const auto& a, const auto& b) {
        const FileTimes &x = a.first, &y = b.first;
        constexpr qint64 None = std::numeric_limits<qint64>::max();
        return x.first && (!y.first || *x.first < *y.first ||
                           (*x.first == *y.first && x.late.value_or(None) < y.late.value_or(None)));
    });
    files.clear();
    for (const auto& [time, file] : timed)
        files << file;
    return files;
}

} // namespace tarnix::core
