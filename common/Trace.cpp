// The trace category; enable with QT_LOGGING_RULES="orva.trace.debug=true".
#include "common/Trace.h"

Q_LOGGING_CATEGORY(orvaTrace, "orva.trace", QtWarningMsg)
Q_LOGGING_CATEGORY(orvaSetup, "orva.setup", QtWarningMsg)
