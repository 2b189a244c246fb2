// One instance per user: in process through the lock and socket, and with
// the real program started twice.

#include "shell/Unit_Pogramm.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void secondClaimRaisesTheFirst()
    {
        QTemporaryDir dir;
        SingleInstance first(dir.path());
        QVERIFY(first.claim());
        QSignalSpy raised(&first, &SingleInstance::activationRequested);

        SingleInstance second(dir.path());
        QVERIFY(!second.claim());
        QTRY_COMPARE(raised.count(), 1);

        SingleInstance third(dir.path());
        QVERIFY(!third.claim());
        QTRY_COMPARE(raised.count(), 2);
    }

    void lockIsFreeAgainAfterTheFirstEnds()
    {
        QTemporaryDir dir;
        {
            SingleInstance first(dir.path());
            QVERIFY(first.claim());
        }
        SingleInstance next(dir.path());
        QVERIFY(next.claim());
    }

    void lockOfACrashedInstanceDoesNotBlock()
    {
        QTemporaryDir dir;
        // A lock file and a socket file left behind by a process that no longer runs.
        QFile lock(dir.filePath("velmora.lock"));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("999999\nvelmora\n\n");
        lock.close();
        QFile socket(dir.filePath("velmora.socket"));
        QVERIFY(socket.open(QIODevice::WriteOnly));
        socket.close();

        SingleInstance next(dir.path());
        QVERIFY(next.claim());
        QSignalSpy raised(&next, &SingleInstance::activationRequested);
        SingleInstance other(dir.path());
        QVERIFY(!other.claim());
        QTRY_COMPARE(raised.count(), 1);
    }

    void secondProgramStartEndsWithoutWindow()
    {
        const QString exe = qEnvironmentVariable("VELMORA_EXE");
        if (exe.isEmpty())
            QSKIP("VELMORA_EXE not set");
        QTemporaryDir runtime;
        QTemporaryDir programDir;
        // A copy of the program, so that its working file lands in a temporary folder.
        const QString copy = programDir.filePath("velmora");
        QVERIFY(QFile::copy(exe, copy));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess first;
        first.setProcessEnvironment(env);
        first.start(copy, {});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.filePath("velmora.socket")), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(programDir.filePath("Velmora.ini")), 30000);

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(copy, {});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        first.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
