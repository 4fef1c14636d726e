#pragma once

#include <QList>
#include <QString>
#include <variant>

namespace tarnix::cli {

// One "key = value" line of a recorder's configuration file.
struct ConfigEntry {
    int line = 0; // counted from 1
    QString key;
    QString value;
};

// The most a configuration file may hold; a longer one is no configuration.
inline constexpr qint64 ConfigFileMostKiB = 64;

// The lines of a configuration file: "key = value", with "#" starting a
// comment at the start of a line or after a blank, and blank lines ignored.
// A value may be put in double quotes to keep a " #" or outer blanks. Lines
// may end in CR LF. A line of another form, one that is not UTF-8 or holds a
// control character other than a tab (a NUL would cut a file name short),
// is refused as "FILE:LINE: reason".
std::variant<QList<ConfigEntry>, QString> readConfigText(const QByteArray& text,
                                                        const QString& fileName);

// The configuration file at `path`, read as above: only a regular file of at
// most ConfigFileMostKiB, so a device or FIFO neither blocks nor feeds
// without end. Refused with "cannot read PATH: reason" otherwise.
std::variant<QList<ConfigEntry>, QString> readConfigFile(const QString& path);

} // namespace tarnix::cli
