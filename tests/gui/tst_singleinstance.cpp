// One instance per user: in process through the lock and socket, and with
// the real program started twice.

#include "gui/SingleInstance.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

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

    void onlyAPrivateFolderOfTheUserHoldsTheLock()
    {
        QTemporaryDir dir;
        const QString fresh = dir.filePath("fresh");
        const QString open = dir.filePath("open");
        const QString foreign = dir.filePath("foreign");
        const QString planted = dir.filePath("planted");
        const QString fallback = dir.filePath("fallback");
        QVERIFY(QDir().mkdir(open));
        QVERIFY(QFile::setPermissions(open, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                | QFile::ReadOther | QFile::ExeOther));
        QVERIFY(QFile::link(fallback, planted));

        // A missing folder is made private; one that others may enter is passed by.
        QCOMPARE(SingleInstance::privateFolder({fresh}), fresh);
        QCOMPARE(QFileInfo(fresh).permissions() & 0x0077, QFile::Permissions());
        QCOMPARE(SingleInstance::privateFolder({open, fallback}), fallback);
        // A link in the folder's place is not followed, even to a private folder.
        QVERIFY(!SingleInstance::isPrivateFolder(planted));
        QCOMPARE(SingleInstance::privateFolder({planted}), QString());

        // Another user's folder, as another user's mkdir -m700 leaves it (root only).
        if (::geteuid() == 0) {
            QVERIFY(QDir().mkdir(foreign));
            QVERIFY(::chown(QFile::encodeName(foreign).constData(), 65534, 65534) == 0);
            QVERIFY(QFile::setPermissions(foreign, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            QCOMPARE(SingleInstance::privateFolder({foreign, fallback}), fallback);
        }

        // No folder at all is a reason, not a silent end.
        SingleInstance none(QString{});
        QVERIFY(!none.claim());
        QVERIFY(!none.failure().isEmpty());
    }

    void defaultFolderWithoutRuntimeFolderSkipsAForeignOne()
    {
        QTemporaryDir tmp;
        const QByteArray oldTmp = qgetenv("TMPDIR");
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        const auto restore = qScopeGuard([&] {
            oldTmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", oldTmp);
            oldRuntime.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", oldRuntime);
        });
        qputenv("TMPDIR", tmp.path().toLocal8Bit());
        qunsetenv("XDG_RUNTIME_DIR");
        const QString planted = tmp.filePath(QStringLiteral("velmora-%1").arg(::geteuid()));
        QVERIFY(QDir().mkdir(planted));
        QVERIFY(QFile::setPermissions(planted, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                   | QFile::ReadGroup | QFile::ExeGroup
                                                   | QFile::ReadOther | QFile::ExeOther));
        const QString folder = SingleInstance::defaultFolder();
        QVERIFY(!folder.isEmpty());
        QVERIFY(folder != planted);
        QVERIFY(SingleInstance::isPrivateFolder(folder));
        SingleInstance instance(folder);
        QVERIFY(instance.claim());
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
