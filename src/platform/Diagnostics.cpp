#include "platform/Diagnostics.h"

Q_LOGGING_CATEGORY(lcLink, "tarnix.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPolling, "tarnix.polling", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLogger, "tarnix.logger", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFiles, "tarnix.files", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMqtt, "tarnix.mqtt", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSim, "tarnix.sim", QtWarningMsg)
Q_LOGGING_CATEGORY(lcRecorder, "tarnix.recorder", QtWarningMsg)
