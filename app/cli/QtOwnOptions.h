#pragma once

#include <QString>
#include <QStringList>

namespace tarnix::cli {

// A desktop command line split in two: Qt's own options (-style Fusion,
// -platform offscreen, -reverse, ...), which QApplication takes when it
// starts, and the rest, which is the program's to read.
struct QtOwnOptions {
    QStringList rest; // the program's name and its own arguments
    QString platform; // -platform's value; empty when not given
};

// Reads the arguments, the program's name first, as QGuiApplication and
// QApplication do: "--style" is "-style" to them, and their options may stand
// anywhere.
QtOwnOptions splitQtOwnOptions(const QStringList& arguments);

// The paragraph --help-all adds to the help: the Qt options above, by name.
QString qtOwnOptionsHelp();

} // namespace tarnix::cli
