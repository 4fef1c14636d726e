#include "http/ServedFiles.h"

#include "analysis/RecordReadings.h"
#include "analysis/TimeSlice.h"
#include "http/RecordedLines.h"
#include "records/ReadingJson.h"
#include "records/RecordReader.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <vector>

namespace tarnix::http {

namespace {

// The last record of a file is found in its last bytes: a line is short.
constexpr qint64 TailBytes = 64 * 1024;

// The moment of the last record in the file's tail, read in the offset
// state its first record leaves.
std::optional<qint64> lastRecordMs(QFile& file) {
    const qint64 from = std::max<qint64>(0, file.size() - TailBytes);
    if (!file.seek(from))
        return std::nullopt;
    analysis::RecordReadings readings;
    std::optional<qint64> last;
    bool cut = from > 0; // the line the tail starts in is not whole
    records::RecordReader reader([&](QByteArrayView, const records::LineFields* record) {
        if (!std::exchange(cut, false) && record)
            if (const auto r = readings.read(*record))
                last = r->utcMs;
    });
    reader.feed(file.read(TailBytes));
    reader.finish();
    return last;
}

} // namespace

std::optional<QStringList> ServedFiles::paths(const QByteArray& name) const {
    const QStringList all = m_lister();
    if (name.isEmpty())
        return all;
    const QStringList names = servedNames(all);
    if (const qsizetype at = names.indexOf(QString::fromUtf8(name)); at >= 0)
        return QStringList{all[at]};
    return std::nullopt;
}

QStringList servedNames(const QStringList& paths) {
    std::vector<QStringList> parts; // each path's components, the file's name first
    for (const QString& path : paths) {
        QStringList reversed = QFileInfo(path).absoluteFilePath().split(u'/', Qt::SkipEmptyParts);
        std::reverse(reversed.begin(), reversed.end());
        parts.push_back(reversed);
    }
    const auto nameOf = [&parts](std::size_t i, qsizetype depth) {
        QStringList shown = parts[i].mid(0, depth);
        std::reverse(shown.begin(), shown.end());
        return shown.join(u'/');
    };
    // Deeper, all of a name together, while two files share it.
    std::vector<qsizetype> depth(parts.size(), 1);
    QStringList names;
    for (bool deeper = true; deeper;) {
        names.clear();
        QHash<QString, int> count;
        for (std::size_t i = 0; i < parts.size(); ++i)
            ++count[names.emplace_back(nameOf(i, depth[i]))];
        deeper = false;
        for (std::size_t i = 0; i < parts.size(); ++i)
            if (count[names[qsizetype(i)]] > 1 && depth[i] < parts[i].size())
                ++depth[i], deeper = true;
    }
    return names;
}

FileFacts fileFacts(const QString& path, const QString& name) {
    FileFacts facts;
    facts.name = name;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return facts;
    facts.bytes = file.size();
    facts.format = writtenFormat(file);
    if (facts.format != records::RecordingFormat::Dat) {
        facts.firstMs = firstLineTimeMs(file);
        facts.lastMs = lastLineTimeMs(file);
        return facts;
    }
    if (const auto first = analysis::recordAt(file, 0))
        facts.firstMs = first->ms;
    facts.lastMs = lastRecordMs(file);
    return facts;
}

QByteArray isoTime(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC)
        .toString(Qt::ISODateWithMs)
        .toUtf8();
}

QByteArray formatName(records::RecordingFormat format) {
    static const char* const Names[] = {"dat", "csv", "jsonl"};
    return Names[int(format)];
}

QByteArray filesJson(const std::vector<FileFacts>& files) {
    const auto time = [](const std::optional<qint64>& ms) {
        return ms ? '"' + isoTime(*ms) + '"' : QByteArray("null");
    };
    QByteArray json = "[";
    for (const FileFacts& f : files) {
        if (json.size() > 1)
            json += ',';
        json += "{\"name\":" + records::jsonString(f.name) +
                ",\"bytes\":" + QByteArray::number(f.bytes) + ",\"format\":\"" +
                formatName(f.format) + "\",\"first\":" + time(f.firstMs) +
                ",\"last\":" + time(f.lastMs) + '}';
    }
    return json + ']';
}

} // namespace tarnix::http
