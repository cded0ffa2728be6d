#pragma once
// QCOMPARE of a Result against a code, with the code printed when they differ.
#include <QtTest>

#include "base/result.h"

inline char *toString(const Result &result)
{
    return QTest::toString(int(result.code()));
}

// The code as a number, for tables that list codes as ints.
inline int codeOf(const Result &result)
{
    return int(result.code());
}
