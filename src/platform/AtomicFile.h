#pragma once

#include "platform/RemoveOnStop.h"
#include "platform/WriteAll.h"

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace tarnix::platform {

// Replaces a file whole or not at all. The new bytes go to a temporary file
// beside it; only when every byte has reached the disk does the temporary
// file take the old one's name, with the old one's owner, group and
// permissions. Any failure removes the temporary file and leaves the old file
// byte for byte as it was; so do SIGINT and SIGTERM, and temporary files that
// a killed run left are removed by the next one to the same target.
//
// A target that exists and is not a regular file (a FIFO, a device node, a
// folder) is refused, so a save never replaces /dev/null or a pipe with a
// regular file. A symbolic link is followed: the file it points to is
// replaced and the link stays.
class AtomicFile {
public:
    explicit AtomicFile(QString path, WriteCall call = {});
    ~AtomicFile(); // cancels what was not committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Refuses an existing target that is not a regular file, before any work
    // is done for it. False with "PATH: reason" in `error`.
    static bool targetAllowed(const QString& path, QString* error);

    bool open();
    // Buffers and writes; false once anything failed (later writes are ignored).
    bool write(QByteArrayView bytes);
    // Flushes, syncs and renames. False, with the old file untouched, when any
    // write failed or the disk refused.
    bool commit();
    void cancel();

    // "PATH: reason", in the system's words where the system gave a reason.
    QString errorString() const { return m_error; }

private:
    bool flushBuffer();
    bool writeOut(QByteArrayView bytes);
    bool fail(int code);
    bool fail(const QString& reason);

    QString m_path;  // the file to replace (a link's target, resolved)
    QString m_shown; // the path as given, for messages
    QString m_temporary;
    std::optional<RemoveOnStop> m_removeOnStop; // while m_temporary is being written
    WriteCall m_call;
    QByteArray m_buffer;
    QString m_error;
    int m_fd = -1;
    bool m_failed = false;
    qint64 m_written = 0, m_handedToDisk = 0; // bytes in the file; those the disk was asked to write
};

} // namespace tarnix::platform
