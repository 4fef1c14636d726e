#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace tarnix::records {

// The fields of one line of comma-separated text, as RFC 4180 reads them: a
// field in double quotes keeps its commas, and "" inside it is one quote.
// Blanks around a field are kept; the line end is not part of `line`.
// Bytes are read as UTF-8 (data-file text is ASCII, which reads the same).
QStringList csvSplit(QByteArrayView line);

} // namespace tarnix::records
