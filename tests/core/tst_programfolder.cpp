// Where the program keeps its working file: beside the executable when it
// may write there, else in the user's config folder.

#include "core/ProgramFolder.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class TestProgramFolder : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_oldConfig;

    QString perUser() const { return m_dir->filePath("config") + "/velmora/"; }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath("config")));
        QVERIFY(QDir().mkpath(m_dir->filePath("bin")));
        QVERIFY(QDir().mkpath(m_dir->filePath("readonly")));
        QCOMPARE(::chmod(QFile::encodeName(m_dir->filePath("readonly")).constData(), 0555), 0);
    }
    void cleanup()
    {
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
        ::chmod(QFile::encodeName(m_dir->filePath("readonly")).constData(), 0755);
        m_dir.reset();
    }

    void folderForExecutable_data()
    {
        // A folder relative to the temporary one, an absolute one or none;
        // an empty expectation is the per-user folder.
        QTest::addColumn<QString>("exeFolder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("writable") << "bin" << "bin/";
        QTest::newRow("writable, trailing slash") << "bin/" << "bin/";
        QTest::newRow("read-only") << "readonly" << "";
        QTest::newRow("missing") << "gone" << "";
        QTest::newRow("unknown") << "" << "";
        QTest::newRow("installed under /usr") << "/usr/bin" << "";
        QTest::newRow("installed in /bin") << "/bin" << "";
        QTest::newRow("installed in /sbin") << "/sbin" << "";
    }
    void folderForExecutable()
    {
        QFETCH(QString, exeFolder);
        QFETCH(QString, expected);
        if (!exeFolder.isEmpty() && !exeFolder.startsWith(u'/'))
            exeFolder = m_dir->filePath(exeFolder);
        const QString folder = ProgramFolderFor(exeFolder);
        QCOMPARE(folder, expected.isEmpty() ? perUser() : m_dir->filePath(expected.chopped(1)) + "/");
        QVERIFY(QFileInfo(folder).isDir());
    }

    void folderOfThisProgram()
    {
        QCOMPARE(ProgramFolder(), ProgramFolderFor(QCoreApplication::applicationDirPath()));
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
