#include "records/LineChunks.h"

#include "records/RecordLine.h"

#include <algorithm>
#include <optional>

namespace tarnix::records {

namespace {

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Where the line that holds byte `at` starts, looking back no further than
// `from`; nothing when it starts further back than a record line can reach,
// or when the file could not be read (`failed`).
std::optional<qint64> lineStartBefore(const platform::PositionalFile& file, qint64 from, qint64 at,
                                      QString* error, bool& failed) {
    // Most lines are short: a short look first, then the longest a record may be.
    for (const qint64 back : {qint64(256), qint64(LongestRecordLine) + 1}) {
        const qint64 start = std::max(from, at - back);
        QByteArray bytes(at - start, Qt::Uninitialized);
        const qint64 n = file.readAt(start, bytes.data(), bytes.size(), error);
        if (n != bytes.size()) {
            failed = true;
            return std::nullopt;
        }
        const auto end = std::find_if(bytes.crbegin(), bytes.crend(), isLineEnd);
        if (end != bytes.crend())
            return start + (bytes.crend() - end);
        if (start == from)
            return from;
    }
    return std::nullopt;
}

} // namespace

bool readLineChunk(const platform::PositionalFile& file, const ChunkSpan& span, qint64 index,
                   LineChunk& chunk, QString* error) {
    const qint64 pieceStart = span.from + index * span.size;
    const qint64 pieceEnd = std::min(span.to, pieceStart + span.size);
    bool failed = false;
    std::optional<qint64> start = pieceStart;
    if (pieceStart > span.from) {
        start = lineStartBefore(file, span.from, pieceStart, error, failed);
        if (failed)
            return false;
    }
    chunk.longFirstLine = !start;
    chunk.at = start.value_or(pieceStart);
    chunk.last = pieceEnd == span.to;
    chunk.bytes.resize(pieceEnd - chunk.at);
    qint64 read = 0;
    while (read < chunk.bytes.size()) {
        const qint64 n = file.readAt(chunk.at + read, chunk.bytes.data() + read,
                                     chunk.bytes.size() - read, error);
        if (n < 0)
            return false;
        if (n == 0) { // cut short meanwhile: what is there is read
            chunk.bytes.resize(read);
            chunk.last = true;
            break;
        }
        read += n;
    }
    return true;
}

} // namespace tarnix::records
