// A run on its own: no session and no port. A plain function sends its
// requests, the test answers them as a gateway with firmware 3.11 would.

#include "ReplyBuilders.h"
#include "RunSpies.h"

#include "core/ConfigLayout.h"
#include "core/Frame.h"
#include "core/IniFile.h"
#include "core/Records.h"
#include "core/TransferRun.h"
#include "core/WorkingFile.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestTransferRun : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<WorkingFile> m_file;
    std::unique_ptr<RecordWriter> m_writer;
    std::unique_ptr<TransferRun> m_run;
    QList<QByteArray> m_requests;

    static RunSettings settings()
    {
        return RunSettings{FeaturesForVersion(311), QStringLiteral("3.11"), QStringLiteral("COM7"), {}};
    }

    // The gateway's answer to `request`, as the session hands it on.
    Record answerTo(const QByteArray &request) const
    {
        const QByteArray line = BuildRequestFrame(FixedRecordReply(request)) + "\r\n";
        Record record;
        if (Record::fromReply(line, settings().features, &record) != Record::Reply::Valid)
            qFatal("no record in the answer to %s", request.constData());
        return record;
    }

    // Answers every request the run sends until it sends no more.
    void answerAll()
    {
        while (!m_requests.isEmpty()) {
            const Record record = answerTo(m_requests.takeFirst());
            QVERIFY(m_run->takesReply(record));
            m_run->replyChecked(record);
        }
    }

    QString stored(const char *section, const char *key) const
    {
        return ReadIniValue(m_file->path(), QLatin1String(section), QLatin1String(key), QStringLiteral("-"));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_file = std::make_unique<WorkingFile>(m_dir->filePath(QStringLiteral("Velmora.ini")));
        QVERIFY(CreateDefaultIniFile(m_file->path()));
        m_writer = std::make_unique<RecordWriter>();
        m_run = std::make_unique<TransferRun>(*m_file, *m_writer);
        m_run->setReplyTimeout(200);
        m_requests.clear();
        connect(m_run.get(), &TransferRun::requestReady, this, [this](const QByteArray &r) { m_requests << r; });
    }
    void cleanup()
    {
        m_run.reset();
        m_writer.reset();
    }

    void readAllStoresEveryRecordAndItsSource()
    {
        RunFinishedSpy finished(*m_run);
        QSignalSpy records(m_run.get(), &TransferRun::recordStored);
        m_run->start(TransferRun::Kind::ReadAll, settings());
        QCOMPARE(m_requests.constFirst(), QByteArray("C0Z0"));
        answerAll();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QCOMPARE(records.size(), ConfigLayout::records(settings().features).size());
        QCOMPARE(m_run->recordsStored(), records.size());
        QCOMPARE(stored("PRODUKT3", "Qualitaet"), QStringLiteral("77"));
        QCOMPARE(stored("SOURCE", "Firmware"), QStringLiteral("3.11"));
        QCOMPARE(stored("SOURCE", "Port"), QStringLiteral("COM7"));
        QCOMPARE(stored("SOURCE", "Complete"), QStringLiteral("yes"));
        QCOMPARE(stored("SOURCE", "Records"), QStringLiteral("46"));
    }

    // A read to memory asks for every record as a read-all does, keeps them
    // and leaves the file as it was; a write-all then sends the file's
    // values, a key the file lacks taking the gateway's value, and without
    // the gateway's records refuses such a file.
    void readToMemoryKeepsTheRecordsForAWrite()
    {
        const auto bytes = [this] {
            QFile file(m_file->path());
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QByteArray content = bytes();
        content.remove(content.indexOf("EDV1=01\r\n", content.indexOf("[QVR8]")), 9);
        {
            QFile file(m_file->path());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(content);
        }
        RunFinishedSpy finished(*m_run);
        QSignalSpy refused(m_run.get(), &TransferRun::valuesRefused);
        m_run->start(TransferRun::Kind::WriteAll, settings());
        QCOMPARE(refused.size(), 1);
        QVERIFY(m_requests.isEmpty());

        m_run->start(TransferRun::Kind::ReadToMemory, settings());
        QCOMPARE(m_requests.constFirst(), QByteArray("C0Z0"));
        answerAll();
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(finished.at(1).at(0).toBool(), true);
        m_writer->drain();
        QCOMPARE(bytes(), content);
        const QList<Record> gateway = m_run->recordsRead();
        QCOMPARE(gateway.size(), ConfigLayout::records(settings().features).size());

        RunSettings write = settings();
        write.kept = gateway;
        QList<QByteArray> sent;
        connect(m_run.get(), &TransferRun::requestReady, this, [&sent](const QByteArray &r) { sent << r; });
        m_run->start(TransferRun::Kind::WriteAll, write);
        answerAll();
        QTRY_COMPARE(finished.size(), 3);
        const Record *held8 = FindRecord(gateway, {RecordKind::Points, 8});
        QVERIFY(held8);
        // Qualities 1 to 4 from the file, then the gateway's EDV1.
        QCOMPARE(sent.at(8).left(14), "C1Z801020304" + held8->value("EDV1").toLatin1());
        QCOMPARE(sent.size(), gateway.size());
    }

    // A file read before keeps its [SOURCE] until a read-all stores its
    // first record, which marks it incomplete: a read killed from there on
    // leaves the mark. A read that ends early names its own firmware and
    // how many records it stored; one that stored none leaves the file.
    void readAllCutShortMarksItsSource()
    {
        WriteIniValues(m_file->path(), "SOURCE",
                       {{"Firmware", "1.06"}, {"Date", "2020-01-01T00:00:00Z"}, {"Port", "COM1"},
                        {"Complete", "yes"}, {"Records", "27"}});
        const auto bytes = [this] {
            QFile file(m_file->path());
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray before = bytes();
        RunFinishedSpy finished(*m_run);

        m_run->start(TransferRun::Kind::ReadAll, settings());
        m_run->abort(RunResult::Outcome::Stopped);
        m_writer->drain();
        QCOMPARE(bytes(), before);

        m_requests.clear();
        m_run->start(TransferRun::Kind::ReadAll, settings());
        for (int i = 0; i < 3; ++i)
            m_run->replyChecked(answerTo(m_requests.takeFirst()));
        m_writer->drain();
        QVERIFY(m_run->isActive());
        QCOMPARE(stored("SOURCE", "Complete"), QStringLiteral("no"));
        QCOMPARE(stored("SOURCE", "Firmware"), QStringLiteral("1.06"));

        m_run->abort(RunResult::Outcome::Stopped);
        m_writer->drain();
        QCOMPARE(finished.size(), 2);
        QCOMPARE(stored("SOURCE", "Complete"), QStringLiteral("no"));
        QCOMPARE(stored("SOURCE", "Records"), QStringLiteral("3"));
        QCOMPARE(stored("SOURCE", "Firmware"), QStringLiteral("3.11"));
        QCOMPARE(stored("SOURCE", "Port"), QStringLiteral("COM7"));
        QVERIFY(stored("SOURCE", "Date") != QLatin1String("2020-01-01T00:00:00Z"));
    }

    // Another record's reply is no answer: the run waits for its own, and
    // without it ends by the time-out, having stored what came before.
    void otherRecordDoesNotAnswerAndTheTimeOutEnds()
    {
        RunFinishedSpy finished(*m_run);
        m_run->start(TransferRun::Kind::ReadAll, settings());
        const Record first = answerTo(m_requests.takeFirst());
        m_run->replyChecked(first);
        QCOMPARE(m_requests, QList<QByteArray>{"C0Z1"});
        QVERIFY(!m_run->takesReply(answerTo("C0Z2")));
        QVERIFY(m_run->takesReply(answerTo("C0Z1")));
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(finished.results.at(0).outcome == RunResult::Outcome::NoReply);
        QCOMPARE(m_run->recordsStored(), 1);
        QVERIFY(!m_run->isActive());
    }

    // A store the file refuses ends the run with the refusal.
    void refusedStoreEndsTheRun()
    {
        QVERIFY(QFile::setPermissions(m_file->path(), QFile::ReadOwner));
        RunFinishedSpy finished(*m_run);
        QList<ReportedError> refused;
        connect(m_run.get(), &TransferRun::storeFailed, this, [&](const ReportedError &e) { refused << e; });
        m_run->start(TransferRun::Kind::ReadAll, settings());
        answerAll();
        QTRY_COMPARE(finished.size(), 1);
        // The records behind the first are refused alike, once the writer
        // gets to them.
        m_writer->drain();
        QVERIFY(finished.results.at(0).outcome == RunResult::Outcome::Failed);
        QVERIFY(!refused.isEmpty());
        QVERIFY(finished.results.at(0).error == refused.constFirst());
        QVERIFY(refused.constFirst().fileError().reason() == FileError::Reason::ReadOnlyFile);
        QCOMPARE(m_run->recordsStored(), 0);
    }

    // A write-all sends the file's values; an echo that holds others is
    // not taken, and the run ends without "OK", naming the values.
    void writeAllSendsTheFilesValuesAndChecksTheEchoes()
    {
        WriteIniValue(m_file->path(), "PRODUKT3", "Qualitaet", "77");
        WriteIniValue(m_file->path(), "PRODUKT3", "Name", "Answer");
        RunFinishedSpy finished(*m_run);
        QSignalSpy notTaken(m_run.get(), &TransferRun::valuesNotTaken);
        m_run->start(TransferRun::Kind::WriteAll, settings());
        QByteArray productRequest;
        while (!m_requests.isEmpty()) {
            const QByteArray request = m_requests.takeFirst();
            if (request.startsWith("C1P03"))
                productRequest = request;
            m_run->replyChecked(answerTo(request));
        }
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(productRequest.startsWith("C1P0377"));
        QVERIFY(productRequest.endsWith("Answer"));
        QVERIFY(finished.results.at(0).outcome == RunResult::Outcome::NotTaken);
        QCOMPARE(notTaken.size(), 1);
        const auto differences = notTaken.at(0).at(0).value<QList<ValueDifference>>();
        QVERIFY(!differences.isEmpty());
        // The gateway echoes quality 77 for every product: taken for product 3 only.
        for (const ValueDifference &d : differences)
            QVERIFY(!(d.section == QLatin1String("PRODUKT3") && d.key == QLatin1String("Qualitaet")));
        const auto product4 = std::find_if(differences.begin(), differences.end(), [](const ValueDifference &d) {
            return d.section == QLatin1String("PRODUKT4") && d.key == QLatin1String("Qualitaet");
        });
        QVERIFY(product4 != differences.end());
        QCOMPARE(product4->second, QStringLiteral("77"));
    }
};

QTEST_GUILESS_MAIN(TestTransferRun)
#include "tst_transferrun.moc"
