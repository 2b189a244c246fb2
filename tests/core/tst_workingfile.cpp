// The working file's record writer: records stored off the caller's thread,
// in order, none lost to a page's edit at the same moment or to the end of
// the program.

#include "core/IniFile.h"
#include "core/WorkingFile.h"

#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class TestWorkingFile : public QObject
{
    Q_OBJECT
private slots:
    void everyQueuedRecordIsStoredBeforeTheWriterEnds()
    {
        QTemporaryDir dir;
        WorkingFile file(dir.filePath(QStringLiteral("Velmora.ini")));
        QVERIFY(CreateDefaultIniFile(file.path()));
        {
            RecordWriter writer;
            for (int m = 1; m <= 20; ++m)
                writer.store(file.path(), QStringLiteral("PRODUKT%1").arg(m), {{QStringLiteral("Name"), QStringLiteral("Neu %1").arg(m)}},
                             {});
            // The window closes while the run's records are still queued.
        }
        for (int m = 1; m <= 20; ++m)
            QCOMPARE(file.read(QStringLiteral("PRODUKT%1").arg(m), QStringLiteral("Name"), QString()),
                     QStringLiteral("Neu %1").arg(m));
    }

    void pageEditsAndRecordsAtOnceLoseNothing()
    {
        QTemporaryDir dir;
        WorkingFile file(dir.filePath(QStringLiteral("Velmora.ini")));
        QVERIFY(CreateDefaultIniFile(file.path()));
        RecordWriter writer;
        QStringList errors;
        for (int a = 0; a < 24; ++a) {
            writer.store(file.path(), QStringLiteral("QVR%1").arg(a), {{QStringLiteral("EDV1"), QStringLiteral("77")}},
                         [&errors](const ReportedError &error) {
                             if (!error.isNull())
                                 errors << error.fileError().fileName();
                         });
            // Each replace reads the file first: without one lock for both,
            // one of two replaces at the same time would undo the other.
            file.write(QStringLiteral("PRODUKT%1").arg(a % 20 + 1), QStringLiteral("Qualitaet"), QStringLiteral("55"));
        }
        writer.drain();
        QVERIFY(errors.isEmpty());
        for (int a = 0; a < 24; ++a)
            QCOMPARE(file.read(QStringLiteral("QVR%1").arg(a), QStringLiteral("EDV1"), QString()), QStringLiteral("77"));
        for (int m = 1; m <= 20; ++m)
            QCOMPARE(file.read(QStringLiteral("PRODUKT%1").arg(m), QStringLiteral("Qualitaet"), QString()),
                     QStringLiteral("55"));
    }

    void aRefusedStoreIsReported()
    {
        QTemporaryDir dir;
        // A folder in the file's place cannot be replaced.
        const QString path = dir.filePath(QStringLiteral("Velmora.ini"));
        QVERIFY(QDir().mkdir(path));
        RecordWriter writer;
        ReportedError reported;
        bool done = false;
        writer.store(path, QStringLiteral("PRINTER"), {{QStringLiteral("Head"), QStringLiteral("x")}},
                     [&](const ReportedError &error) {
                         reported = error;
                         done = true;
                     });
        QTRY_VERIFY(done);
        QVERIFY(reported.kind() == ReportedError::Kind::File);
        QCOMPARE(reported.fileError().fileName(), path);
        QVERIFY(reported.fileError().reason() == FileError::Reason::IsFolder);
        QCOMPARE(writer.pending(), 0);
    }
};

QTEST_GUILESS_MAIN(TestWorkingFile)
#include "tst_workingfile.moc"
