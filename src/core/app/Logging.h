#pragma once

#include <QLoggingCategory>

// Where the program says why something it reports only as false went wrong: a print
// that failed, a posting that was not made. Enable with QT_LOGGING_RULES="ams.*=true".
Q_DECLARE_LOGGING_CATEGORY(lcPrint)
Q_DECLARE_LOGGING_CATEGORY(lcPosting)
