// tarnix-log convert on a large data file: the wall time and the peak memory
// of the program, as a user runs it.
// Usage: bench-convert [RECORDS] (default 1000000)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const long records = argc > 1 ? std::max(1L, std::atol(argv[1])) : 1000000L;
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("big.dat"));
    const QString out = dir.filePath(QStringLiteral("big.csv"));
    {
        QFile file(in);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        // A day of one-second samples and on, in mV with overloads, and in kOhm.
        QByteArray block;
        for (long i = 1; i <= records; ++i) {
            const long s = i % 86400;
            block += QByteArray::number(qlonglong(i)) + ",26/12/" +
                     QByteArray::number(qlonglong(10 + i / 86400 % 18)) + ',' +
                     QByteArray::number(qlonglong(100 + s / 3600)).mid(1) + ':' +
                     QByteArray::number(qlonglong(100 + s / 60 % 60)).mid(1) + ':' +
                     QByteArray::number(qlonglong(100 + s % 60)).mid(1) + ".0," +
                     (i % 3 ? QByteArray("DCV,200mV,-") + QByteArray::number(double(i % 2000) / 100.0, 'f', 2)
                            : QByteArray(i % 1000 ? "RES,20KOhm,12.345" : "RES,20KOhm,OL")) +
                     "\r\n";
            if (block.size() > (1 << 20)) {
                file.write(block);
                block.clear();
            }
        }
        file.write(block);
    }
    QProcess run;
    run.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer timer;
    timer.start();
    run.start(QStringLiteral(TARNIX_LOG), {QStringLiteral("convert"), in, out});
    run.waitForFinished(-1);
    const double seconds = double(timer.elapsed()) / 1000.0;
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    // The processor time as well: on a busy machine the wall time says little.
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("convert %ld records (%.0f MB): %.2f s wall, %.2f s processor, peak %ld MB, "
                "exit %d\n",
                records, double(QFile(in).size()) / 1e6, seconds, cpu, usage.ru_maxrss / 1024,
                run.exitCode());
    return run.exitCode();
}
