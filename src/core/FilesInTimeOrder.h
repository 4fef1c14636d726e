#pragma once

#include <QFile>
#include <QStringList>
#include <variant>

namespace tarnix::core {

// Whether the open `file` starts with the analysis CSV header.
bool isAnalysisCsv(QFile& file);

// Files, and the files in folders whose names end in one of `suffixes`, in
// the order of their first reading's time (one without keeps its place
// among those without, after the others); or why one cannot be read.
std::variant<QStringList, QString> inputsInTimeOrder(const QStringList& paths,
                                                     const QStringList& suffixes);

} // namespace tarnix::core
