#pragma once

#include <QByteArray>

namespace tarnix::platform {

// Writes every byte to the descriptor, going on after interruptions and
// partial writes. False with the system's error number in `error` when the
// descriptor refuses (a closed pipe, a full disk).
bool writeAll(int fd, const QByteArray& bytes, int* error = nullptr);

} // namespace tarnix::platform
