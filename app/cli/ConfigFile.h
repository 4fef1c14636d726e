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

// The lines of a configuration file: "key = value", with "#" starting a
// comment at the start of a line or after a blank, and blank lines ignored.
// A value may be put in double quotes to keep a " #" or outer blanks. A line
// of another form is refused as "FILE:LINE: reason".
std::variant<QList<ConfigEntry>, QString> readConfigText(const QString& text,
                                                        const QString& fileName);

} // namespace tarnix::cli
