#pragma once

#include <QString>
#include <QStringView>

namespace tarnix::files {

// The name a save dialog's choice is written to. A file name typed without an
// extension gets the one of the filter the user picked: "list-export" with
// "CSV for analysis (*.csv)" is written as "list-export.csv". A name with an
// extension, and any name under a filter of every file ("*.*"), stays as typed.
QString withFilterExtension(const QString& path, QStringView filter);

} // namespace tarnix::files
