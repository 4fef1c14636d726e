#pragma once

#include <QByteArray>

// Bytes that are no text at all, the same on every run: what a hostile or
// broken file may hold.
inline QByteArray noiseBytes(qsizetype size) {
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7919) % 256);
    return bytes;
}
