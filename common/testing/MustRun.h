// A test whose tool or peer the README installs must not pass quietly where it could not run. It
// skips on a developer's machine that lacks the tool; where ORVA_TESTS_MUST_RUN is set (CI sets it)
// the same skip fails the test, so a missing install step shows as a red run, not a green one.
#pragma once

#include <QTest>
#include <QtGlobal>

inline bool testsMustRun() {
    return qEnvironmentVariableIsSet("ORVA_TESTS_MUST_RUN");
}

// In a Qt Test function: skip with `reason`, or fail where every test must run.
#define ORVA_QSKIP_UNLESS_REQUIRED(reason)                                                                   \
    do {                                                                                                     \
        if (testsMustRun())                                                                                  \
            QFAIL(reason);                                                                                   \
        QSKIP(reason);                                                                                       \
    } while (false)
