// Whether the window has a display to start on, and what the user is told
// when it has none.

#include "gui/DisplayCheck.h"

#include <QProcess>
#include <QtTest>

class TestDisplayCheck : public QObject
{
    Q_OBJECT
private slots:
    void platformAndSession_data()
    {
        QTest::addColumn<QStringList>("environment"); // NAME=value
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("usable");
        QTest::newRow("X11 session") << QStringList{"DISPLAY=:0"} << QStringList() << true;
        QTest::newRow("Wayland session") << QStringList{"WAYLAND_DISPLAY=wayland-0"} << QStringList() << true;
        QTest::newRow("no session") << QStringList() << QStringList() << false;
        QTest::newRow("empty DISPLAY") << QStringList{"DISPLAY="} << QStringList() << false;
        QTest::newRow("offscreen") << QStringList{"QT_QPA_PLATFORM=offscreen"} << QStringList() << true;
        QTest::newRow("xcb without X") << QStringList{"QT_QPA_PLATFORM=xcb", "WAYLAND_DISPLAY=w"} << QStringList() << false;
        QTest::newRow("list, second works") << QStringList{"QT_QPA_PLATFORM=wayland;xcb", "DISPLAY=:1"} << QStringList() << true;
        QTest::newRow("argument before variable")
            << QStringList{"QT_QPA_PLATFORM=xcb"} << QStringList{"-platform", "offscreen"} << true;
        QTest::newRow("argument without session") << QStringList{"DISPLAY=:0"} << QStringList{"-platform", "wayland"} << false;
    }
    void platformAndSession()
    {
        QFETCH(QStringList, environment);
        QFETCH(QStringList, arguments);
        QFETCH(bool, usable);
        QProcessEnvironment env;
        for (const QString &pair : environment)
            env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        const QString text = MissingDisplayText(QStringList{"velmora"} + arguments, env);
        QCOMPARE(text.isEmpty(), usable);
        if (!usable)
            QVERIFY2(text.contains("desktop session") && text.contains("xvfb-run"), qPrintable(text));
    }

    // The program itself says it, and ends before Qt would abort.
    void programWithoutDisplayExplains()
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        env.insert("HOME", QDir::tempPath());
        program.setProcessEnvironment(env);
        program.start(qEnvironmentVariable("VELMORA_EXE"), QStringList());
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QVERIFY2(err.startsWith("velmora: there is no display") && err.contains("xvfb-run"), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestDisplayCheck)
#include "tst_displaycheck.moc"
