// Debug traces: "name = value" lines in a logging category that is off by default,
// because traces can hold what the user typed (passwords at the host's prompt included).
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(orvaTrace)

#define ORVA_TRACE(name, value) qCDebug(orvaTrace).noquote() << (name) << "=" << (value)
