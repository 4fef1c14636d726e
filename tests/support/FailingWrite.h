#pragma once

#include "platform/WriteAll.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <unistd.h>

// A write(2) that takes `budget` bytes in all and then fails with `code`, as
// a disk that fills up does: the write that crosses the budget is short.
inline tarnix::platform::WriteCall failingWrite(qint64 budget, int code = ENOSPC) {
    auto left = std::make_shared<qint64>(budget);
    return [left, code](int fd, const void* data, size_t size) -> ssize_t {
        if (*left <= 0) {
            errno = code;
            return -1;
        }
        const ssize_t written = ::write(fd, data, std::min(size, size_t(*left)));
        if (written > 0)
            *left -= written;
        return written;
    };
}
