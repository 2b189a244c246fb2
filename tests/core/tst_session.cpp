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

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QThread>
#include <QTimer>
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
    QList<ReportedError> m_errors;
    QList<PortFailure> m_lost;
    // The language the losses are worded in, as the window would.

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
        connect(m_session.get(), &GatewaySession::errorOccurred, this,
                [this](const ReportedError &e) { m_errors << e; });
        connect(m_session.get(), &GatewaySession::portLost, this,
                [this](const PortFailure &loss) { m_lost << loss; });
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
    // thread never waits for the disk, what arrives together goes to the
    // file in one replace, and a record sent again before it is written is
    // written, and reported, once with its last values.
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
        QCOMPARE(m_session->writer().pending(), 20);
        QTRY_COMPARE_WITH_TIMEOUT(records.size(), 20, 30000);
        m_session->writer().drain();
        QCOMPARE(records.size(), 20);
        for (const QList<QVariant> &signal : records) {
            QCOMPARE(signal.at(0).value<Record>().value(QStringLiteral("Name")).trimmed(), QStringLiteral("R%1").arg(rounds));
            QCOMPARE(signal.at(1).toBool(), false);
        }
        for (int n = 1; n <= 20; ++n) {
            const QString section = QStringLiteral("PRODUKT%1").arg(n);
            QCOMPARE(stored(section, "Qualitaet"), QString::number(rounds + 10));
            QCOMPARE(stored(section, "Name"), QStringLiteral("R%1").arg(rounds));
        }
        QCOMPARE(m_session->writer().replaces(), 1);
        QVERIFY(m_errors.isEmpty());
    }

    // A gateway sending the records of its firmware over and over, faster
    // than anything handles them, in the large chunks of a port read
    // unpaced: the lines waiting and the records waiting for the disk stay
    // bounded, other events get their turn between lines, and the file
    // ends with the last values.
    void floodOfRepliesStaysBoundedAndEndsWithTheLastValues()
    {
        goOnline("311");
        const int distinct = 46; // 24 addresses, 20 products, interface, printer
        const auto two = [](int n) { return QByteArray::number(n % 100).rightJustified(2, '0'); };
        const auto recordOf = [&](int index, int round) -> QByteArray {
            if (index < 24) {
                QByteArray record = "cZ" + QByteArray(1, AddressChars[index]);
                for (int field = 0; field < 20; ++field)
                    record += two(round + field);
                return record;
            }
            if (index < 44)
                return ProductReply(index - 23, round % 100, "R" + QByteArray::number(round));
            if (index == 44)
                return "cI" + QByteArray(4, char('0' + round % 6));
            return PrinterReply(round % 4, "R" + QByteArray::number(round));
        };
        QSignalSpy records(m_session.get(), &GatewaySession::recordStored);
        const int rounds = 400, roundsPerRead = 10;
        int mostLines = 0, mostQueued = 0, mostRecords = 0, pendingAtProbe = -1;
        for (int round = 0; round < rounds; round += roundsPerRead) {
            QByteArray read;
            for (int r = round; r < round + roundsPerRead; ++r) {
                for (int index = 0; index < distinct; ++index)
                    read += BuildRequestFrame(recordOf(index, r)) + "\r\n";
            }
            m_port->inject(read);
            mostLines = std::max(mostLines, m_session->pendingLines());
            mostQueued = std::max(mostQueued, m_session->writer().queued());
            mostRecords = std::max(mostRecords, m_session->writer().pending());
            // What a click would be: an event posted now runs before the
            // lines still waiting are all handled.
            if (round == rounds / 2) {
                QVERIFY(m_session->pendingLines() > 0);
                QTimer::singleShot(0, this, [&] { pendingAtProbe = m_session->pendingLines(); });
            }
            // The event loop turns now and then, as it would between reads.
            if (round % (4 * roundsPerRead) == 0)
                QCoreApplication::processEvents();
        }
        QVERIFY2(mostLines <= GatewaySession::MaxPendingLines, qPrintable(QString::number(mostLines)));
        QVERIFY2(mostQueued <= distinct, qPrintable(QString::number(mostQueued)));
        QVERIFY2(mostRecords <= distinct, qPrintable(QString::number(mostRecords)));
        QTRY_COMPARE(m_session->pendingLines(), 0);
        QVERIFY2(pendingAtProbe > 0, qPrintable(QString::number(pendingAtProbe)));
        m_session->writer().drain();
        QVERIFY2(records.size() < rounds * distinct / 10, qPrintable(QString::number(records.size())));
        QVERIFY2(m_session->writer().replaces() < rounds, qPrintable(QString::number(m_session->writer().replaces())));

        QMap<QString, Record> lastSignals;
        for (const QList<QVariant> &signal : records)
            lastSignals[signal.at(0).value<Record>().section] = signal.at(0).value<Record>();
        QCOMPARE(lastSignals.size(), distinct);
        for (int index = 0; index < distinct; ++index) {
            Record last;
            QCOMPARE(RecordFromReply(BuildRequestFrame(recordOf(index, rounds - 1)) + "\r\n", m_session->features(), &last),
                     Record::Reply::Valid);
            QCOMPARE(lastSignals.value(last.section).values, last.values);
            for (const auto &[key, value] : last.values)
                QCOMPARE(stored(last.section, key.toLatin1().constData()), value.trimmed());
        }
        QVERIFY(m_errors.isEmpty());
    }

    // The answer to a page's request is stored at once: its page waits for
    // it. Any other record outside a run waits for others, which takes the
    // window's event loop; without it, it stays queued.
    void answersAreStoredAtOnceOtherRecordsWaitForABatch_data()
    {
        QTest::addColumn<QByteArray>("request"); // "write": a page's write of product 7
        QTest::addColumn<int>("product");        // the one replied
        QTest::addColumn<bool>("atOnce");
        QTest::newRow("answer to a page's read") << ReadRequest({RecordKind::Product, 7}) << 7 << true;
        QTest::newRow("echo of a page's write") << QByteArray("write") << 7 << true;
        QTest::newRow("another product than asked for") << ReadRequest({RecordKind::Product, 7}) << 8 << false;
        QTest::newRow("nothing asked for") << QByteArray() << 7 << false;
    }
    void answersAreStoredAtOnceOtherRecordsWaitForABatch()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, product);
        QFETCH(bool, atOnce);
        goOnline("311");
        if (request == "write") {
            Record write = Record::fromFile(m_file->snapshot(), {RecordKind::Product, 7}, m_session->features());
            write.setValue(ConfigLayout::productQualityKey(), QStringLiteral("42"));
            write.setValue(ConfigLayout::productNameKey(), QStringLiteral("Gehalten"));
            m_session->sendWrite(write);
        } else if (!request.isEmpty()) {
            m_session->send(request);
        }
        const auto name = [&] { return stored(QStringLiteral("PRODUKT%1").arg(product), "Name"); };
        for (int again = 0; again < 2; ++again) {
            m_port->reply(ProductReply(product, 42, again ? "Nochmal" : "Gehalten"));
            QElapsedTimer waited;
            waited.start();
            while (name() != QLatin1String(again ? "Nochmal" : "Gehalten")
                   && waited.elapsed() < (atOnce && !again ? 10000 : 2 * RecordWriter::BatchDelayMs))
                QThread::msleep(5);
            // The same record again answers nothing.
            QCOMPARE(name() == QLatin1String(again ? "Nochmal" : "Gehalten"), atOnce && !again);
            m_session->writer().drain();
        }
        QCOMPARE(name(), QStringLiteral("Nochmal"));
    }

    // A line's handler that waits for the user (a message box over an error
    // of the reply handling) while the gateway goes on sending: the lines
    // waiting stay bounded by keeping each record's last line, the answer
    // to the request outstanding is neither lost nor replaced, and the file
    // ends with every record's last values.
    void linesWhileAHandlerWaitsStayBounded()
    {
        goOnline("311");
        m_session->send(ReadRequest({RecordKind::Product, 7}));
        QSignalSpy records(m_session.get(), &GatewaySession::recordStored);
        int mostWaiting = 0;
        bool waited = false;
        connect(m_session.get(), &GatewaySession::errorOccurred, this, [&] {
            if (std::exchange(waited, true))
                return;
            // What arrives while the box is open.
            const auto inject = [&](const QByteArray &record) {
                m_port->inject(BuildRequestFrame(record) + "\r\n");
                mostWaiting = std::max(mostWaiting, m_session->pendingLines());
            };
            for (int n = 0; n < GatewaySession::MaxPendingLines + 500; ++n) {
                inject(ProductReply(n % 6 + 1, 10, "Vor" + QByteArray::number(n)));
                // Beyond the limit, lines that name no record are dropped.
                if (n >= GatewaySession::MaxPendingLines)
                    m_port->inject("Rauschen\r\n");
            }
            inject(ProductReply(7, 42, "Antwort"));
            for (int n = 0; n < 300; ++n) {
                for (int product = 1; product <= 7; ++product)
                    inject(ProductReply(product, 10, "Nach" + QByteArray::number(n)));
            }
        });
        m_port->reply("cPx712    Pilsen"); // no number: an error box
        QVERIFY(waited);
        // The lines the limit leaves, one for each record beyond it and the answer.
        QVERIFY2(mostWaiting <= GatewaySession::MaxPendingLines + 8, qPrintable(QString::number(mostWaiting)));
        QTRY_COMPARE(m_session->pendingLines(), 0);
        m_session->writer().drain();
        QStringList product7;
        for (const QList<QVariant> &signal : records) {
            const Record record = signal.at(0).value<Record>();
            if (record.product == 7)
                product7 << record.value(ConfigLayout::productNameKey()).trimmed();
        }
        QCOMPARE(product7.value(0), QStringLiteral("Antwort"));
        QCOMPARE(product7.constLast(), QStringLiteral("Nach299"));
        for (int product = 1; product <= 7; ++product)
            QCOMPARE(stored(QStringLiteral("PRODUKT%1").arg(product), "Name"), QStringLiteral("Nach299"));
    }

    // A record held for a batch is in the file before the file is read to
    // be sent (a page's write, a write-all) and before the program ends.
    void heldRecordIsInTheFileWhenItCounts_data()
    {
        QTest::addColumn<QString>("point");
        QTest::newRow("page write") << "page write";
        QTest::newRow("write-all") << "write-all";
        QTest::newRow("end of the program") << "end";
    }
    void heldRecordIsInTheFileWhenItCounts()
    {
        QFETCH(QString, point);
        goOnline("311");
        m_port->reply(ProductReply(7, 42, "Gehalten"));
        QCOMPARE(m_session->writer().pending(), 1);
        QVERIFY(stored("PRODUKT7", "Name") != QLatin1String("Gehalten"));
        if (point == QLatin1String("page write")) {
            QCOMPARE(m_session->snapshotForWrite().read(QStringLiteral("PRODUKT7"), QStringLiteral("Name"), QString()),
                     QStringLiteral("Gehalten"));
        } else if (point == QLatin1String("write-all")) {
            m_port->answer = true;
            RunFinishedSpy finished(m_session->run());
            m_session->startRun(TransferRun::Kind::WriteAll);
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
            QVERIFY(finished.at(0).at(0).toBool());
            QVERIFY(m_port->written.contains(BuildRequestFrame("C1P0742  Gehalten") + "\r\n"));
        } else {
            m_session.reset();
        }
        QCOMPARE(stored("PRODUKT7", "Name"), QStringLiteral("Gehalten"));
    }

    void repliesWithFieldsThatAreNoNumbers_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("error"); // the text that is no number; empty: none
        QTest::addColumn<QString>("section"); // empty: the file stays as it was
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("product number") << QByteArray("cPx712    Pilsen")
                                        << "x7" << "" << "" << "";
        // The interface record is stored as it came, then the error is said.
        QTest::newRow("interface digit") << QByteArray("cI41x5") << "x"
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
        QCOMPARE(m_errors, error.isEmpty() ? QList<ReportedError>() : QList{ReportedError(NumberError(error))});
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
            finished << (result.ok() ? QStringLiteral("ok") : QStringLiteral("failed"));
            printerAtEnd = stored("PRINTER", "Modell");
            storedAtEnd = records.size();
        });

        m_session->startRun(write ? TransferRun::Kind::WriteAll : TransferRun::Kind::ReadAll);
        QVERIFY(run.isActive());
        QCOMPARE(run.kind(), write ? TransferRun::Kind::WriteAll : TransferRun::Kind::ReadAll);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(finished.first(), QStringLiteral("ok"));
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
        QCOMPARE(progressed.steps.at(0), (RecordId{RecordKind::Points, 0}));
        QCOMPARE(progressed.steps.at(f.addressCount), (RecordId{RecordKind::Product, 1}));
        QCOMPARE(progressed.steps.last().kind, RecordKind::Printer);

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
        QCOMPARE(m_errors.size(), 1);
        QCOMPARE(m_errors.constFirst().kind(), ReportedError::Kind::File);
        const FileError &refusal = m_errors.constFirst().fileError();
        QCOMPARE(refusal.action(), FileError::Action::Write);
        QCOMPARE(refusal.fileName(), ini());
        QCOMPARE(refusal.reason(), FileError::Reason::ReadOnlyFile);
        QVERIFY(finished.results.at(0).outcome == RunResult::Outcome::Failed);
        QCOMPARE(finished.results.at(0).error, m_errors.constFirst());
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
        QCOMPARE(m_errors.constFirst().kind(), ReportedError::Kind::File);
        QCOMPARE(m_errors.constFirst().fileError().action(), FileError::Action::Read);
        QCOMPARE(m_errors.constFirst().fileError().fileName(), ini());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QVERIFY(finished.results.at(0).outcome == RunResult::Outcome::Failed);
        QCOMPARE(finished.results.at(0).error, m_errors.constFirst());
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
        QVERIFY(finished.results.at(0).outcome == RunResult::Outcome::NoReply);
        QCOMPARE(m_port->written.size() - 1, m_port->silentAfter);
        QVERIFY(!m_session->run().isActive());
        QVERIFY(!m_session->run().isTimerActive());
        if (instead.startsWith("cI")) {
            QCOMPARE(m_errors, QList{ReportedError(NumberError(QStringLiteral("x")))});
            // Stored on the writer's thread, which a failed run does not wait for.
            QTRY_COMPARE(stored("INTERFACE", "BaudrateRS485"), QStringLiteral("x"));
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
        QCOMPARE(ConfigLayout::section(finished.results.at(0).record), section);
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
        QTest::addColumn<int>("form");
        QTest::addColumn<int>("misfit");
        QTest::addColumn<QString>("character"); // of the character misfits
        using F = ValueForm;
        using M = Misfit;
        QTest::newRow("quality too long") << "QVR0" << "Qualitaet1" << "123" << int(F::TwoCharacters) << int(M::Form) << "";
        QTest::newRow("EDV number too short") << "QVR23" << "EDV4" << "7" << int(F::TwoCharacters) << int(M::Form) << "";
        QTest::newRow("point 10 on ten points") << "QVR5" << "EDV10" << "" << int(F::TwoCharacters) << int(M::Form) << "";
        QTest::newRow("name of 15 characters") << "PRODUKT3" << "Name" << "Superbenzin Neu" << int(F::Name)
                                               << int(M::Form) << "";
        QTest::newRow("header of 41 characters") << "PRINTER" << "Head" << QString(41, u'h') << int(F::Header)
                                                 << int(M::Form) << "";
        QTest::newRow("printer model out of range") << "PRINTER" << "Modell" << "7" << int(F::PrinterModel)
                                                    << int(M::Form) << "";
        QTest::newRow("baud index of two digits") << "INTERFACE" << "BaudrateRS232" << "12" << int(F::InterfaceIndex)
                                                  << int(M::Form) << "";
        QTest::newRow("format index negative") << "INTERFACE" << "ParameterRS485" << "-1" << int(F::InterfaceIndex)
                                               << int(M::Form) << "";
        QTest::newRow("frame character") << "PRODUKT1" << "Name" << "a<b" << int(F::Name) << int(M::FrameCharacter)
                                         << "<";
        QTest::newRow("control character") << "PRINTER" << "Head" << "a\x01" "b" << int(F::Header)
                                           << int(M::ControlCharacter) << "\x01";
        QTest::newRow("no windows-1252 form") << "PRODUKT2" << "Name" << "Łódź" << int(F::Name)
                                              << int(M::NoWindows1252) << "Ł";
    }
    void writeWithABadValueSendsNothing()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, form);
        QFETCH(int, misfit);
        QFETCH(QString, character);
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
        const ValueProblem &problem = problems.at(0);
        QCOMPARE(problem.section, section);
        QCOMPARE(problem.key, key);
        QCOMPARE(problem.value, value);
        QCOMPARE(int(problem.form), form);
        QCOMPARE(int(problem.misfit), misfit);
        QCOMPARE(problem.character, character);
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
        QVERIFY(finished.results.at(0).outcome == RunResult::Outcome::NotTaken);
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
        const PortFailure unplugged{PortFailure::Cause::System, QSerialPort::ResourceError, ENODEV};
        QCOMPARE(m_lost, QList{unplugged});
        QVERIFY(!m_port->opened);
        QCOMPARE(m_session->state(), GatewaySession::State::Closed);
        QCOMPARE(states.size(), 1);
        QVERIFY(!m_session->isPolling());
        QCOMPARE(m_session->versionText(), QStringLiteral("---"));

        // While connecting too.
        connectToPort();
        m_port->unplug();
        QCOMPARE(m_lost, (QList{unplugged, unplugged}));
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
        QVERIFY(finished.results.at(0).outcome == RunResult::Outcome::PortLost);
        QVERIFY(!m_session->run().isActive());
        QVERIFY(!m_session->run().isTimerActive());
        QCOMPARE(m_session->state(), GatewaySession::State::Closed);
    }

};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
