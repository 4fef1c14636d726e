#pragma once

#include <QLoggingCategory>

// One logging category per area, all off by default. Turn them on for a
// problem report with QT_LOGGING_RULES, for example
//   QT_LOGGING_RULES="tarnix.*.debug=true" tarnix-log record ... 2> debug.log
Q_DECLARE_LOGGING_CATEGORY(lcLink)    // tarnix.link: every byte out and in, with time and speed
Q_DECLARE_LOGGING_CATEGORY(lcPolling) // tarnix.polling: speed search, link lost and back, readings
Q_DECLARE_LOGGING_CATEGORY(lcLogger)  // tarnix.logger: header reads, dumps, settings writes
Q_DECLARE_LOGGING_CATEGORY(lcFiles)   // tarnix.files: opening, saving and recording data files
