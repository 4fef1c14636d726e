// How fast readings and logger records decode: a full logger memory holds
// about 2000 records, a recording session can hold millions of readings.
#include "meter/Frames.h"
#include "meter/PackedReading.h"

#include <QElapsedTimer>
#include <cstdio>

using namespace tarnix::meter;

int main() {
    constexpr int Rounds = 20;
    QByteArray shortFrame(5, '\0');
    const QByteArray longFrame("*\x02-12.34\0\0\0\r", 12);
    Reading r;
    QElapsedTimer timer;

    timer.start();
    long long decoded = 0;
    for (int round = 0; round < Rounds; ++round)
        for (int value = 0; value < 65536; ++value) {
            shortFrame[1] = char(value % 37);
            shortFrame[2] = char(value & 0xFF);
            shortFrame[3] = char(value >> 8);
            r = decodeShortFrame(shortFrame, r).reading;
            ++decoded;
        }
    const double shortNs = double(timer.nsecsElapsed()) / double(decoded);

    timer.restart();
    for (int i = 0; i < Rounds * 65536; ++i)
        r = decodeLongFrame(longFrame, r).reading;
    const double longNs = double(timer.nsecsElapsed()) / (Rounds * 65536.0);

    std::printf("short frame: %.0f ns per reading\nlong frame:  %.0f ns per reading\n", shortNs,
                longNs);
    return r.value.text().isEmpty() ? 1 : 0;
}
