#include "analysis/TimeSlice.h"

#include "records/LocalOffsets.h"
#include "records/RecordClock.h"
#include "records/RecordReader.h"

#include <QDateTime>
#include <QFile>
#include <QTimeZone>

namespace tarnix::analysis {

namespace {

constexpr qint64 Window = 64 * 1024;
constexpr int Probes = 64;

} // namespace

std::optional<qint64> sliceTime(const QString& text) {
    const QDateTime at = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    if (!at.isValid())
        return std::nullopt;
    if (at.timeSpec() != Qt::LocalTime)
        return at.toMSecsSinceEpoch();
    // A local time the clock skipped or showed twice: as a record's time is read.
    const qint64 wall = QDateTime(at.date(), at.time(), QTimeZone::utc()).toMSecsSinceEpoch();
    return wall - records::localOffsetAt(wall) * 1000LL;
}

std::optional<RecordAt> recordAt(QFile& file, qint64 at, records::LocalOffsets offsets) {
    if (!file.seek(at))
        return std::nullopt;
    const QByteArray bytes = file.read(Window);
    const char* const begin = bytes.constData();
    const char* const end = begin + bytes.size();
    records::RecordClock clock;
    records::LineFields fields;
    std::string scratch;
    bool cut = at > 0; // the line `at` falls in is not read
    for (const char* p = begin; p < end;) {
        const char* const lineEnd = records::findLineEnd(p, end);
        if (lineEnd == end && at + bytes.size() < file.size())
            break; // cut by the window
        if (!std::exchange(cut, false) && lineEnd > p &&
            records::recordFields(QByteArrayView(p, lineEnd - p), fields, scratch))
            if (const auto wall = clock.wallMs(fields[1], fields[2]))
                return RecordAt{at + (p - begin), *wall, *wall - offsets.offsetAt(*wall) * 1000LL};
        p = lineEnd + 1;
    }
    return std::nullopt;
}

bool timesGrow(QFile& file, const records::LocalOffsets& afterFirst) {
    const qint64 size = file.size();
    std::optional<qint64> last;
    for (int i = 0; i <= Probes; ++i) {
        const auto record = recordAt(file, size * i / Probes, afterFirst);
        if (!record)
            continue;
        if (last && record->ms < *last)
            return false;
        last = record->ms;
    }
    return true;
}

qint64 seekTime(QFile& file, qint64 fromMs, const records::LocalOffsets& afterFirst) {
    qint64 low = 0, lowLine = 0, high = file.size();
    while (high - low > Window) {
        const qint64 middle = low + (high - low) / 2;
        if (const auto record = recordAt(file, middle, afterFirst); record && record->ms < fromMs) {
            low = middle;
            lowLine = record->lineStart; // before every record wanted
        } else {
            high = middle;
        }
    }
    return lowLine;
}

SliceRead sliceRead(QFile& file, const TimeSlice& slice, records::LocalOffsets& stream) {
    records::LocalOffsets afterFirst = stream;
    const auto first = recordAt(file, 0, stream);
    if (first)
        afterFirst.passOver(first->wallMs);
    SliceRead read{.grows = timesGrow(file, afterFirst)};
    if (read.grows && slice.from)
        read.start = seekTime(file, *slice.from, afterFirst);
    if (read.start > 0 && first)
        stream.passOver(first->wallMs);
    return read;
}

} // namespace tarnix::analysis
