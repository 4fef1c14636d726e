#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <sys/types.h>

namespace tarnix::platform {

// The system's write(2), or a stand-in that tests make fail at a chosen byte.
using WriteCall = std::function<ssize_t(int fd, const void* data, size_t size)>;

// Writes every byte to the descriptor, going on after interruptions and
// partial writes. False with the system's error number in `error` when the
// descriptor refuses (a full disk, a closed pipe). Standard output read by
// nobody any more (`| head`) ends the program quietly, as it ends cat.
bool writeAll(int fd, QByteArrayView bytes, int* error = nullptr, const WriteCall& call = {});

// Ends the program by the broken-pipe signal, which the programs otherwise
// ignore so that a closed socket or FIFO is told as an error.
[[noreturn]] void endOnClosedPipe();

// The system's words for an error number ("No space left on device").
QString systemErrorText(int code);

} // namespace tarnix::platform
