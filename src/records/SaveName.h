#pragma once

#include <QString>
#include <QStringView>

namespace tarnix::records {

// The name a save dialog's choice is written to. A file name typed without an
// extension gets the chosen filter's: "list-export" under "CSV for analysis
// (*.csv)" is written as "list-export.csv", which a spreadsheet and pandas
// then read as CSV; a trend under "PNG Image (*.png)" as a PNG file. Under
// the data-file filter a name is used as typed, as that dialog has always
// done; so is a name with an extension, and any name under "*.*".
QString withFilterExtension(const QString& path, QStringView filter);

} // namespace tarnix::records
