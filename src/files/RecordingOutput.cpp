#include "files/RecordingOutput.h"

#include "files/DataRecord.h"
#include "platform/LineAppender.h"

#include <algorithm>
#include <optional>

namespace tarnix::files {

namespace {

FileEnds endsOf(const platform::LineAppender& out, qint64 size) {
    const qint64 length = std::min<qint64>(size, AppendCheckBytes);
    return {out.readBack(0, length), out.readBack(size - length, length),
            size <= AppendCheckBytes};
}

// Whether the last line had to be ended; nothing when ending it failed.
std::optional<bool> endLine(platform::LineAppender& out, const FileEnds& ends, QString* error) {
    const bool unfinished = endsUnfinished(ends);
    if (unfinished && !out.append(LineEnd, error))
        return std::nullopt;
    return unfinished;
}

} // namespace

bool readyForLines(platform::LineAppender& out, RecordingFormat format, QString* error,
                   QString* notice) {
    const qint64 size = out.fileSize();
    if (size <= 0) {
        const QByteArray header = recordingHeader(format);
        return header.isEmpty() || out.append(header, error);
    }
    const FileEnds ends = endsOf(out, size);
    if (const auto refusal = appendRefusal(format, ends)) {
        *error = QStringLiteral("%1: %2").arg(out.name(), *refusal);
        return false;
    }
    const std::optional<bool> ended = endLine(out, ends, error);
    if (!ended)
        return false;
    if (*ended)
        *notice = QStringLiteral("%1: its last line had no line end (a write cut short); ended it "
                                 "so that the new lines start on lines of their own")
                      .arg(out.name());
    return true;
}

std::optional<QDateTime> lastRecordTime(const platform::LineAppender& out) {
    const qint64 size = out.fileSize();
    return size > 0 ? lastRecordTime(endsOf(out, size)) : std::nullopt;
}

bool endUnfinishedLine(platform::LineAppender& out, QString* error) {
    const qint64 size = out.fileSize();
    return size <= 0 || endLine(out, endsOf(out, size), error).has_value();
}

} // namespace tarnix::files
