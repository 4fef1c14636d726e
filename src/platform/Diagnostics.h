#pragma once

#include <QLoggingCategory>

// One logging category per area, all off by default. Turn them on for a
// problem report with QT_LOGGING_RULES, for example
//   QT_LOGGING_RULES="tarnix.*.debug=true" tarnix-log record ... 2> debug.log
Q_DECLARE_LOGGING_CATEGORY(lcLink)     // tarnix.link: every byte out and in, with time and speed
Q_DECLARE_LOGGING_CATEGORY(lcPolling)  // tarnix.polling: speed search, link lost and back, readings
Q_DECLARE_LOGGING_CATEGORY(lcLogger)   // tarnix.logger: header reads, dumps, settings writes
Q_DECLARE_LOGGING_CATEGORY(lcFiles)    // tarnix.files: opening, saving and recording data files
Q_DECLARE_LOGGING_CATEGORY(lcMqtt)     // tarnix.mqtt: connects, losses and reconnects to the broker
Q_DECLARE_LOGGING_CATEGORY(lcSim)      // tarnix.sim: every command the simulated meter hears
Q_DECLARE_LOGGING_CATEGORY(lcRecorder) // tarnix.recorder: samples written, skipped, and gaps
