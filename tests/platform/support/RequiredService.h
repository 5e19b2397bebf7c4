#pragma once

#include <QTest>

// A test that needs a service (an audio server, device nodes) skips without
// it on a developer's machine but fails in CI, where the rig must provide it.
#define REQUIRE_SERVICE(available, what)                                                                     \
    do {                                                                                                     \
        if (!(available)) {                                                                                  \
            if (!qEnvironmentVariableIsEmpty("CI"))                                                          \
                QFAIL(qPrintable(QStringLiteral("missing in CI: %1").arg(what)));                            \
            QSKIP(qPrintable(QStringLiteral("not available here: %1").arg(what)));                           \
        }                                                                                                    \
    } while (false)
