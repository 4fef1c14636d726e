#pragma once

#include "records/RecordReader.h"
#include "platform/PositionalFile.h"

#include <QByteArray>
#include <QString>

namespace tarnix::records {

// A stretch of a data file cut into chunks of whole lines, so that several
// threads can read it at once and their results be put in file order: chunk
// k holds the lines whose line end falls in bytes [from + k * size, from +
// (k + 1) * size) of the stretch, as a RecordReader fed the stretch in
// pieces of `size` would hand them on while fed piece k. The last chunk
// also holds a last line without its line end.
struct LineChunk {
    QByteArray bytes; // from the start of its first line to the end of its piece
    qint64 at = 0;    // where `bytes` start in the file
    // Its first line began too far before the piece to be a record: it is
    // handed on empty and skipped, up to its line end.
    bool longFirstLine = false;
    bool last = false;
};

struct ChunkSpan {
    qint64 from = 0, to = 0; // the stretch of the file; `from` starts a line
    qint64 size = 1 << 20;   // of each piece
    qint64 count() const { return to > from ? (to - from + size - 1) / size : 0; }
};

// Chunk `index` of `span`, read from `file`; false with the reason when a
// read failed.
bool readLineChunk(const platform::PositionalFile& file, const ChunkSpan& span, qint64 index,
                   LineChunk& chunk, QString* error);

// Hands the chunk's lines to `reader` (a fresh one, or one that has read
// the chunks before it).
template <class Take>
void feedLineChunk(const LineChunk& chunk, BasicRecordReader<Take>& reader) {
    QByteArrayView bytes = chunk.bytes;
    if (chunk.longFirstLine) {
        const char* const end = findLineEnd(bytes.begin(), bytes.end());
        if (end == bytes.end()) { // no line ends here: the long line goes on
            if (chunk.last)
                reader.skipLongLine();
            return;
        }
        reader.skipLongLine();
        bytes = bytes.sliced(end - bytes.begin());
    }
    reader.feed(bytes);
    if (chunk.last)
        reader.finish();
}

} // namespace tarnix::records
