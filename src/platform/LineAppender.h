#pragma once

#include "platform/WriteAll.h"

#include <QByteArrayView>
#include <QString>
#include <sys/types.h>

namespace tarnix::platform {

// Appends whole lines to a file or to standard output. A line the disk does
// not take whole is cut off again, so a regular file always ends at the end
// of its last whole line and a reader never sees a torn record.
class LineAppender {
public:
    explicit LineAppender(WriteCall call = {}) : m_call(std::move(call)) {}
    ~LineAppender() { close(); }
    LineAppender(const LineAppender&) = delete;
    LineAppender& operator=(const LineAppender&) = delete;

    // Opens `path` for appending, creating it. A FIFO is opened without
    // waiting for a reader (refused when it has none), so a signal can still
    // end the program. False with "PATH: reason" in `error`.
    bool open(const QString& path, QString* error = nullptr);
    // Appends to a descriptor that stays open after close() (standard output).
    void adopt(int fd, const QString& name);
    bool isOpen() const { return m_fd >= 0; }
    // Writes to a descriptor it adopted: standard output, where the user sent the lines.
    bool adopted() const { return isOpen() && !m_owned; }
    void close();

    // The size of the regular file written to, and `length` of its bytes
    // from `from`, read through a descriptor of their own (the appender's may
    // be write-only, as standard output is): -1 and nothing for anything
    // that is not a regular file.
    qint64 fileSize() const;
    QByteArray readBack(qint64 from, qint64 length) const;
    const QString& name() const { return m_name; }
    // Where the regular file written to lies: the path it was opened by, or
    // for an adopted descriptor the one the system names; empty when unknown.
    QString path() const;
    // Cuts the regular file back to its first `size` bytes, so the next line
    // goes there. False with "NAME: reason" in `error`.
    bool truncate(qint64 size, QString* error = nullptr);

    // Writes `line` whole or not at all; false with the system's reason in
    // `error` ("No space left on device").
    bool append(QByteArrayView line, QString* error = nullptr);

    void setWriteCall(WriteCall call) { m_call = std::move(call); }

private:
    void learnKind();

    WriteCall m_call;
    QString m_name;
    int m_fd = -1;
    bool m_owned = false;
    bool m_regular = false; // a short write can be cut off again
    bool m_appends = false; // O_APPEND: every write lands at the end
};

} // namespace tarnix::platform
