// Writes the benchmarks' sample recording to a file, for figures taken by
// hand or by another tool: bench-recording PATH [RECORDS] (default a year,
// 31,536,000 records, 1.45 GB).
#include "SampleRecording.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: bench-recording PATH [RECORDS]\n");
        return 2;
    }
    const long records = argc == 3 ? std::max(1L, std::atol(argv[2])) : bench::YearRecords;
    if (!bench::writeRecords(QString::fromLocal8Bit(argv[1]), records)) {
        std::fprintf(stderr, "bench-recording: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
