#pragma once
// Runs a long test program as several CTest tests at once: with
// VELMORA_TEST_SHARD=i/n set, the test functions, each row of a data-driven
// one counting on its own, are dealt out in turn, and each shard runs every
// n-th of them and skips the others. Dealing in turn spreads the long ones
// more evenly than any rule on their names. Called from init(), which QtTest
// calls before every test function and row, in the same order every run.

#include <QByteArray>
#include <QList>
#include <QtTest>

inline void skipOutsideShard()
{
    const QByteArray shard = qgetenv("VELMORA_TEST_SHARD");
    const QList<QByteArray> parts = shard.split('/');
    if (parts.size() != 2)
        return;
    const int index = parts[0].toInt();
    const int count = parts[1].toInt();
    if (count < 2 || index < 1 || index > count)
        return;
    static int dealt = 0;
    if (dealt++ % count + 1 != index)
        QSKIP("runs in another shard");
}
