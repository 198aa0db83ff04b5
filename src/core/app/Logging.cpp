#include "app/Logging.h"

// Warnings are on by default, so a failed print shows in the program's log output.
Q_LOGGING_CATEGORY(lcPrint, "ams.print", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPosting, "ams.posting", QtWarningMsg)
