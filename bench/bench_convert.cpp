// tarnix-log convert, stats, a one-hour slice and minute summaries
// (convert --every 1m) of large recordings, each
// as a user runs it, beside pandas doing the same work on the same file when
// python3-pandas is installed: wall and processor time and peak memory of
// each process, one line per tool and size.
// Usage: bench-convert [RECORDS...] (default 1000000 10000000)
#include "SampleRecording.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct Measured {
    double wall = 0, processor = 0;
    long peakMb = 0;
    bool ok = false;
};

// One process, its standard output to `out`, waited for with its own usage.
Measured measure(const std::vector<std::string>& arguments, const char* out = "/dev/null") {
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    Measured m;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        return m;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    m.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.processor = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.peakMb = usage.ru_maxrss / 1024;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return m;
}

const char PandasConvert[] = R"(
import sys, pandas
f = pandas.read_csv(sys.argv[1], header=None, names=["n", "date", "time", "function", "range", "display"])
f.insert(0, "at", pandas.to_datetime(f["date"] + " " + f["time"], format="%y/%m/%d %H:%M:%S.%f"))
if len(sys.argv) > 3:
    f = f[(f["at"] >= sys.argv[3]) & (f["at"] < sys.argv[4])]
f.to_csv(sys.argv[2], index=False, date_format="%Y-%m-%dT%H:%M:%S.%f")
)";

const char PandasStats[] = R"(
import sys, pandas
f = pandas.read_csv(sys.argv[1], header=None, names=["n", "date", "time", "function", "range", "display"])
f["value"] = pandas.to_numeric(f["display"], errors="coerce")
f["at"] = pandas.to_datetime(f["date"] + " " + f["time"], format="%y/%m/%d %H:%M:%S.%f")
print(f.groupby(["function", "range"])["value"].describe())
spacing = f["at"].diff()
print(spacing.median(), (spacing > 2 * spacing.median()).sum())
)";

void line(const char* what, long records, const Measured& ours, const Measured* pandas) {
    std::printf("%s: %ld records in %.2f s (processor %.2f s), peak %ld MB%s", what, records,
                ours.wall, ours.processor, ours.peakMb, ours.ok ? "" : " FAILED");
    if (pandas)
        std::printf("; pandas %.1f s, peak %ld MB%s", pandas->wall, pandas->peakMb,
                    pandas->ok ? "" : " FAILED");
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    bench::useBerlinTime();
    const std::vector<long> sizes = bench::recordCounts(argc, argv);
    // Debian's python3-pandas is for Debian's own python3, which another one on the PATH may hide.
    std::string python;
    for (const char* candidate : {"python3", "/usr/bin/python3"})
        if (python.empty() && measure({candidate, "-c", "import pandas"}).ok)
            python = candidate;
    const bool pandas = !python.empty();
    if (!pandas)
        std::printf("pandas: not installed (apt-get install python3-pandas), left out\n");
    QTemporaryDir dir;
    const std::string in = dir.filePath(QStringLiteral("big.dat")).toStdString();
    const std::string out = dir.filePath(QStringLiteral("big.csv")).toStdString();
    int failures = 0;
    for (const long records : sizes) {
        if (!bench::writeRecords(QString::fromStdString(in), records))
            return 1;
        // The hour in the middle of the recording.
        const QDateTime middle = bench::recordingStart().addSecs(records / 2);
        const std::string from = middle.toString(Qt::ISODate).toStdString();
        const std::string to = middle.addSecs(3600).toString(Qt::ISODate).toStdString();
        // pandas compares its times, read without an offset, with local times alone.
        const auto naive = [](const QDateTime& at) {
            return at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toStdString();
        };
        // Each writes a file of its own, removed after the measure: replacing
        // a large file would charge its removal to the writer.
        const auto fresh = [&out](const std::vector<std::string>& arguments) {
            const Measured m = measure(arguments);
            QFile::remove(QString::fromStdString(out));
            return m;
        };
        std::optional<Measured> p;
        const Measured convert = fresh({TARNIX_LOG, "convert", in, out});
        if (pandas && records <= bench::PandasRecordsAtMost)
            p = fresh({python, "-c", PandasConvert, in, out});
        line("convert", records, convert, p ? &*p : nullptr);
        const Measured stats = measure({TARNIX_LOG, "stats", in});
        if (pandas && records <= bench::PandasRecordsAtMost)
            p = measure({python, "-c", PandasStats, in});
        line("stats", records, stats, p ? &*p : nullptr);
        const Measured slice = fresh({TARNIX_LOG, "convert", "--from", from, "--to", to, in, out});
        if (pandas && records <= bench::PandasRecordsAtMost)
            p = fresh({python, "-c", PandasConvert, in, out, naive(middle), naive(middle.addSecs(3600))});
        line("one-hour slice", records, slice, p ? &*p : nullptr);
        const Measured minutes = fresh({TARNIX_LOG, "convert", "--every", "1m", in, out});
        line("minute summaries", records, minutes, nullptr);
        failures += !convert.ok + !stats.ok + !slice.ok + !minutes.ok;
    }
    return failures;
}
