// velmora-cli through real network servers on the loopback address: ser2net
// in RFC 2217 and raw mode and socat in front of the gateway simulator, and
// the failures a site's server can cause.

#include "GatewayKeys.h"
#include "core/IniFile.h"

#include "ServerFixture.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QtTest>

namespace {

// A configuration unlike the simulator's, its printer head holding the
// telnet escape byte (0xFF, "ÿ" in Windows-1252).
QString newState(const QString &section, const QString &key)
{
    if (section.startsWith("QVR"))
        return two((section.mid(3).toInt() * 3 + key.size() * 7 + key.back().digitValue()) % 97 + 1);
    if (section.startsWith("PRODUKT"))
        return key == "Name" ? QStringLiteral("Bier ") + section.mid(7) : two(section.mid(7).toInt() + 10);
    if (section == "PRINTER")
        return key == "Modell" ? QStringLiteral("01") : QStringLiteral("Grüß Gott ÿÿ Kopf ÿ");
    return QStringLiteral("2");
}

// The state written as a complete read of `firmware` leaves it, so that
// write sends it as it stands.
void writeState(const QString &file, const Layout &layout, const QString &firmware)
{
    QFile::remove(file);
    CreateDefaultIniFile(file);
    for (const QString &entry : keysOf(layout)) {
        const QString section = entry.section(u'/', 0, 0);
        const QString key = entry.section(u'/', 1);
        WriteIniValue(file, section, key, newState(section, key));
    }
    WriteIniValues(file, "SOURCE", {{"Firmware", firmware.left(1) + u'.' + firmware.mid(1)}, {"Complete", "yes"}});
}

QStringList mismatches(const QString &file, const Layout &layout)
{
    QStringList out;
    for (const QString &entry : keysOf(layout)) {
        const QString section = entry.section(u'/', 0, 0);
        const QString key = entry.section(u'/', 1);
        const QString got = ReadIniValue(file, section, key, "<missing>");
        if (got != newState(section, key))
            out << entry + ": " + got;
    }
    return out;
}

QByteArray bytesOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

// A read's file without what names the time and the port of the read.
QByteArray withoutTimeAndPort(QByteArray content)
{
    static const QRegularExpression stamp(QStringLiteral("\r\n(Date|Port)=[^\r\n]*"));
    return QString::fromLatin1(content).remove(stamp).toLatin1();
}

struct Result
{
    int status = -1;
    QString out;
    QString err;
    qint64 ms = 0;
};

struct Cli : ServerFixture
{
    QString exe = path("velmora-cli");
    QByteArray log;

    Cli() { QFile::copy(QStringLiteral(VELMORA_CLI), exe); }

    QProcess *start(const QStringList &arguments)
    {
        auto *p = new QProcess;
        p->start(exe, arguments);
        p->waitForStarted();
        return p;
    }

    // Far beyond any run: the program must end on its own.
    static Result finish(QProcess *p, const QElapsedTimer &clock, int withinMs = 60000)
    {
        Result r;
        if (!p->waitForFinished(withinMs)) {
            p->kill();
            p->waitForFinished();
        }
        r.ms = clock.elapsed();
        r.status = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
        r.out = QString::fromUtf8(p->readAllStandardOutput());
        r.err = QString::fromUtf8(p->readAllStandardError());
        delete p;
        return r;
    }

    Result run(const QStringList &arguments)
    {
        QElapsedTimer clock;
        clock.start();
        return finish(start(arguments), clock);
    }

    // Waits until the simulator (started with --verbose) was asked for `command`.
    bool simulatorSaw(const QByteArray &command)
    {
        const QByteArray line = "<- " + command + "\n";
        sim.setReadChannel(QProcess::StandardError);
        while (!log.contains(line) && sim.waitForReadyRead(20000))
            log += sim.readAllStandardError();
        sim.setReadChannel(QProcess::StandardOutput);
        return log.contains(line);
    }
};

} // namespace

class TestServers : public QObject
{
    Q_OBJECT
private slots:
    void readAndWriteThroughEachServer_data()
    {
        QTest::addColumn<ServerFixture::Server>("server");
        QTest::addColumn<QString>("firmware");
        for (const char *firmware : {"106", "311"}) {
            QTest::addRow("ser2net rfc2217 %s", firmware) << ServerFixture::Server::Ser2netRfc2217 << firmware;
            QTest::addRow("ser2net raw %s", firmware) << ServerFixture::Server::Ser2netRaw << firmware;
            QTest::addRow("socat %s", firmware) << ServerFixture::Server::Socat << firmware;
        }
    }
    void readAndWriteThroughEachServer()
    {
        QFETCH(ServerFixture::Server, server);
        QFETCH(QString, firmware);
        Cli cli;
        QVERIFY(cli.startSimulator({"--firmware", firmware}));
        QVERIFY(cli.startServer(server));

        // Read all through the server, then the same gateway through its own
        // terminal: the same file, byte for byte, but for time and port.
        const QString viaServer = cli.path("via-server.ini");
        Result r = cli.run({"read", cli.address(), viaServer, "-q"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(ReadIniValue(viaServer, "SOURCE", "Port", "-").contains(cli.address()));

        // Write all through the server, a printer head with escape bytes included;
        // the write's own check reads it back through the server.
        const QString state = cli.path("state.ini");
        writeState(state, layoutOf(firmware), firmware);
        r = cli.run({"write", cli.address(), state, "-q"});
        QVERIFY2(r.status == 0, qPrintable(r.err + r.out));
        cli.stopServer();

        const QString direct = cli.path("direct.ini");
        r = cli.run({"read", cli.pty, direct, "-q"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(mismatches(direct, layoutOf(firmware)), QStringList());
        QVERIFY(bytesOf(direct).contains("Gr\xfc\xdf Gott \xff\xff Kopf \xff"));

        // And the first read matches a direct one of the state it found.
        QVERIFY(cli.startServer(server));
        const QString again = cli.path("again.ini");
        r = cli.run({"read", cli.address(), again, "-q"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        cli.stopServer();
        QCOMPARE(withoutTimeAndPort(bytesOf(again)), withoutTimeAndPort(bytesOf(direct)));
        QVERIFY(withoutTimeAndPort(bytesOf(viaServer)) != withoutTimeAndPort(bytesOf(direct)));
    }

    // An address file in ports/ is listed with its address, and its name
    // reaches the server as the address itself does.
    void anAddressFileIsAPort()
    {
        Cli cli;
        QVERIFY(cli.startSimulator({"--firmware", "106"}));
        QVERIFY(cli.startServer(ServerFixture::Server::Ser2netRfc2217));
        QVERIFY(QDir().mkpath(cli.path("ports")));
        QFile alias(cli.path("ports/COM20"));
        QVERIFY(alias.open(QIODevice::WriteOnly));
        alias.write(cli.address().toUtf8() + "\n");
        alias.close();
        Result r = cli.run({"ports"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.split('\n').contains("COM20\t" + cli.address() + "\t-\t-\t-\t-\tnetwork port"), qPrintable(r.out));
        const QString file = cli.path("com20.ini");
        r = cli.run({"read", "COM20", file, "-q"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(ReadIniValue(file, "SOURCE", "Port", "-"), "COM20 (" + cli.address() + ")");
        QCOMPARE(ReadIniValue(file, "SOURCE", "Firmware", "-"), QStringLiteral("1.06"));
    }

    void serverKilledMidRunIsALostPort_data()
    {
        QTest::addColumn<ServerFixture::Server>("server");
        QTest::newRow("ser2net rfc2217") << ServerFixture::Server::Ser2netRfc2217;
        QTest::newRow("ser2net raw") << ServerFixture::Server::Ser2netRaw;
    }
    void serverKilledMidRunIsALostPort()
    {
        QFETCH(ServerFixture::Server, server);
        Cli cli;
        QVERIFY(cli.startSimulator({"--pace", "--verbose"}));
        QVERIFY(cli.startServer(server));
        const QString file = cli.path("config.ini");
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[PRINTER]\r\nHead=vorher\r\n");
        }
        QElapsedTimer clock;
        clock.start();
        QProcess *read = cli.start({"read", cli.address(), file, "-q"});
        QVERIFY(cli.simulatorSaw("C0Z3"));
        cli.killServer();
        const Result r = Cli::finish(read, clock);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains("The server closed the connection"), qPrintable(r.err));
        QCOMPARE(bytesOf(file), QByteArray("[PRINTER]\r\nHead=vorher\r\n"));
    }

    void failuresAtConnectAreNamedAndEndTheCommand_data()
    {
        QTest::addColumn<QString>("address"); // "%1": a loopback port nothing listens on
        QTest::addColumn<bool>("noLine");     // ser2net with no serial line behind it
        QTest::addColumn<QString>("message");
        QTest::newRow("refused, rfc2217") << "rfc2217://127.0.0.1:%1" << false << "Connection refused by the server";
        QTest::newRow("refused, raw") << "tcp://127.0.0.1:%1" << false << "Connection refused by the server";
        QTest::newRow("unknown host") << "rfc2217://no-such-host.invalid:4001" << false << "Host not found";
        QTest::newRow("line settings refused") << QString() << true << "refused the line settings";
        QTest::newRow("not an address") << "tcp://127.0.0.1" << false << "Not a valid network address";
    }
    void failuresAtConnectAreNamedAndEndTheCommand()
    {
        QFETCH(QString, address);
        QFETCH(bool, noLine);
        QFETCH(QString, message);
        Cli cli;
        if (noLine) {
            QVERIFY(cli.startServer(ServerFixture::Server::Ser2netNoLine));
            address = cli.address();
        } else if (address.contains("%1")) {
            address = address.arg(freeLoopbackPort());
        }
        const QString file = cli.path("config.ini");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[PRINTER]\r\nHead=vorher\r\n");
        f.close();
        const Result r = cli.run({"read", address, file, "-q", "--connect-timeout", "2"});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(r.err.contains(address), qPrintable(r.err));
        // Bounded by the connect time-out, not by the connect --timeout (10 s).
        QVERIFY2(r.ms < 9000, qPrintable(QString::number(r.ms)));
        QCOMPARE(bytesOf(file), QByteArray("[PRINTER]\r\nHead=vorher\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestServers)
#include "tst_servers.moc"
