#include "analysis/ChunkResults.h"

#include "records/RecordReader.h"

namespace tarnix::analysis {

namespace {

// Reads the chunk's lines, each record to `take`, which returns where its
// time put the offsets, or nothing when it had none.
template <class Take>
void readChunk(const records::LineChunk& chunk, ChunkLines& lines, const Take& take) {
    records::BasicRecordReader reader([&](QByteArrayView line, const records::LineFields* record) {
        if (!std::exchange(lines.anyLine, true))
            lines.firstLine = line.toByteArray();
        lines.anyRecord = lines.anyRecord || record;
        const records::LocalOffsets* offsets = record ? take(*record) : nullptr;
        if (!offsets) {
            ++lines.skipped;
            return;
        }
        if (!std::exchange(lines.timed, true))
            lines.plainStart = offsets->onPlainDay();
    });
    records::feedLineChunk(chunk, reader);
}

} // namespace

void convertChunk(const records::LineChunk& chunk, AnalysisConverter& converter,
                  ConvertedChunk& result) {
    static_cast<ChunkLines&>(result) = {};
    // Its room kept, all of it to write into; its size set at the end.
    result.out.resize(std::max(result.out.capacity(), chunk.bytes.size() * 3 / 2));
    qsizetype used = 0;
    readChunk(chunk, result, [&](const records::LineFields& record) {
        return converter.append(record, result.out, used) ? &converter.offsets() : nullptr;
    });
    result.out.resize(used);
    result.past = converter.pastSlice();
    result.offsets = converter.offsets();
}

void readingsOfChunk(const records::LineChunk& chunk, RecordReadings& readings,
                     const TimeSlice& slice, ReadingsChunk& result) {
    static_cast<ChunkLines&>(result) = {};
    result.readings.clear(); // its room kept
    readChunk(chunk, result, [&](const records::LineFields& record) -> const records::LocalOffsets* {
        RecordReading& r = result.readings.emplace_back();
        if (!readings.readInto(record, r)) {
            result.readings.pop_back();
            return nullptr;
        }
        result.past = slice.isPast(r.utcMs);
        return &readings.offsets();
    });
    result.kinds = readings.kinds();
    result.offsets = readings.offsets();
}

} // namespace tarnix::analysis
