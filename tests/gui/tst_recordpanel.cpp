// The read/write panel of a page's record: which stored record puts its
// light out, when the page asks several times before an answer comes.

#include "core/RecordingPort.h"

#include "core/GatewaySession.h"
#include "core/IniFile.h"
#include "core/WorkingFile.h"
#include "gui/ErrorReport.h"
#include "gui/RecordPanel.h"
#include "gui/StatusLight.h"
#include "gui/WindowLanguage.h"

#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class TestRecordPanel : public QObject
{
    Q_OBJECT

private slots:
    // Each request is "read N" or "write N" (points of address N), or
    // "refused N", a write whose value does not fit; then the gateway answers
    // the request numbered `answered`.
    void onlyTheLastRequestSentIsAwaited_data()
    {
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<int>("answered");
        QTest::addColumn<bool>("lit");
        QTest::newRow("the read's answer") << QStringList{"read 1"} << 0 << false;
        QTest::newRow("a read before a later one") << QStringList{"read 1", "read 2"} << 0 << true;
        QTest::newRow("the later read") << QStringList{"read 1", "read 2"} << 1 << false;
        QTest::newRow("a read before a write") << QStringList{"read 1", "write 2"} << 0 << true;
        QTest::newRow("the write's echo") << QStringList{"read 1", "write 2"} << 1 << false;
        // A write refused before sending leaves the read the one awaited.
        QTest::newRow("a read before a refused write") << QStringList{"read 1", "refused 2"} << 0 << false;
    }
    void onlyTheLastRequestSentIsAwaited()
    {
        QFETCH(QStringList, requests);
        QFETCH(int, answered);
        QFETCH(bool, lit);

        QTemporaryDir dir;
        WorkingFile file(dir.filePath(QStringLiteral("Velmora.ini")));
        QVERIFY(CreateDefaultIniFile(file.path()));
        auto owned = std::make_unique<RecordingPort>();
        RecordingPort *port = owned.get();
        GatewaySession session(file, std::move(owned));
        QStringList errors;
        const ErrorReport report([&errors](const QString &text) { errors << text; });
        const WindowLanguage language;
        StatusLight light;
        RecordPanel panel(session, report, language, &light);
        int stored = 0;
        connect(&session, &GatewaySession::recordStored, &light, [&](const Record &record) {
            ++stored;
            panel.recordStored(record);
        });
        QVERIFY(session.connectTo(QStringLiteral("/dev/pts/77"), nullptr));
        port->reply(PollReply());
        QCOMPARE(session.state(), GatewaySession::State::Online);
        session.writer().drain();
        panel.setConfirmed(true);

        const qsizetype before = port->written.size();
        int refused = 0;
        for (const QString &request : requests) {
            const RecordId id{RecordKind::Points, request.section(u' ', 1).toInt()};
            if (request.startsWith(QLatin1String("read"))) {
                panel.read(id);
                continue;
            }
            const bool fits = request.startsWith(QLatin1String("write"));
            refused += fits ? 0 : 1;
            panel.write([&](const WorkingFile::Snapshot &stored) {
                Record record = Record::fromFile(stored, id, session.features());
                record.setValue(ConfigLayout::pointKey(1, false), fits ? QStringLiteral("07") : QStringLiteral("777"));
                return record;
            });
            QVERIFY(light.lit());
        }
        QCOMPARE(errors.size(), refused);
        QCOMPARE(port->written.size() - before, requests.size() - refused);
        QVERIFY(light.lit());

        // A read is answered with the gateway's record, a write with its echo.
        stored = 0;
        port->answerRequest(port->written.at(before + answered));
        session.writer().drain();
        QTRY_COMPARE(stored, 1);
        QCOMPARE(light.lit(), lit);
        QCOMPARE(errors.size(), refused);
    }
};

QTEST_MAIN(TestRecordPanel)
#include "tst_recordpanel.moc"
