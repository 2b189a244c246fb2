// The working file's record writer: records stored off the caller's thread,
// in order, none lost to a page's edit at the same moment or to the end of
// the program; a record queued again before it is written is written once
// with its last values, and batched records wait a moment for others.

#include "core/IniFile.h"
#include "core/WorkingFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {
QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TestWorkingFile : public QObject
{
    Q_OBJECT
private slots:
    void everyQueuedRecordIsStoredBeforeTheWriterEnds_data()
    {
        QTest::addColumn<bool>("batched");
        QTest::newRow("a run's records") << false;
        QTest::newRow("records held for a batch") << true;
    }
    void everyQueuedRecordIsStoredBeforeTheWriterEnds()
    {
        QFETCH(bool, batched);
        const auto timing = batched ? RecordWriter::Timing::Batched : RecordWriter::Timing::Now;
        QTemporaryDir dir;
        WorkingFile file(dir.filePath(QStringLiteral("Velmora.ini")));
        QVERIFY(CreateDefaultIniFile(file.path()));
        {
            RecordWriter writer;
            for (int m = 1; m <= 20; ++m)
                writer.store(file.path(), QStringLiteral("PRODUKT%1").arg(m), {{QStringLiteral("Name"), QStringLiteral("Neu %1").arg(m)}},
                             {}, timing);
            // The window closes while the records are still queued.
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

    // A gateway sending the same records over and over: the queue holds
    // each record once, one replace writes them all with their last values,
    // and only the last `done` of each is called.
    void recordsQueuedAgainAreWrittenOnceWithTheirLastValues()
    {
        QTemporaryDir dir;
        WorkingFile file(dir.filePath(QStringLiteral("Velmora.ini")));
        QVERIFY(CreateDefaultIniFile(file.path()));
        RecordWriter writer;
        const int rounds = 500;
        QMap<QString, QList<int>> done;
        for (int round = 1; round <= rounds; ++round) {
            for (const QString &section : {QStringLiteral("PRODUKT1"), QStringLiteral("PRINTER")}) {
                writer.store(file.path(), section, {{QStringLiteral("Name"), QString::number(round)}},
                             [&done, section, round](const ReportedError &error) {
                                 QVERIFY(error.isNull());
                                 done[section] << round;
                             },
                             RecordWriter::Timing::Batched);
                QVERIFY(writer.queued() <= 2);
                QVERIFY(writer.pending() <= 2);
            }
        }
        writer.drain();
        QCOMPARE(writer.replaces(), 1);
        QCOMPARE(done.value(QStringLiteral("PRODUKT1")), QList<int>{rounds});
        QCOMPARE(done.value(QStringLiteral("PRINTER")), QList<int>{rounds});
        QCOMPARE(file.read(QStringLiteral("PRODUKT1"), QStringLiteral("Name"), QString()), QString::number(rounds));
        QCOMPARE(file.read(QStringLiteral("PRINTER"), QStringLiteral("Name"), QString()), QString::number(rounds));
    }

    // Stores of one record merged in the queue leave the bytes the stores
    // in order would leave: later values replace earlier ones key by key
    // (names without regard to case), new keys follow. Every `done` of an
    // immediate store is called, all in the order of the stores.
    void mergedStoresLeaveTheBytesOfTheStoresInOrder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Velmora.ini"));
        const QString single = dir.filePath(QStringLiteral("single.ini"));
        QVERIFY(CreateDefaultIniFile(path));
        QVERIFY(QFile::copy(path, single));
        struct Store
        {
            const char *section;
            IniValues values;
            RecordWriter::Timing timing;
        };
        const auto now = RecordWriter::Timing::Now, batched = RecordWriter::Timing::Batched;
        const QList<Store> stores = {
            {"NEU", {{"A", "1"}, {"B", "1"}}, batched},
            {"PRINTER", {{"Modell", "02"}}, batched},
            {"neu", {{"b", "2"}, {"C", "2"}}, batched}, // supersedes the first's `done`
            {"SOURCE", {{"Complete", "no"}}, now},       // takes the held records along
            {"NEU", {{"A", "3"}}, now},
        };
        RecordWriter writer;
        QList<int> done;
        // The first three are held and merged whatever the writer's thread
        // does; the last may or may not join the fourth's replace.
        for (int i = 0; i < stores.size(); ++i) {
            const Store &store = stores.at(i);
            writer.store(path, QLatin1String(store.section), store.values, [&done, i](const ReportedError &) { done << i; },
                         store.timing);
            WriteIniValues(single, QLatin1String(store.section), store.values);
        }
        writer.drain();
        QCOMPARE(done, (QList<int>{1, 2, 3, 4}));
        QCOMPARE(bytesOf(path), bytesOf(single));
    }

    // An edit through the working file after a record was queued for it:
    // the record reaches the file first, so the edit is what stays.
    void editAfterAQueuedRecordStays()
    {
        QTemporaryDir dir;
        WorkingFile file(dir.filePath(QStringLiteral("Velmora.ini")));
        QVERIFY(CreateDefaultIniFile(file.path()));
        RecordWriter writer;
        file.setWriter(&writer);
        writer.store(file.path(), QStringLiteral("PRODUKT1"),
                     {{QStringLiteral("Qualitaet"), QStringLiteral("11")}, {QStringLiteral("Name"), QStringLiteral("Gateway")}},
                     {}, RecordWriter::Timing::Batched);
        file.write(QStringLiteral("PRODUKT1"), QStringLiteral("Name"), QStringLiteral("Nutzer"));
        file.storeRecord(QStringLiteral("PRODUKT2"), {{QStringLiteral("Name"), QStringLiteral("Auch")}});
        writer.drain();
        QCOMPARE(file.read(QStringLiteral("PRODUKT1"), QStringLiteral("Qualitaet"), QString()), QStringLiteral("11"));
        QCOMPARE(file.read(QStringLiteral("PRODUKT1"), QStringLiteral("Name"), QString()), QStringLiteral("Nutzer"));
        QCOMPARE(file.read(QStringLiteral("PRODUKT2"), QStringLiteral("Name"), QString()), QStringLiteral("Auch"));
    }

    // Batched records wait for others up to BatchDelayMs, so that records
    // coming one by one cost a few replaces a second; flush() writes them
    // at once.
    void batchedRecordsShareAReplaceUntilFlushed()
    {
        QTemporaryDir dir;
        WorkingFile file(dir.filePath(QStringLiteral("Velmora.ini")));
        QVERIFY(CreateDefaultIniFile(file.path()));
        RecordWriter writer;
        QElapsedTimer clock;
        clock.start();
        int stored = 0;
        for (int n = 1; n <= 60; ++n) {
            writer.store(file.path(), QStringLiteral("PRODUKT%1").arg(n % 20 + 1), {{QStringLiteral("Name"), QString::number(n)}},
                         [&stored](const ReportedError &) { ++stored; }, RecordWriter::Timing::Batched);
            QTest::qWait(10);
        }
        writer.drain();
        // However slow the machine, no more than one replace per delay.
        QVERIFY2(writer.replaces() <= clock.elapsed() / RecordWriter::BatchDelayMs + 1,
                 qPrintable(QStringLiteral("%1 replaces in %2 ms").arg(writer.replaces()).arg(clock.elapsed())));
        QVERIFY(stored >= 20 && stored < 60);

        const int before = writer.replaces();
        writer.store(file.path(), QStringLiteral("PRINTER"), {{QStringLiteral("Head"), QStringLiteral("jetzt")}}, {},
                     RecordWriter::Timing::Batched);
        writer.flush();
        QCOMPARE(writer.replaces(), before + 1);
        QCOMPARE(file.read(QStringLiteral("PRINTER"), QStringLiteral("Head"), QString()), QStringLiteral("jetzt"));
    }
};

QTEST_GUILESS_MAIN(TestWorkingFile)
#include "tst_workingfile.moc"
