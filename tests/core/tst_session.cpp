// The link to the gateway without a window: polling, handshake, firmware,
// reply handling and the read-all and write-all runs, on a recording port.

#include "RecordingPort.h"
#include "ReplyBuilders.h"
#include "RunSpies.h"

#include "core/ConfigLayout.h"
#include "core/Firmware.h"
#include "core/Frame.h"
#include "core/GatewaySession.h"
#include "core/IniFile.h"
#include "core/LineAssembler.h"
#include "core/TransferRun.h"
#include "core/WorkingFile.h"
#include "texts/ErrorTexts.h"
#include "texts/Texts.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

Q_DECLARE_METATYPE(Record)

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The command of a framed request: what lies between ">" and "<".
QByteArray commandOf(const QByteArray &frame)
{
    return frame.mid(1, frame.indexOf('<') - 1);
}

// Counts the renames onto one file name in a folder: each replace of the
// working file is one. The moves from the temporary names are watched too,
// or the kernel may merge the identical events of successive renames.
class RenameCounter
{
public:
    RenameCounter(const QString &folder, const QString &name) : m_name(QFile::encodeName(name))
    {
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd >= 0)
            ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_MOVED_FROM | IN_MOVED_TO);
    }
    ~RenameCounter()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isValid() const { return m_fd >= 0; }
    // Renames onto the name since the last call.
    int take()
    {
        int count = 0;
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                return count;
            for (ssize_t at = 0; at < n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if ((event->mask & IN_MOVED_TO) && event->len > 0 && m_name == event->name)
                    ++count;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int m_fd = -1;
    QByteArray m_name;
};

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<WorkingFile> m_file;
    std::unique_ptr<GatewaySession> m_session;
    RecordingPort *m_port = nullptr;
    QStringList m_errors;
    QStringList m_lost;
    // The language the losses are worded in, as the window would.
    Language m_lostLanguage = Language::German;

    QString ini() const { return m_file->path(); }
    QString stored(const QString &section, const QString &key) const
    {
        return ReadIniValue(ini(), section, key, QStringLiteral("<missing>"));
    }

    // A reply outside a run, once the writer has stored its record.
    void replyStored(const QByteArray &record)
    {
        m_port->reply(record);
        m_session->writer().drain();
    }

    void connectToPort() { QVERIFY(m_session->connectTo(QStringLiteral("/dev/pts/77"), nullptr)); }

    void goOnline(const QByteArray &version = QByteArray())
    {
        connectToPort();
        m_port->reply(PollReply());
        QCOMPARE(m_session->state(), GatewaySession::State::Online);
        if (!version.isEmpty())
            m_port->reply("cV" + version);
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<Record>();
        qRegisterMetaType<QList<ValueProblem>>();
        qRegisterMetaType<QList<ValueDifference>>();
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_file = std::make_unique<WorkingFile>(m_dir->filePath(QStringLiteral("Velmora.ini")));
        QVERIFY(CreateDefaultIniFile(m_file->path()));
        auto port = std::make_unique<RecordingPort>();
        m_port = port.get();
        m_session = std::make_unique<GatewaySession>(*m_file, std::move(port));
        // The recording port answers at once: a missing reply needs no three
        // seconds to be noticed.
        m_session->run().setReplyTimeout(400);
        m_errors.clear();
        m_lost.clear();
        m_lostLanguage = Language::German;
        connect(m_session.get(), &GatewaySession::errorOccurred, this,
                [this](const ReportedError &e) { m_errors << WindowErrorText(e); });
        connect(m_session.get(), &GatewaySession::portLost, this,
                [this](const PortFailure &loss) { m_lost << PortLostText(loss, m_lostLanguage); });
    }

    void cleanup()
    {
        m_session.reset();
        if (m_file)
            QFile::setPermissions(m_file->path(), QFile::ReadOwner | QFile::WriteOwner);
        m_file.reset();
        m_dir.reset();
    }

    void connectPollsUntilTheProductReply()
    {
        QSignalSpy states(m_session.get(), &GatewaySession::stateChanged);
        QSignalSpy shown(m_session.get(), &GatewaySession::exchangeShown);
        QCOMPARE(m_session->versionText(), QStringLiteral("---"));
        PortFailure reason;
        QVERIFY(m_session->connectTo(QStringLiteral("/dev/pts/77"), &reason));
        QCOMPARE(m_port->device, QStringLiteral("/dev/pts/77"));
        QVERIFY(m_session->isConnecting());
        QCOMPARE(m_session->versionText(), QStringLiteral("unbekannt"));
        QVERIFY(m_session->isPolling());
        QCOMPARE(m_session->pollInterval(), 1000);

        // The poll blinks "ping" and sends the first product's read request.
        m_session->pollOnce();
        QCOMPARE(m_port->written.last(), QByteArray(">C0P01<9E\r\n"));
        m_session->pollOnce();
        QCOMPARE(m_port->written.size(), 2);
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).at(0).toString(), QStringLiteral("ping"));
        QCOMPARE(shown.at(1).at(0).toString(), QString());

        // A good line of another kind only says "ok" while connecting.
        m_port->reply("cV311");
        QCOMPARE(shown.last().at(0).toString(), QStringLiteral("ok"));
        QVERIFY(m_session->isConnecting());
        QCOMPARE(m_session->versionText(), QStringLiteral("unbekannt"));

        const QByteArray before = bytesOf(ini());
        QSignalSpy sent(m_session.get(), &GatewaySession::requestSent);
        m_port->reply(PollReply());
        QCOMPARE(m_session->state(), GatewaySession::State::Online);
        QVERIFY(!m_session->isPolling());
        QCOMPARE(m_session->features().productCount, 10);
        QCOMPARE(m_session->features().progressTotal, 27);
        QCOMPARE(m_port->written.last(), QByteArray(">S0V<53\r\n"));
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.at(0).at(0).toByteArray(), QByteArray(">S0V<53\r\n"));
        QCOMPARE(shown.last().at(0).toString(), QStringLiteral("S0V"));
        QCOMPARE(states.size(), 2);
        QCOMPARE(states.at(0).at(0).value<GatewaySession::State>(), GatewaySession::State::Connecting);
        QCOMPARE(states.at(1).at(0).value<GatewaySession::State>(), GatewaySession::State::Online);
        // The product record of the handshake is not stored.
        QCOMPARE(bytesOf(ini()), before);
        QVERIFY(m_errors.isEmpty());
    }

    void versionSetsFirmwareFeatures_data()
    {
        QTest::addColumn<QByteArray>("digits");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("point5");
        QTest::addColumn<bool>("ten");
        QTest::addColumn<int>("addresses");
        QTest::addColumn<int>("products");
        QTest::addColumn<int>("total");
        QTest::newRow("106") << QByteArray("106") << "1.06" << false << false << 16 << 10 << 27;
        QTest::newRow("107") << QByteArray("107") << "1.07" << false << false << 16 << 20 << 37;
        QTest::newRow("109") << QByteArray("109") << "1.09" << false << false << 16 << 20 << 37;
        QTest::newRow("110") << QByteArray("110") << "1.10" << true << false << 24 << 20 << 45;
        QTest::newRow("207") << QByteArray("207") << "2.07" << true << false << 24 << 20 << 45;
        QTest::newRow("208") << QByteArray("208") << "2.08" << false << false << 16 << 20 << 37;
        QTest::newRow("209") << QByteArray("209") << "2.09" << true << false << 24 << 20 << 45;
        QTest::newRow("310") << QByteArray("310") << "3.10" << true << false << 24 << 20 << 45;
        QTest::newRow("311") << QByteArray("311") << "3.11" << true << true << 24 << 20 << 46;
        QTest::newRow("999") << QByteArray("999") << "9.99" << true << true << 24 << 20 << 46;
        QTest::newRow("not a number") << QByteArray("3x1") << "3.x1" << false << false << 16 << 10 << 27;
    }
    void versionSetsFirmwareFeatures()
    {
        QFETCH(QByteArray, digits);
        QFETCH(QString, text);
        QFETCH(bool, point5);
        QFETCH(bool, ten);
        QFETCH(int, addresses);
        QFETCH(int, products);
        QFETCH(int, total);
        goOnline();
        QSignalSpy changed(m_session.get(), &GatewaySession::firmwareChanged);
        m_port->reply("cV" + digits);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(m_session->versionText(), text);
        const FirmwareFeatures &f = m_session->features();
        QCOMPARE(f.hasPoint5, point5);
        QCOMPARE(f.hasTenPoints, ten);
        QCOMPARE(f.addressCount, addresses);
        QCOMPARE(f.productCount, products);
        QCOMPARE(f.progressTotal, total);
    }

    void badLinesAreDroppedWithBothBuffersFlushed_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("shown"); // the exchange text after the line
        const QByteArray good = BuildRequestFrame("cV311");
        QTest::newRow("bad checksum") << QByteArray(">cV311<00\r\n") << "S0V";
        QTest::newRow("no checksum") << QByteArray(">cV311\r\n") << "S0V";
        QTest::newRow("binary") << QByteArray("\x01\xff\x80<\x00\n", 6) << "S0V";
        QTest::newRow("unknown letter") << BuildRequestFrame("cX311") + "\n" << "ok";
        QTest::newRow("byte in front") << "x" + good + "\n" << "ok";
        QByteArray lower = BuildRequestFrame("cQ"); // ">cQ<2E"
        lower.replace(lower.size() - 2, 2, lower.right(2).toLower());
        QTest::newRow("lower-case digits, unknown letter") << lower + "\n" << "ok";
        // A record that names its record but not in the layout of the
        // firmware (four points until the version is known).
        const auto framed = [](const QByteArray &record) { return BuildRequestFrame(record) + "\r\n"; };
        QTest::newRow("five points on four") << framed(PointsReply('B', 5)) << "ok";
        QTest::newRow("points, one character short") << framed(PointsReply('B', 4).chopped(1)) << "ok";
        QTest::newRow("product, one character short") << framed(ProductReply(7, 12, "Pilsen").chopped(1)) << "ok";
        QTest::newRow("product, control character in the name")
            << framed(ProductReply(7, 12, "Pil\tsen")) << "ok";
        QTest::newRow("printer of 41") << framed(PrinterReply(2, "Kopf").chopped(1)) << "ok";
        QTest::newRow("printer, control character in the model") << framed("cD0\x7f" + QByteArray(40, ' ')) << "ok";
        QTest::newRow("interface of 5") << framed("cI41253") << "ok";
    }
    void badLinesAreDroppedWithBothBuffersFlushed()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, shown);
        goOnline();
        QSignalSpy exchange(m_session.get(), &GatewaySession::exchangeShown);
        QSignalSpy records(m_session.get(), &GatewaySession::recordStored);
        const int inputs = m_port->inputFlushes, outputs = m_port->outputFlushes;
        const int writes = m_port->written.size();
        const QByteArray before = bytesOf(ini());
        m_port->inject(line);
        QCOMPARE(m_port->inputFlushes, inputs + 1);
        QCOMPARE(m_port->outputFlushes, outputs + 1);
        QCOMPARE(m_port->written.size(), writes);
        const QString last = exchange.isEmpty() ? QStringLiteral("S0V") : exchange.last().at(0).toString();
        QCOMPARE(last, shown);
        QCOMPARE(m_session->versionText(), QStringLiteral("unbekannt"));
        QCOMPARE(records.size(), 0);
        QCOMPARE(bytesOf(ini()), before);
        QVERIFY(m_errors.isEmpty());
    }

    // Bytes of a line begun before a flush are not glued to the next reply.
    void flushForgetsALineBegun()
    {
        goOnline();
        m_port->inject(">cZ0111");
        m_session->send("C0P01");
        QSignalSpy changed(m_session.get(), &GatewaySession::firmwareChanged);
        m_port->reply("cV311");
        QCOMPARE(changed.size(), 1);
        QCOMPARE(m_session->versionText(), QStringLiteral("3.11"));
    }

    void lineAssemblerIsBoundedAndResynchronises()
    {
        LineAssembler packet;
        QCOMPARE(packet.feed(">cV3"), QList<QByteArray>{});
        QCOMPARE(packet.feed("11<2A\r\n>x"), QList<QByteArray>{">cV311<2A\r\n"});
        QCOMPARE(packet.feed("\n\n"), (QList<QByteArray>{">x\n", "\n"}));
        // An endless line without LF is dropped, not kept.
        for (int i = 0; i < 1000; ++i)
            QCOMPARE(packet.feed(QByteArray(1000, 'A')), QList<QByteArray>{});
        QCOMPARE(packet.feed("tail\n>ok\n"), QList<QByteArray>{">ok\n"});
        // A line of exactly the limit passes; one byte more is dropped.
        const QByteArray longest = QByteArray(LineAssembler::MaxLine - 1, 'B') + '\n';
        QCOMPARE(packet.feed(longest), QList<QByteArray>{longest});
        QCOMPARE(packet.feed("C" + longest + ">ok\n"), QList<QByteArray>{">ok\n"});
    }

    void disconnectAndConnectAgainPollsFromTheStart()
    {
        goOnline("311");
        QCOMPARE(m_session->versionText(), QStringLiteral("3.11"));
        m_session->disconnect();
        QVERIFY(!m_port->opened);
        QVERIFY(!m_session->isOpen());
        QCOMPARE(m_session->state(), GatewaySession::State::Closed);
        QVERIFY(!m_session->isPolling());
        QCOMPARE(m_session->versionText(), QStringLiteral("---"));

        connectToPort();
        QVERIFY(m_session->isConnecting());
        QVERIFY(m_session->isPolling());
        m_port->reply(PollReply());
        QCOMPARE(m_port->written.last(), QByteArray(">S0V<53\r\n"));
        QCOMPARE(m_session->features().progressTotal, 27);
    }

    void portThatDoesNotOpenStaysClosed()
    {
        m_port->opens = false;
        QSignalSpy states(m_session.get(), &GatewaySession::stateChanged);
        PortFailure reason;
        QVERIFY(!m_session->connectTo(QStringLiteral("/dev/pts/77"), &reason));
        QCOMPARE(reason, m_port->refusal);
        QCOMPARE(m_session->state(), GatewaySession::State::Closed);
        QVERIFY(!m_session->isPolling());
        QCOMPARE(m_session->versionText(), QStringLiteral("---"));
        QCOMPARE(states.size(), 0);
        QVERIFY(m_port->written.isEmpty());
    }

    void pointsReplyIsStoredByPosition_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<int>("points");
        QTest::newRow("four points (208)") << QByteArray("208") << 4;
        QTest::newRow("five points (310)") << QByteArray("310") << 5;
        QTest::newRow("ten points (311)") << QByteArray("311") << 10;
    }
    void pointsReplyIsStoredByPosition()
    {
        QFETCH(QByteArray, version);
        QFETCH(int, points);
        goOnline(version);
        // Qualities 11..14 and EDV numbers 21..24, then pairs (3k, 4k) for points 5..10.
        QSignalSpy records(m_session.get(), &GatewaySession::recordStored);
        replyStored(PointsReply('B', points));
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.at(0).at(0).value<Record>().address, 11);
        QCOMPARE(records.at(0).at(1).toBool(), false);
        for (int k = 1; k <= 10; ++k) {
            const QString q = stored("QVR11", QStringLiteral("Qualitaet%1").arg(k));
            const QString e = stored("QVR11", QStringLiteral("EDV%1").arg(k));
            const QString defaultValue = QString::number(k).rightJustified(2, u'0');
            QCOMPARE(q, k <= 4 ? QString::number(10 + k) : k <= points ? QString::number(30 + k) : defaultValue);
            QCOMPARE(e, k <= 4 ? QString::number(20 + k) : k <= points ? QString::number(40 + k) : defaultValue);
        }
        QVERIFY(m_errors.isEmpty());
    }

    void productPrinterAndInterfaceRepliesAreStored()
    {
        goOnline("311");
        replyStored(ProductReply(7, 12, "Pilsen"));
        QCOMPARE(stored("PRODUKT7", "Qualitaet"), QStringLiteral("12"));
        QVERIFY(bytesOf(ini()).contains("[PRODUKT7]\r\nQualitaet=12\r\nName=    Pilsen\r\n"));

        replyStored(PrinterReply(2, ""));
        QCOMPARE(stored("PRINTER", "Modell"), QStringLiteral("02"));
        QCOMPARE(stored("PRINTER", "Head"), QString());
        replyStored(PrinterReply(3, "  Zapfhaus M\xfcller"));
        QCOMPARE(stored("PRINTER", "Head"), QStringLiteral("Zapfhaus Müller"));
        // Control characters in the header are trimmed, not refused.
        replyStored(PrinterReply(1, "\x01Kopf\t"));
        QCOMPARE(stored("PRINTER", "Head"), QStringLiteral("Kopf"));

        replyStored("cI4125");
        for (auto [key, value] : {std::pair{"BaudrateRS232", "4"}, {"ParameterRS232", "1"},
                                  {"BaudrateRS485", "2"}, {"ParameterRS485", "5"}})
            QCOMPARE(stored("INTERFACE", key), QLatin1String(value));
        QVERIFY(m_errors.isEmpty());
    }

    // Replies outside a run go through the record writer too: the window's
    // thread never waits for the disk, and what arrives faster than the
    // disk writes goes to the file together.
    void unsolicitedRepliesAreStoredByTheWriterTogether()
    {
        goOnline("311");
        QSignalSpy records(m_session.get(), &GatewaySession::recordStored);
        const int rounds = 10;
        for (int round = 1; round <= rounds; ++round) {
            for (int n = 1; n <= 20; ++n) {
                const QByteArray name = ("R" + QByteArray::number(round)).leftJustified(10, ' ');
                m_port->reply(ProductReply(n, round + 10, name));
            }
        }
        QCOMPARE(records.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(records.size(), rounds * 20, 30000);
        for (const QList<QVariant> &signal : records)
            QCOMPARE(signal.at(1).toBool(), false);
        for (int n = 1; n <= 20; ++n) {
            const QString section = QStringLiteral("PRODUKT%1").arg(n);
            QCOMPARE(stored(section, "Qualitaet"), QString::number(rounds + 10));
            QCOMPARE(stored(section, "Name"), QStringLiteral("R%1").arg(rounds));
        }
        QVERIFY2(m_session->writer().replaces() < rounds * 20, qPrintable(QString::number(m_session->writer().replaces())));
        QVERIFY(m_errors.isEmpty());
    }

    void repliesWithFieldsThatAreNoNumbers_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("error"); // empty: none
        QTest::addColumn<QString>("section"); // empty: the file stays as it was
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("product number") << QByteArray("cPx712    Pilsen")
                                        << "'x7' ist kein gültiger Integerwert" << "" << "" << "";
        // The interface record is stored as it came, then the error is said.
        QTest::newRow("interface digit") << QByteArray("cI41x5") << "'x' ist kein gültiger Integerwert"
                                         << "INTERFACE" << "BaudrateRS485" << "x";
        // One too short fits no layout: dropped, nothing said.
        QTest::newRow("interface short") << QByteArray("cI41") << "" << "" << "" << "";
        // An address outside the address characters names no record: nothing is stored.
        QTest::newRow("address") << QByteArray("cZ#1112131421222324") << "" << "" << "" << "";
        QTest::newRow("lower-case address") << QByteArray("cZa1112131421222324") << "" << "" << "" << "";
        QTest::newRow("product out of range") << QByteArray("cP2112    Pilsen") << "" << "" << "" << "";
    }
    void repliesWithFieldsThatAreNoNumbers()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, error);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        goOnline();
        const QByteArray before = bytesOf(ini());
        replyStored(reply);
        QCOMPARE(m_errors, error.isEmpty() ? QStringList() : QStringList{error});
        if (section.isEmpty())
            QCOMPARE(bytesOf(ini()), before);
        else
            QCOMPARE(stored(section, key), value);
    }

    void runsSendEveryRecordInOrder_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("zLength");
        QTest::newRow("read 106") << QByteArray("106") << false << 27 << 4;
        QTest::newRow("write 106") << QByteArray("106") << true << 27 << 20;
        QTest::newRow("write 107") << QByteArray("107") << true << 37 << 20;
        QTest::newRow("write 310") << QByteArray("310") << true << 45 << 24;
        QTest::newRow("write 311") << QByteArray("311") << true << 46 << 44;
        QTest::newRow("read 311") << QByteArray("311") << false << 46 << 4;
    }
    void runsSendEveryRecordInOrder()
    {
        QFETCH(QByteArray, version);
        QFETCH(bool, write);
        QFETCH(int, requests);
        QFETCH(int, zLength);
        goOnline(version);
        const FirmwareFeatures f = m_session->features();
        m_file->write("INTERFACE", "ParameterRS485", "5");
        m_file->write("PRINTER", "Modell", "3");
        m_file->write("QVR10", "Qualitaet1", "55");
        m_port->answer = true;
        const int before = m_port->written.size();
        TransferRun &run = m_session->run();
        QSignalSpy started(&run, &TransferRun::started);
        RunProgressSpy progressed(run);
        QSignalSpy records(m_session.get(), &GatewaySession::recordStored);
        // What the file and the signals hold when the run says it is done.
        QStringList finished;
        QString printerAtEnd;
        int storedAtEnd = -1;
        connect(&run, &TransferRun::finished, this, [&](const RunResult &result) {
            finished << (result.ok() ? QStringLiteral("ok: ") : QStringLiteral("failed: "))
                            + RunResultText(result, Language::German);
            printerAtEnd = stored("PRINTER", "Modell");
            storedAtEnd = records.size();
        });

        m_session->startRun(write ? TransferRun::Kind::WriteAll : TransferRun::Kind::ReadAll);
        QVERIFY(run.isActive());
        QCOMPARE(run.kind(), write ? TransferRun::Kind::WriteAll : TransferRun::Kind::ReadAll);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(finished.first(), QStringLiteral("ok: OK"));
        // A read stores the gateway's record, a write its echo of the file's.
        QCOMPARE(printerAtEnd, write ? QStringLiteral("03") : QStringLiteral("01"));
        QCOMPARE(storedAtEnd, requests);
        QVERIFY(!run.isActive());
        QVERIFY(!run.isTimerActive());
        QCOMPARE(m_session->writer().pending(), 0);

        QCOMPARE(started.size(), 1);
        QCOMPARE(started.at(0).at(0).toInt(), requests);
        QCOMPARE(progressed.size(), requests);
        for (int i = 0; i < requests; ++i)
            QCOMPARE(progressed.at(i).at(0).toInt(), i + 1);
        QCOMPARE(progressed.at(0).at(1).toString(), QStringLiteral("Zapfstelle: 0"));
        QCOMPARE(progressed.at(f.addressCount).at(1).toString(), QStringLiteral("Produktdaten: 1"));
        QVERIFY(progressed.last().at(1).toString().isNull());

        const QList<QByteArray> sent = m_port->written.mid(before);
        QCOMPARE(sent.size(), requests);
        QCOMPARE(commandOf(sent.first()).left(4), QByteArray(write ? "C1Z0" : "C0Z0"));
        QCOMPARE(commandOf(sent.first()).size() - 3, write ? zLength - 3 : 1);
        QCOMPARE(commandOf(sent.last()).left(3), QByteArray(write ? "C1D" : "C0D"));
        // Addresses in order, then products in order.
        for (int a = 0; a < f.addressCount; ++a)
            QCOMPARE(commandOf(sent.at(a)).mid(3, 1), QByteArray(1, AddressChars[a]));
        for (int p = 1; p <= f.productCount; ++p)
            QCOMPARE(commandOf(sent.at(f.addressCount + p - 1)).mid(2, 3),
                     "P" + QByteArray::number(p).rightJustified(2, '0'));
        QCOMPARE(f.hasTenPoints, commandOf(sent.at(requests - 2)).startsWith(write ? "C1I" : "C0I"));
        if (write) {
            QCOMPARE(commandOf(sent.last()), "C1D03" + QByteArray("Deutsche Brantel").leftJustified(40, ' '));
            if (f.hasTenPoints)
                QCOMPARE(commandOf(sent.at(requests - 2)), QByteArray("C1I3335"));
            // Address 10 sends the values stored in section "QVR10", as "A".
            QCOMPARE(commandOf(sent.at(10)).left(12), QByteArray("C1ZA55020304"));
        }
        // The replies of the run were stored, the last address's among them.
        QCOMPARE(stored(QStringLiteral("QVR%1").arg(f.addressCount - 1), "EDV4"), write ? QStringLiteral("04") : QStringLiteral("24"));
        QCOMPARE(stored("PRODUKT1", "Qualitaet"), write ? QStringLiteral("01") : QStringLiteral("77"));
        for (const QList<QVariant> &args : records)
            QVERIFY(args.at(1).toBool());
        QVERIFY(m_errors.isEmpty());
    }

    // Each record of a run is stored whole, in at most one replace of the
    // file, with the bytes that single writes of its values would leave.
    void runStoresEachRecordInOneReplace_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("count");
        QTest::newRow("read 311") << QByteArray("311") << false << 46;
        QTest::newRow("write 106") << QByteArray("106") << true << 27;
    }
    void runStoresEachRecordInOneReplace()
    {
        QFETCH(QByteArray, version);
        QFETCH(bool, write);
        QFETCH(int, count);
        goOnline(version);
        const QString single = m_dir->filePath(QStringLiteral("single.ini"));
        QVERIFY(QFile::copy(ini(), single));
        RenameCounter renames(m_dir->path(), QStringLiteral("Velmora.ini"));
        QVERIFY(renames.isValid());
        QSignalSpy records(m_session.get(), &GatewaySession::recordStored);
        RunFinishedSpy finished(m_session->run());
        m_port->answer = true;

        m_session->startRun(write ? TransferRun::Kind::WriteAll : TransferRun::Kind::ReadAll);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QVERIFY(finished.at(0).at(0).toBool());
        QCOMPARE(records.size(), count);
        // Records that come faster than the disk writes share a replace; a
        // read-all also marks the file before its first record and records
        // where the values came from after its last.
        const int replaces = renames.take();
        QVERIFY2(replaces >= 1 && replaces <= (write ? count : count + 2), qPrintable(QString::number(replaces)));

        for (const QList<QVariant> &args : records) {
            const Record record = args.at(0).value<Record>();
            for (const auto &[key, value] : record.values)
                WriteIniValue(single, record.section, key, value);
        }
        if (!write) {
            QCOMPARE(stored("SOURCE", "Firmware"), QStringLiteral("3.11"));
            QCOMPARE(stored("SOURCE", "Port"), QStringLiteral("/dev/pts/77"));
            QCOMPARE(stored("SOURCE", "Complete"), QStringLiteral("yes"));
            QCOMPARE(stored("SOURCE", "Records"), QStringLiteral("46"));
            WriteIniValue(single, "SOURCE", "Complete", "no");
            for (const char *key : {"Firmware", "Date", "Port", "Complete", "Records"})
                WriteIniValue(single, "SOURCE", key, stored("SOURCE", key));
        }
        QCOMPARE(bytesOf(ini()), bytesOf(single));
        QVERIFY(bytesOf(ini()).contains(write ? "[PRODUKT1]\r\nQualitaet=01\r\n" : "[PRODUKT1]\r\nQualitaet=77\r\n"));
    }

    // The next request goes out when a reply is checked; its record reaches
    // the file afterwards, on the writer's thread.
    void nextRequestGoesOutBeforeThePreviousRecordIsStored()
    {
        goOnline("106");
        QSignalSpy records(m_session.get(), &GatewaySession::recordStored);
        RunFinishedSpy finished(m_session->run());
        m_session->startRun(TransferRun::Kind::ReadAll);
        QCOMPARE(commandOf(m_port->written.last()), QByteArray("C0Z0"));

        const int before = m_port->written.size();
        m_port->answerRequest(m_port->written.last());
        QCOMPARE(m_port->written.size(), before + 1);
        QCOMPARE(commandOf(m_port->written.last()), QByteArray("C0Z1"));
        QCOMPARE(records.size(), 0);
        // The record, and the mark of a read not yet complete before it.
        QCOMPARE(m_session->writer().pending(), 2);
        QVERIFY(m_session->run().isTimerActive());

        // Replies as fast as the requests come: the writer falls behind and
        // catches up; the run ends once every record is in the file.
        for (int i = 1; i < 27; ++i)
            m_port->answerRequest(m_port->written.last());
        QCOMPARE(m_port->written.size(), before + 26);
        QVERIFY(m_session->writer().pending() > 0);
        QCOMPARE(finished.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QVERIFY(finished.at(0).at(0).toBool());
        QCOMPARE(records.size(), 27);
        QCOMPARE(stored("PRINTER", "Head"), QString(40, u'h'));
        QCOMPARE(stored("QVR15", "Qualitaet1"), QStringLiteral("11"));
    }

    // A working file that is there but cannot be read gives no values to
    // send: nothing goes to the gateway, and the reason is said once.
    // A store the file refuses ends the run; the records behind it, refused
    // alike, do not say it again.
    void refusedStoreEndsTheRunAndIsSaidOnce()
    {
        goOnline("106");
        QVERIFY(QFile::setPermissions(ini(), QFile::ReadOwner));
        const QByteArray before = bytesOf(ini());
        RunFinishedSpy finished(m_session->run());
        m_port->answer = true;
        m_session->startRun(TransferRun::Kind::ReadAll);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        m_session->writer().drain();
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        const QString refusal = "In " + ini() + " kann nicht geschrieben werden";
        QCOMPARE(finished.at(0).at(1).toString(), refusal);
        QCOMPARE(m_errors, QStringList{refusal});
        QCOMPARE(m_session->run().recordsStored(), 0);
        QCOMPARE(bytesOf(ini()), before);
    }

    void runFromUnreadableFileSendsNothing_data()
    {
        QTest::addColumn<bool>("folder"); // a folder at the file's name, else mode 000
        QTest::newRow("folder") << true;
        QTest::newRow("mode 000") << false;
    }
    void runFromUnreadableFileSendsNothing()
    {
        QFETCH(bool, folder);
        if (!folder && ::geteuid() == 0)
            QSKIP("root reads every file");
        goOnline("311");
        m_port->answer = true;
        if (folder) {
            QVERIFY(QFile::remove(ini()));
            QVERIFY(QDir().mkdir(ini()));
        } else {
            QVERIFY(QFile::setPermissions(ini(), {}));
        }
        const int before = m_port->written.size();
        RunFinishedSpy finished(m_session->run());
        m_session->startRun(TransferRun::Kind::WriteAll);
        QCOMPARE(m_port->written.size(), before);
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors.constFirst().contains(ini() + QStringLiteral(" cannot be read: ")),
                 qPrintable(m_errors.constFirst()));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QCOMPARE(finished.at(0).at(1).toString(), m_errors.constFirst());
        QVERIFY(!m_session->run().isActive());
        QVERIFY(!m_session->run().isTimerActive());
    }

    void runWithoutReplyEndsByTimeOut_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<int>("silent");
        QTest::addColumn<QByteArray>("instead"); // sent in place of the missing reply
        QTest::newRow("read, sixth reply missing") << false << QByteArray("106") << 5 << QByteArray();
        // The printer request is the 27th of a run on firmware 106.
        QTest::newRow("read, printer reply missing") << false << QByteArray("106") << 26 << QByteArray();
        QTest::newRow("write, printer reply missing") << true << QByteArray("106") << 26 << QByteArray();
        // A reply of another kind is not the one the run waits for.
        QTest::newRow("read, product reply in place of a points reply")
            << false << QByteArray("106") << 3 << QByteArray("cP0512    Pilsen");
        // A reply counts only when it names the record asked for.
        QTest::newRow("read, another address's record in place of address 3")
            << false << QByteArray("106") << 3 << QByteArray("cZ91112131421222324");
        QTest::newRow("read, the previous reply once more in place of address 3")
            << false << QByteArray("106") << 3 << QByteArray("cZ21112131421222324");
        QTest::newRow("read, lower-case address letter") << false << QByteArray("311") << 12
                                                          << QByteArray("cZc1112131421222324");
        QTest::newRow("write, another product's echo in place of product 2")
            << true << QByteArray("106") << 17 << QByteArray("cP0101Produkt  1");
        // An interface record with a letter is stored, said, and stops the run.
        QTest::newRow("read, interface field no number")
            << false << QByteArray("311") << 44 << QByteArray("cI01x3");
    }
    void runWithoutReplyEndsByTimeOut()
    {
        QFETCH(bool, write);
        QFETCH(QByteArray, version);
        QFETCH(int, silent);
        QFETCH(QByteArray, instead);
        goOnline(version);
        m_port->answer = true;
        m_port->silentAfter = m_port->written.size() + silent;
        RunFinishedSpy finished(m_session->run());
        m_session->startRun(write ? TransferRun::Kind::WriteAll : TransferRun::Kind::ReadAll);
        if (!instead.isEmpty()) {
            QTRY_COMPARE(m_port->written.size(), m_port->silentAfter + 1);
            m_port->reply(instead);
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QCOMPARE(finished.at(0).at(1).toString(), NoReplyText(Language::German));
        QCOMPARE(m_port->written.size() - 1, m_port->silentAfter);
        QVERIFY(!m_session->run().isActive());
        QVERIFY(!m_session->run().isTimerActive());
        if (instead.startsWith("cI")) {
            QCOMPARE(m_errors, QStringList{QStringLiteral("'x' ist kein gültiger Integerwert")});
            QCOMPARE(stored("INTERFACE", "BaudrateRS485"), QStringLiteral("x"));
        } else {
            QVERIFY(m_errors.isEmpty());
        }
        if (instead.startsWith("cP05"))
            QCOMPARE(stored("PRODUKT5", "Qualitaet"), QStringLiteral("12"));

        // A late reply is then a single record's reply.
        QSignalSpy records(m_session.get(), &GatewaySession::recordStored);
        replyStored("cZ599" + PointsReply('5', ConfigLayout::pointCount(m_session->features())).mid(5));
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.at(0).at(1).toBool(), false);
        QCOMPARE(stored("QVR5", "Qualitaet1"), QStringLiteral("99"));
    }

    // The answer to the request outstanding names its record but does not
    // fit the firmware's layout: the run ends at once naming the record,
    // nothing of it is stored, and a read's [SOURCE] says it is incomplete.
    void malformedReplyEndsTheRun_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<int>("at"); // the request answered with `reply`
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("section");
        QTest::newRow("five points on 3.11") << false << QByteArray("311") << 3 << PointsReply('3', 5) << "QVR3";
        QTest::newRow("ten points on 3.10") << false << QByteArray("310") << 2 << PointsReply('2', 10) << "QVR2";
        QTest::newRow("product one character short")
            << false << QByteArray("311") << 28 << ProductReply(5, 12, "Pilsen").chopped(1) << "PRODUKT5";
        QByteArray control = PointsReply('7', 10);
        control[10] = '\x1b';
        QTest::newRow("control character in a points record") << false << QByteArray("311") << 7 << control << "QVR7";
        QTest::newRow("printer record of 41") << false << QByteArray("311") << 45 << PrinterReply(2, "Kopf").chopped(1)
                                              << "PRINTER";
        // Nothing stored: the file stays as it was.
        QTest::newRow("first reply") << false << QByteArray("311") << 0 << PointsReply('0', 4) << "QVR0";
        QTest::newRow("write, product echo one character short")
            << true << QByteArray("311") << 25 << ProductReply(2, 99, "Pilsen").chopped(1) << "PRODUKT2";
    }
    void malformedReplyEndsTheRun()
    {
        QFETCH(bool, write);
        QFETCH(QByteArray, version);
        QFETCH(int, at);
        QFETCH(QByteArray, reply);
        QFETCH(QString, section);
        goOnline(version);
        const QByteArray before = bytesOf(ini());
        const QString old = m_dir->filePath(QStringLiteral("old.ini"));
        QVERIFY(QFile::copy(ini(), old));
        m_port->answer = true;
        m_port->silentAfter = m_port->written.size() + at;
        RunFinishedSpy finished(m_session->run());
        QSignalSpy records(m_session.get(), &GatewaySession::recordStored);
        m_session->startRun(write ? TransferRun::Kind::WriteAll : TransferRun::Kind::ReadAll);
        QTRY_COMPARE(m_port->written.size(), m_port->silentAfter + 1);
        m_port->reply(reply);

        QCOMPARE(finished.size(), 1);
        QVERIFY(finished.results.at(0).outcome == RunResult::Outcome::BadRecord);
        QCOMPARE(finished.at(0).at(1).toString(),
                 QStringLiteral("Die Antwort des Velmora für %1 passt nicht zu seiner Firmware \u2013 "
                                "Übertragung abgebrochen").arg(section));
        QVERIFY(!m_session->run().isActive());
        QVERIFY(!m_session->run().isTimerActive());
        m_session->writer().drain();
        QCOMPARE(m_port->written.size() - 1, m_port->silentAfter);
        QCOMPARE(m_session->run().recordsStored(), at);
        QCOMPARE(records.size(), at);
        for (const QString &key : ConfigLayout::keys(ConfigLayout::recordOfSection(section)->kind))
            QCOMPARE(stored(section, key), ReadIniValue(old, section, key, QStringLiteral("<missing>")));
        if (at == 0 || write) {
            QCOMPARE(stored("SOURCE", "Complete"), QStringLiteral("<missing>"));
            if (at == 0)
                QCOMPARE(bytesOf(ini()), before);
        } else {
            QCOMPARE(stored("SOURCE", "Complete"), QStringLiteral("no"));
            QCOMPARE(stored("SOURCE", "Records"), QString::number(at));
            QCOMPARE(stored("SOURCE", "Firmware"), m_session->versionText());
        }
        QVERIFY(m_errors.isEmpty());
    }

    // A write-all checks every value it would send before the first
    // request: one that does not fit its field sends nothing at all.
    void writeWithABadValueSendsNothing_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("line"); // the problem as the CLI says it
        QTest::newRow("quality too long") << "QVR0" << "Qualitaet1" << "123"
                                          << "[QVR0] Qualitaet1: \"123\" is not two characters";
        QTest::newRow("EDV number too short") << "QVR23" << "EDV4" << "7" << "[QVR23] EDV4: \"7\" is not two characters";
        QTest::newRow("point 10 on ten points") << "QVR5" << "EDV10" << "" << "[QVR5] EDV10: \"\" is not two characters";
        QTest::newRow("name of 15 characters") << "PRODUKT3" << "Name" << "Superbenzin Neu"
                                               << "[PRODUKT3] Name: \"Superbenzin Neu\" is longer than 10 characters";
        QTest::newRow("header of 41 characters") << "PRINTER" << "Head" << QString(41, u'h')
                                                 << "[PRINTER] Head: \"" + QString(41, u'h') + "\" is longer than 40 characters";
        QTest::newRow("printer model out of range") << "PRINTER" << "Modell" << "7"
                                                    << "[PRINTER] Modell: \"7\" is not a printer model from 0 to 3";
        QTest::newRow("baud index of two digits") << "INTERFACE" << "BaudrateRS232" << "12"
                                                  << "[INTERFACE] BaudrateRS232: \"12\" is not a digit from 0 to 5";
        QTest::newRow("format index negative") << "INTERFACE" << "ParameterRS485" << "-1"
                                               << "[INTERFACE] ParameterRS485: \"-1\" is not a digit from 0 to 5";
        QTest::newRow("frame character") << "PRODUKT1" << "Name" << "a<b"
                                         << "[PRODUKT1] Name: \"a<b\" holds \"<\", which no request can carry";
        QTest::newRow("control character") << "PRINTER" << "Head" << "a\x01" "b"
                                           << "[PRINTER] Head: \"a\\x01b\" holds the control character \"\\x01\"";
        QTest::newRow("no windows-1252 form") << "PRODUKT2" << "Name" << "Łódź"
                                              << "[PRODUKT2] Name: \"Łódź\" holds \"Ł\", which has no Windows-1252 form";
    }
    void writeWithABadValueSendsNothing()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, line);
        goOnline("311");
        // A file in UTF-8 holds any character.
        {
            QFile file(ini());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray("; \xC3\xBC\r\n") + DefaultIniContent());
        }
        m_file->write(section, key, value);
        m_port->answer = true;
        const int before = m_port->written.size();
        QSignalSpy refused(&m_session->run(), &TransferRun::valuesRefused);
        RunFinishedSpy finished(m_session->run());
        m_session->startRun(TransferRun::Kind::WriteAll);
        QCOMPARE(m_port->written.size(), before);
        QVERIFY(!m_session->run().isActive());
        QCOMPARE(finished.size(), 1);
        QVERIFY(!finished.at(0).at(0).toBool());
        QCOMPARE(refused.size(), 1);
        const auto problems = refused.at(0).at(0).value<QList<ValueProblem>>();
        QCOMPARE(problems.size(), 1);
        QCOMPARE(ValueProblemText(problems.at(0), Language::English), line);
        QVERIFY(ValueProblemsText(problems, Language::German).startsWith(QStringLiteral("Nichts wurde zum Velmora übertragen")));
    }

    // A write's echo that differs from what was sent: every record is still
    // sent, the run ends without "OK" naming what the gateway did not take,
    // and the file keeps the values the user sent.
    void echoThatDiffersIsNotTaken()
    {
        goOnline("311");
        m_file->write("QVR0", "Qualitaet1", "42");
        m_file->write("PRODUKT2", "Name", "Diesel");
        m_port->answer = true;
        m_port->echoWrites = false; // answers with its own, old records
        const int before = m_port->written.size();
        QSignalSpy notTaken(&m_session->run(), &TransferRun::valuesNotTaken);
        RunFinishedSpy finished(m_session->run());
        m_session->startRun(TransferRun::Kind::WriteAll);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(m_port->written.size() - before, 46);
        QVERIFY(!finished.at(0).at(0).toBool());
        QCOMPARE(finished.at(0).at(1).toString(), NotTakenLabelText(Language::German));
        QCOMPARE(notTaken.size(), 1);
        const auto differences = notTaken.at(0).at(0).value<QList<ValueDifference>>();
        const auto has = [&](const char *section, const char *key, const char *sent, const QByteArray &echoed) {
            return std::any_of(differences.begin(), differences.end(), [&](const ValueDifference &d) {
                return d.section == QLatin1String(section) && d.key == QLatin1String(key)
                       && d.first == QLatin1String(sent) && d.second == QLatin1String(echoed);
            });
        };
        QVERIFY(has("QVR0", "Qualitaet1", "42", "11"));
        QVERIFY(has("PRODUKT2", "Qualitaet", "02", "77"));
        QVERIFY(has("INTERFACE", "ParameterRS232", "3", "1"));
        QCOMPARE(stored("QVR0", "Qualitaet1"), QStringLiteral("42"));
        QCOMPARE(stored("PRODUKT2", "Name"), QStringLiteral("Diesel"));
        QCOMPARE(stored("PRINTER", "Head"), QStringLiteral("Deutsche Brantel"));
    }

    void unpluggedPortIsLostOnce()
    {
        goOnline();
        QSignalSpy states(m_session.get(), &GatewaySession::stateChanged);
        m_port->unplug();
        m_port->unplug();
        QCOMPARE(m_lost.size(), 1);
        QVERIFY(m_lost[0].startsWith(QStringLiteral("Die Verbindung zum Velmora ist unterbrochen")));
        QVERIFY(m_lost[0].contains(QStringLiteral("Gerät nicht vorhanden")));
        QVERIFY(!m_port->opened);
        QCOMPARE(m_session->state(), GatewaySession::State::Closed);
        QCOMPARE(states.size(), 1);
        QVERIFY(!m_session->isPolling());
        QCOMPARE(m_session->versionText(), QStringLiteral("---"));

        // While connecting too, and in the window's language.
        m_lostLanguage = Language::English;
        connectToPort();
        m_port->unplug();
        QCOMPARE(m_lost.size(), 2);
        QVERIFY(m_lost.last().startsWith(QStringLiteral("The connection to the Velmora was lost")));
        QVERIFY(!m_session->isPolling());
        QVERIFY(m_errors.isEmpty());
    }

    void unplugDuringARunEndsItAtOnce_data()
    {
        QTest::addColumn<int>("lostAt"); // -1: between requests
        QTest::newRow("waiting for a reply") << -1;
        // A write that fails reports the loss before the send returns.
        QTest::newRow("while the first request is written") << 0;
        QTest::newRow("while the fourth request is written") << 3;
    }
    void unplugDuringARunEndsItAtOnce()
    {
        QFETCH(int, lostAt);
        goOnline("106");
        RunFinishedSpy finished(m_session->run());
        if (lostAt < 0) {
            m_session->startRun(TransferRun::Kind::ReadAll);
            QVERIFY(m_session->run().isActive());
            QVERIFY(m_session->run().isTimerActive());
            m_port->unplug();
        } else {
            m_port->answer = true;
            m_port->lostAt = m_port->written.size() + lostAt;
            m_session->startRun(TransferRun::Kind::ReadAll);
            QTRY_COMPARE(finished.size(), 1);
            QCOMPARE(m_port->written.size() - 1, m_port->lostAt);
        }
        QCOMPARE(m_lost.size(), 1);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QVERIFY(finished.at(0).at(1).toString().startsWith(QStringLiteral("Die Verbindung zum Velmora ist unterbrochen")));
        QVERIFY(!m_session->run().isActive());
        QVERIFY(!m_session->run().isTimerActive());
        QCOMPARE(m_session->state(), GatewaySession::State::Closed);
    }

};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
