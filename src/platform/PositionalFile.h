#pragma once

#include <QString>

namespace tarnix::platform {

// A file read at any position (pread) through a descriptor of its own, which
// keeps reading the same file when it is renamed or replaced by name.
class PositionalFile {
public:
    PositionalFile() = default;
    // A descriptor of the same open file as `fd`. Not open, with the
    // system's reason in `error`, when none can be had.
    static PositionalFile duplicate(int fd, QString* error);
    ~PositionalFile() { close(); }
    PositionalFile(PositionalFile&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    PositionalFile& operator=(PositionalFile&& other) noexcept;
    PositionalFile(const PositionalFile&) = delete;
    PositionalFile& operator=(const PositionalFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    void close();
    // Reads up to `length` bytes at `at`: how many, 0 at the end of the
    // file, -1 on a failure, with the system's reason in `error`.
    qint64 readAt(qint64 at, char* into, qint64 length, QString* error = nullptr) const;
    // The file's size now; -1 when it cannot be learnt.
    qint64 size() const;

private:
    int m_fd = -1;
};

} // namespace tarnix::platform
