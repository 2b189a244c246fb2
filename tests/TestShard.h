#pragma once
// Runs a long test program as several CTest tests at once: with
// VELMORA_TEST_SHARD=i/n set, a test function runs only in the shard its
// name falls into, and is skipped in the others; each row of a data-driven
// function counts on its own, so long tables spread over the shards. Called
// from init(), which QtTest calls before every test function and row.

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
    const QByteArray name = QByteArray(QTest::currentTestFunction()) + '/' + QTest::currentDataTag();
    const uint hash = qHash(name, 0U);
    if (int(hash % uint(count)) + 1 != index)
        QSKIP("runs in another shard");
}
