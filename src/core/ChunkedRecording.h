#pragma once

#include "core/InOrder.h"
#include "core/RecordingRead.h"
#include "records/AnalysisCsv.h"
#include "records/LineChunks.h"
#include "records/LocalOffsets.h"
#include "platform/PositionalFile.h"

#include <QFile>
#include <QString>
#include <mutex>
#include <vector>

namespace tarnix::core {

enum class ChunkedRead { Read, Failed, AnalysisCsv };

// Reads a data file from where `file` stands (openRecording()) to its end
// as chunks of lines on a thread a core (records::LineChunk), and puts the
// results together in file order, as one reader going through would:
// - `fresh(lines, result)` makes a chunk's result (an analysis::ChunkLines)
//   on a reading thread, alone, in the room of one used before;
// - `carried(lines, result)` makes it again on the calling thread, in the state
//   the chunks before it left, when its first time fell on a day the clocks
//   changed and so could read otherwise there;
// - `take(result)` has each in file order, and `offsets` follows them.
// With `grows`, the read stops after the chunk whose last time was past the
// slice. AnalysisCsv, nothing taken, when the file's first line is an
// analysis CSV header and `csv` takes such files: they are read line by line.
template <class Chunk, class Fresh, class Carried, class Take>
ChunkedRead readInChunks(QFile& file, const QString& path, bool grows, CsvInput csv,
                         records::LocalOffsets& offsets, qint64 chunkBytes, const Fresh& fresh,
                         const Carried& carried, const Take& take, QString* error) {
    QString why;
    const platform::PositionalFile positional =
        platform::PositionalFile::duplicate(file.handle(), &why);
    if (!positional.isOpen()) {
        *error = QStringLiteral("%1: %2").arg(path, why);
        return ChunkedRead::Failed;
    }
    const records::ChunkSpan span{file.pos(), file.size(), std::max<qint64>(chunkBytes, 1)};
    struct Work {
        records::LineChunk lines;
        Chunk result;
        bool ok = true;
        QString error;
    };
    const QByteArray header = records::AnalysisHeader.toUtf8();
    // A read that starts past the file's start was placed by its records.
    bool anyLine = false, csvHeader = false, recording = span.from > 0;
    ChunkedRead outcome = ChunkedRead::Read;
    // Chunks used are read into again: fresh room for each would cost the
    // system a page fault every 4 KiB.
    std::mutex spareLock;
    std::vector<Work> spare;
    const int threads = readerThreads();
    inOrder<Work>(
        span.count(), threads, 2 * threads + 2,
        [&](qint64 index) {
            Work work;
            {
                const std::lock_guard guard(spareLock);
                if (!spare.empty()) {
                    work = std::move(spare.back());
                    spare.pop_back();
                }
            }
            work.ok = records::readLineChunk(positional, span, index, work.lines, &work.error);
            if (work.ok)
                fresh(work.lines, work.result);
            return work;
        },
        [&](qint64, Work& work) {
            if (!work.ok) {
                *error = QStringLiteral("%1: %2").arg(path, work.error);
                outcome = ChunkedRead::Failed;
                return false;
            }
            Chunk& chunk = work.result;
            if (!anyLine && chunk.anyLine) {
                anyLine = true;
                csvHeader = chunk.firstLine == header;
                if (csvHeader && csv == CsvInput::Taken) {
                    outcome = ChunkedRead::AnalysisCsv;
                    return false;
                }
            }
            if (chunk.timed && !chunk.plainStart)
                carried(work.lines, chunk);
            else if (chunk.timed)
                offsets.follow(chunk.offsets);
            recording = recording || chunk.anyRecord;
            take(chunk);
            const bool goOn = !(grows && chunk.timed && chunk.past);
            const std::lock_guard guard(spareLock);
            spare.push_back(std::move(work));
            return goOn;
        });
    if (outcome == ChunkedRead::Read && anyLine && !recording) {
        *error = notARecording(path, csvHeader, csv);
        return ChunkedRead::Failed;
    }
    return outcome;
}

} // namespace tarnix::core
