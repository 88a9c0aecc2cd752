// Debug traces: "name = value" lines in a logging category that is off by default,
// because traces can hold what the user typed (passwords at the host's prompt included).
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(orvaTrace)

#define ORVA_TRACE(name, value) qCDebug(orvaTrace).noquote() << (name) << "=" << (value)

// Lines of the setup file that are left out (a key map that binds no key, a list over its limit): on by
// default, as a warning. The messages name keys of the file, never key texts or what the user typed.
Q_DECLARE_LOGGING_CATEGORY(orvaSetup)
