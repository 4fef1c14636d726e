#pragma once

#include <QtTest>

// True for a test function that CTest runs in an entry of its own, side by
// side with the rest (TARNIX_RUN_APART lists them): the whole run skips it.
inline bool runsApart() {
    return qgetenv("TARNIX_RUN_APART").split(',').contains(QTest::currentTestFunction());
}
