#include "records/RecordingOutput.h"

#include "records/DataRecord.h"
#include "platform/LineAppender.h"

#include <algorithm>
#include <optional>

namespace tarnix::records {

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

// A JSON line cut short is no JSON, and a reader that takes the file line by
// line refuses the whole file for it: its bytes go to NAME.torn beside the
// file, and the file ends at its last whole line again. Said in `notice`.
bool setTornLineAside(platform::LineAppender& out, const FileEnds& ends, qint64 size,
                      QString* error, QString* notice) {
    const qsizetype lastEnd = ends.end.lastIndexOf('\n');
    const QString path = out.path();
    QString why;
    if (lastEnd < 0 && !ends.whole)
        why = QStringLiteral("its last line is longer than %1 bytes, no JSON line of a reading")
                  .arg(AppendCheckBytes);
    else if (path.isEmpty())
        why = QStringLiteral("its last line was cut short, and it has no name to set it aside by");
    if (!why.isEmpty()) {
        *error = QStringLiteral("%1: %2").arg(out.name(), why);
        return false;
    }
    const QByteArray torn = ends.end.mid(lastEnd + 1);
    const QString aside = path + QStringLiteral(".torn");
    platform::LineAppender tornFile;
    if (!tornFile.open(aside, &why) || !tornFile.append(torn + '\n', &why) ||
        !out.truncate(size - torn.size(), &why)) {
        *error = QStringLiteral("%1: its last line was cut short and could not be set aside: %2")
                     .arg(out.name(), why);
        return false;
    }
    *notice = QStringLiteral("%1: its last line was cut short (a write that did not end); moved "
                             "its %2 bytes to %3, the new lines follow its last whole line")
                  .arg(path)
                  .arg(torn.size())
                  .arg(aside);
    return true;
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
        // A named file is kept from lines of another kind; standard output
        // goes where the user sent it, so the lines follow what is there.
        if (!out.adopted()) {
            *error = QStringLiteral("%1: %2").arg(out.name(), *refusal);
            return false;
        }
        if (!endLine(out, ends, error))
            return false;
        *notice = QStringLiteral("%1: %2; the new lines follow it on lines of their own")
                      .arg(out.name(), *refusal);
        return true;
    }
    if (format == RecordingFormat::Jsonl)
        return ends.end.endsWith('\n') || setTornLineAside(out, ends, size, error, notice);
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

} // namespace tarnix::records
