#include "platform/Diagnostics.h"

Q_LOGGING_CATEGORY(lcLink, "tarnix.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPolling, "tarnix.polling", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLogger, "tarnix.logger", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFiles, "tarnix.files", QtWarningMsg)
