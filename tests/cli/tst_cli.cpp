// velmora-cli as a technician runs it: the built executable in a program
// folder of its own, its port alias registered there by the simulator.

#include "core/IniFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>
#include <sys/stat.h>

namespace {

QString two(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}

// The simulator's state before anything is written to it.
QString simQuality(int a, int k) { return two((a * 7 + (k - 1) * 3) % 99 + 1); }
QString simEdv(int a, int k) { return two((a * 5 + (k - 1) * 11 + 40) % 99 + 1); }

struct Layout
{
    int addresses;
    int points;
    int products;
    bool interface;
};

Layout layoutOf(const QString &firmware)
{
    return firmware == "106" ? Layout{16, 4, 10, false} : Layout{24, 10, 20, true};
}

// Every key of every record the firmware has, with the value `expected`
// gives for it.
using Expected = std::function<QString(const QString &section, const QString &key)>;

QStringList mismatches(const QString &file, const Layout &layout, const Expected &expected)
{
    QStringList out;
    const auto check = [&](const QString &section, const QString &key) {
        const QString want = expected(section, key);
        const QString got = ReadIniValue(file, section, key, "<missing>");
        if (got != want)
            out << QStringLiteral("[%1] %2: %3, expected %4").arg(section, key, got, want);
    };
    for (int a = 0; a < layout.addresses; ++a) {
        for (int k = 1; k <= layout.points; ++k) {
            check("QVR" + QString::number(a), "Qualitaet" + QString::number(k));
            check("QVR" + QString::number(a), "EDV" + QString::number(k));
        }
    }
    for (int n = 1; n <= layout.products; ++n) {
        check("PRODUKT" + QString::number(n), "Qualitaet");
        check("PRODUKT" + QString::number(n), "Name");
    }
    check("PRINTER", "Modell");
    check("PRINTER", "Head");
    if (layout.interface) {
        for (const char *key : {"BaudrateRS232", "ParameterRS232", "BaudrateRS485", "ParameterRS485"})
            check("INTERFACE", key);
    }
    return out;
}

QString simState(const QString &section, const QString &key)
{
    static const QRegularExpression number(QStringLiteral("(\\d+)$"));
    if (section.startsWith("QVR")) {
        const int a = section.mid(3).toInt();
        const int k = number.match(key).captured(1).toInt();
        return key.startsWith("EDV") ? simEdv(a, k) : simQuality(a, k);
    }
    if (section.startsWith("PRODUKT")) {
        const int n = section.mid(7).toInt();
        return key == "Name" ? "Sim " + QString::number(n) : two(n + 40);
    }
    if (section == "PRINTER")
        return key == "Modell" ? "02" : "Simulierte Kopfzeile";
    const int i = QStringList{"BaudrateRS232", "ParameterRS232", "BaudrateRS485", "ParameterRS485"}.indexOf(key);
    return QString(QLatin1String("4125").at(i));
}

// A configuration unlike the simulator's, for the write command.
QString newState(const QString &section, const QString &key)
{
    if (section.startsWith("QVR"))
        return two((section.mid(3).toInt() * 3 + key.size() * 7 + key.back().digitValue()) % 97 + 1);
    if (section.startsWith("PRODUKT"))
        return key == "Name" ? "Bier " + section.mid(7) : two(section.mid(7).toInt() + 10);
    if (section == "PRINTER")
        return key == "Modell" ? "01" : "Neue Kopfzeile";
    return "2";
}

void writeState(const QString &file, const Expected &state)
{
    QFile::remove(file);
    CreateDefaultIniFile(file);
    const Layout all{24, 10, 20, true};
    // Through the working-file rules, key by key, as the window would.
    for (int a = 0; a < all.addresses; ++a) {
        IniValues values;
        for (int k = 1; k <= all.points; ++k) {
            for (const QString &key : {"Qualitaet" + QString::number(k), "EDV" + QString::number(k)})
                values.append({key, state("QVR" + QString::number(a), key)});
        }
        WriteIniValues(file, "QVR" + QString::number(a), values);
    }
    for (int n = 1; n <= all.products; ++n) {
        const QString s = "PRODUKT" + QString::number(n);
        WriteIniValues(file, s, {{"Qualitaet", state(s, "Qualitaet")}, {"Name", state(s, "Name")}});
    }
    WriteIniValues(file, "PRINTER", {{"Modell", state("PRINTER", "Modell")}, {"Head", state("PRINTER", "Head")}});
    IniValues interface;
    for (const char *key : {"BaudrateRS232", "ParameterRS232", "BaudrateRS485", "ParameterRS485"})
        interface.append({key, state("INTERFACE", key)});
    WriteIniValues(file, "INTERFACE", interface);
}

QByteArray bytesOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

struct Result
{
    int status = -1;
    QString out;
    QString err;
};

// velmora-cli copied into a fresh program folder, so that its port names
// come from that folder's ports/, and a simulator registered there.
struct Cli
{
    QTemporaryDir dir;
    QString exe = dir.filePath("velmora-cli");
    QProcess sim;
    QString device;

    Cli()
    {
        QFile::copy(QStringLiteral(VELMORA_CLI), exe);
        sim.setProcessChannelMode(QProcess::SeparateChannels);
    }
    ~Cli()
    {
        sim.terminate();
        sim.waitForFinished(5000);
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    bool startSim(const QStringList &arguments, const QString &name = "COM7")
    {
        sim.start(QStringLiteral(GATEWAY_SIM), QStringList{"--ports-dir", path("ports"), "--name", name} + arguments);
        if (!sim.waitForReadyRead(10000))
            return false;
        const QList<QByteArray> first = sim.readLine().trimmed().split(' ');
        device = QString::fromLocal8Bit(first.value(1));
        return first.value(0) == name.toLatin1() && device.startsWith("/dev/");
    }

    QProcess *start(const QStringList &arguments)
    {
        auto *p = new QProcess;
        p->setProgram(exe);
        p->setArguments(arguments);
        p->start();
        p->waitForStarted();
        return p;
    }

    static Result finish(QProcess *p)
    {
        Result r;
        // Far beyond any run: the program must end on its own.
        if (!p->waitForFinished(120000)) {
            p->kill();
            p->waitForFinished();
        }
        r.status = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
        r.out = QString::fromUtf8(p->readAllStandardOutput());
        r.err = QString::fromUtf8(p->readAllStandardError());
        delete p;
        return r;
    }

    Result run(const QStringList &arguments) { return finish(start(arguments)); }

    // The simulator's --verbose log so far, once `until` is in it or the
    // log has been quiet for `quietMs`.
    QByteArray simLog(const QByteArray &until = {}, int quietMs = 300)
    {
        sim.setReadChannel(QProcess::StandardError);
        do {
            log += sim.readAllStandardError();
        } while ((until.isEmpty() || !log.contains(until)) && sim.waitForReadyRead(until.isEmpty() ? quietMs : 20000));
        log += sim.readAllStandardError();
        sim.setReadChannel(QProcess::StandardOutput);
        return log;
    }
    QByteArray log;

    // Waits until the simulator has been asked for `command`.
    bool simulatorSaw(const QByteArray &command)
    {
        return simLog("<- " + command + "\n").contains("<- " + command + "\n");
    }

    QStringList leftovers() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void firmwares_data()
    {
        QTest::addColumn<QString>("firmware");
        QTest::newRow("106") << "106";
        QTest::newRow("311") << "311";
    }

    void readBringsTheWholeStateAndKeepsTheRest_data() { firmwares_data(); }
    void readBringsTheWholeStateAndKeepsTheRest()
    {
        QFETCH(QString, firmware);
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", firmware}));
        const Result ports = cli.run({"ports"});
        QCOMPARE(ports.status, 0);
        // A pseudo-terminal has no by-id link and no USB description.
        QVERIFY2(ports.out.split('\n').contains("COM7\t" + cli.device + "\t-\t-\t-\t-"), qPrintable(ports.out));

        // A missing FILE starts from the default contents.
        const QString fresh = cli.path("fresh.ini");
        Result r = cli.run({"read", "COM7", fresh});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err)); // not a terminal: no progress
        QCOMPARE(mismatches(fresh, layoutOf(firmware), simState), QStringList());
        QCOMPARE(ReadIniValue(fresh, "Speech", "Speech", "-"), QStringLiteral("0"));

        // An existing FILE keeps its comments, other keys, their order, the
        // records the firmware lacks, and its mode; the device path works too.
        const QString own = cli.path("own.ini");
        QFile f(own);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("; site 12, north gate\r\n[Site]\r\nContact=Meier\r\n[qvr3]\r\nqualitaet1 = \"99\"\r\nNote=keep\r\n"
                "[QVR23]\r\nEDV10=77\r\n");
        f.close();
        QVERIFY(QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        r = cli.run({"read", cli.device, own});
        QCOMPARE(r.status, 0);
        QCOMPARE(mismatches(own, layoutOf(firmware), simState), QStringList());
        const QByteArray content = bytesOf(own);
        QVERIFY(content.startsWith("; site 12, north gate\r\n[Site]\r\nContact=Meier\r\n[qvr3]\r\nqualitaet1="));
        QVERIFY(content.contains("Note=keep\r\n"));
        QCOMPARE(ReadIniValue(own, "QVR23", "EDV10", "-"), firmware == "106" ? "77" : simEdv(23, 10));
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(own).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0640u);
        QCOMPARE(cli.leftovers(), QStringList({"fresh.ini", "own.ini", "velmora-cli"}));
    }

    void writeWithBackupThenTheGatewayHoldsTheFile_data() { firmwares_data(); }
    void writeWithBackupThenTheGatewayHoldsTheFile()
    {
        QFETCH(QString, firmware);
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", firmware}));
        const QString file = cli.path("new.ini");
        writeState(file, newState);
        const QByteArray sent = bytesOf(file);
        const QString backup = cli.path("backup.ini");

        Result r = cli.run({"write", "COM7", file, "--backup", backup});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QCOMPARE(mismatches(backup, layoutOf(firmware), simState), QStringList());
        QCOMPARE(bytesOf(file), sent); // the source stays as it was

        r = cli.run({"read", "COM7", cli.path("after.ini")});
        QCOMPARE(r.status, 0);
        QCOMPARE(mismatches(cli.path("after.ini"), layoutOf(firmware), newState), QStringList());

        // The backup brings the gateway back.
        r = cli.run({"write", "COM7", backup, "--no-verify"});
        QCOMPARE(r.status, 0);
        r = cli.run({"read", "COM7", cli.path("restored.ini")});
        QCOMPARE(mismatches(cli.path("restored.ini"), layoutOf(firmware), simState), QStringList());
    }

    void verifyListsWhatTheGatewayDidNotTake()
    {
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311"}));
        // The gateway keeps ten characters of a name.
        const QString file = cli.path("long.ini");
        writeState(file, simState);
        WriteIniValue(file, "PRODUKT3", "Name", "Weizenbier hell");
        const Result r = cli.run({"write", "COM7", file});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out.split('\n').filter("[").join('\n'),
                 QStringLiteral("[PRODUKT3] Name: sent \"Weizenbier hell\", gateway has \"Weizenbier\""));
        QVERIFY2(r.err.contains("COM7"), qPrintable(r.err));
    }

    void diffComparesWhatTheGatewayWouldGet_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("lines");
        QTest::newRow("same") << QByteArray("[QVR3]\nEDV2=12\n") << QByteArray("[QVR3]\nEDV2=12\n") << 0 << "";
        QTest::newRow("case, blanks and quotes as read")
            << QByteArray("[qvr3]\nedv2 =  \"12\" \n[produkt4]\nname=   Weizen\n")
            << QByteArray("[QVR3]\r\nEDV2=12\r\n[PRODUKT4]\r\nName=Weizen\r\n") << 0 << "";
        QTest::newRow("missing key is the run's default")
            << QByteArray("") << QByteArray("[QVR3]\nEDV2=03\n[PRINTER]\nModell=0\n[INTERFACE]\nBaudrateRS232=x\n")
            << 0 << "";
        QTest::newRow("keys no record has")
            << QByteArray("; one\n[Site]\nA=1\n[QVR30]\nEDV1=1\n") << QByteArray("[Site]\nA=2\n") << 0 << "";
        QTest::newRow("values differ")
            << QByteArray("[QVR3]\nQualitaet2=77\n[QVR23]\nEDV10=01\n[PRODUKT20]\nName=Weizen\n")
            << QByteArray("[QVR23]\nEDV10=02\n[PRODUKT20]\nName=Pils\n[PRINTER]\nHead=Tor 3\n[INTERFACE]\nBaudrateRS485=5\n")
            << 1
            << "[QVR3] Qualitaet2: \"77\" -> \"03\"\n"
               "[QVR23] EDV10: \"01\" -> \"02\"\n"
               "[PRODUKT20] Name: \"Weizen\" -> \"Pils\"\n"
               "[INTERFACE] BaudrateRS485: \"3\" -> \"5\"\n"
               "[PRINTER] Head: \"Deutsche Brantel\" -> \"Tor 3\"\n";
    }
    void diffComparesWhatTheGatewayWouldGet()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(int, status);
        QFETCH(QString, lines);
        Cli cli;
        for (const auto &[name, content] : {std::pair{"a.ini", first}, std::pair{"b.ini", second}}) {
            QFile f(cli.path(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const Result r = cli.run({"diff", cli.path("a.ini"), cli.path("b.ini")});
        QCOMPARE(r.out, lines);
        QCOMPARE(r.status, status);
        QCOMPARE(r.err, QString());
    }

    // A gateway or port that fails, at connect or in the middle of a run:
    // status 2, one line naming the port, and FILE (and BACKUP) as before.
    void gatewayFailuresLeaveTheFilesAsTheyWere_data()
    {
        QTest::addColumn<QStringList>("simArguments");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("silent gateway") << QStringList{"--fault", "silence"} << "read"
                                        << "COM7 (%1): no answer from the gateway within 1.5 s";
        QTest::newRow("no version reply")
            << QStringList{"--fault", "silence", "--fault-after", "1"} << "read"
            << "COM7 (%1): the gateway answered but sent no version within 1.5 s";
        QTest::newRow("one record missing")
            << QStringList{"--fault", "silence", "--fault-after", "12", "--fault-count", "1"} << "read"
            << "COM7 (%1): No reply from the Velmora \u2013 transfer stopped (at Device: A)";
        QTest::newRow("bad record in the backup")
            << QStringList{"--fault", "bad-checksum", "--fault-after", "30", "--fault-count", "1"} << "write"
            << "COM7 (%1): backup failed, nothing written: No reply from the Velmora \u2013 transfer stopped (at Product data: 5)";
        QTest::newRow("bad record while writing")
            << QStringList{"--fault", "bad-checksum", "--fault-after", "30", "--fault-count", "1"} << "write-only"
            << "COM7 (%1): writing stopped, the gateway may hold part of %2: No reply from the Velmora \u2013 "
               "transfer stopped (at Product data: 5)";
    }
    void gatewayFailuresLeaveTheFilesAsTheyWere()
    {
        QFETCH(QStringList, simArguments);
        QFETCH(QString, command);
        QFETCH(QString, message);
        Cli cli;
        QVERIFY(cli.startSim(simArguments + QStringList{"--firmware", "311", "--verbose"}));
        const QString file = cli.path("site.ini");
        writeState(file, newState);
        const QByteArray before = bytesOf(file);
        QFile::copy(file, cli.path("backup.ini"));
        QStringList arguments{command.left(5), "COM7", file, "--timeout", "1.5"};
        if (command == "write")
            arguments << "--backup" << cli.path("backup.ini");
        const Result r = cli.run(arguments);
        QCOMPARE(r.status, 2);
        QCOMPARE(r.err, "velmora-cli: " + message.replace("%1", cli.device).replace("%2", file) + "\n");
        QCOMPARE(bytesOf(file), before);
        QCOMPARE(bytesOf(cli.path("backup.ini")), before);
        QCOMPARE(cli.leftovers(), QStringList({"backup.ini", "site.ini", "velmora-cli"}));
        // Nothing was written to the gateway after a failed backup.
        QCOMPARE(cli.simLog().contains("<- C1"), command == "write-only");
    }

    // The port goes away, or the technician presses Ctrl-C, in the middle of
    // a run: it ends at once and FILE stays as it was.
    void runEndsWhenThePortHangsUpOrOnInterrupt_data()
    {
        QTest::addColumn<int>("signal"); // 0: the port hangs up
        QTest::addColumn<int>("status");
        QTest::newRow("hang-up") << 0 << 2;
        QTest::newRow("Ctrl-C") << int(SIGINT) << 130;
        QTest::newRow("terminated") << int(SIGTERM) << 143;
    }
    void runEndsWhenThePortHangsUpOrOnInterrupt()
    {
        QFETCH(int, signal);
        QFETCH(int, status);
        const bool hangUp = signal == 0;
        Cli cli;
        // Paced like the wire, so that the run is still under way.
        QVERIFY(cli.startSim({"--firmware", "311", "--pace", "--verbose"}));
        const QString file = cli.path("site.ini");
        writeState(file, newState);
        const QByteArray before = bytesOf(file);
        QProcess *p = cli.start({"read", "COM7", file});
        QVERIFY(cli.simulatorSaw("C0Z5"));
        if (hangUp)
            cli.sim.kill();
        else
            ::kill(pid_t(p->processId()), signal);
        const Result r = Cli::finish(p);
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.startsWith(hangUp ? "velmora-cli: COM7 (" + cli.device + "): The connection to the Velmora was lost"
                                         : "velmora-cli: COM7 (" + cli.device + "): interrupted"),
                 qPrintable(r.err));
        QCOMPARE(r.err.count('\n'), 1);
        QCOMPARE(bytesOf(file), before);
        QCOMPARE(cli.leftovers(), QStringList({"site.ini", "velmora-cli"}));
    }

    // Files that are no configuration, or cannot be replaced, are refused
    // before the port is opened.
    void badFilesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // "<dir>" for a folder
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reason");
        const QByteArray binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
        const QByteArray utf16("\xFF\xFE[\0Q\0V\0R\0" "3\0]\0", 14);
        QTest::newRow("binary, read") << "x.png" << binary << "read" << "is not a configuration file (binary content, perhaps UTF-16)";
        QTest::newRow("binary, write") << "x.png" << binary << "write" << "is not a configuration file (binary content, perhaps UTF-16)";
        QTest::newRow("binary, diff") << "x.png" << binary << "diff" << "is not a configuration file (binary content, perhaps UTF-16)";
        QTest::newRow("UTF-16, read") << "u.ini" << utf16 << "read" << "is UTF-16 text, not a configuration file (save it as UTF-8 or Windows-1252)";
        QTest::newRow("UTF-16, diff") << "u.ini" << utf16 << "diff" << "is UTF-16 text, not a configuration file (save it as UTF-8 or Windows-1252)";
        QTest::newRow("folder, read") << "d.ini" << QByteArray("<dir>") << "read" << "is a folder, not a configuration file";
        QTest::newRow("folder, backup") << "d.ini" << QByteArray("<dir>") << "backup" << "is a folder, not a configuration file";
        QTest::newRow("missing, write") << "none.ini" << QByteArray() << "write" << "cannot be read: No such file or directory";
        QTest::newRow("missing, diff") << "none.ini" << QByteArray() << "diff" << "cannot be read: No such file or directory";
    }
    void badFilesAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, command);
        QFETCH(QString, reason);
        Cli cli;
        QVERIFY(cli.startSim({"--verbose"}));
        const QString bad = cli.path(name);
        if (content == "<dir>") {
            QVERIFY(QDir().mkpath(bad));
        } else if (!content.isEmpty()) {
            QFile f(bad);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const QString good = cli.path("good.ini");
        writeState(good, newState);
        QStringList arguments;
        if (command == "diff")
            arguments = {"diff", good, bad};
        else if (command == "backup")
            arguments = {"write", "COM7", good, "--backup", bad};
        else
            arguments = {command, "COM7", bad};
        const Result r = cli.run(arguments);
        QCOMPARE(r.status, 2);
        QCOMPARE(r.err, QStringLiteral("velmora-cli: %1: %2\n").arg(bad, reason));
        if (!content.isEmpty() && content != "<dir>")
            QCOMPARE(bytesOf(bad), content);
        QVERIFY(!cli.simLog().contains("<- "));
    }

    void unwritableTargetsAreRefusedBeforeTheRun_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only file") << "read" << "ro.ini" << "cannot write %1: the file is read-only";
        QTest::newRow("read-only folder") << "read" << "locked/x.ini" << "cannot write %1: the folder %2 is not writable";
        QTest::newRow("no folder") << "read" << "gone/x.ini" << "cannot write %1: the folder %2 does not exist";
        QTest::newRow("read-only backup") << "backup" << "ro.ini" << "cannot write %1: the file is read-only";
        QTest::newRow("backup is FILE") << "backup" << "good.ini" << "%1: the backup would replace the file to be written";
    }
    void unwritableTargetsAreRefusedBeforeTheRun()
    {
        QFETCH(QString, command);
        QFETCH(QString, target);
        QFETCH(QString, reason);
        Cli cli;
        QVERIFY(cli.startSim({"--verbose"}));
        const QString good = cli.path("good.ini");
        writeState(good, newState);
        const QByteArray before = bytesOf(good);
        QFile::copy(good, cli.path("ro.ini"));
        QVERIFY(QFile::setPermissions(cli.path("ro.ini"), QFile::ReadOwner));
        QVERIFY(QDir().mkpath(cli.path("locked")));
        QVERIFY(QFile::setPermissions(cli.path("locked"), QFile::ReadOwner | QFile::ExeOwner));
        const QString path = cli.path(target);
        const Result r = command == "read" ? cli.run({"read", "COM7", path})
                                           : cli.run({"write", "COM7", good, "--backup", path});
        QFile::setPermissions(cli.path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(r.status, 2);
        reason.replace("%2", QFileInfo(path).absolutePath()).replace("%1", path);
        QCOMPARE(r.err, "velmora-cli: " + reason + "\n");
        QCOMPARE(bytesOf(cli.path("ro.ini")), before);
        QCOMPARE(bytesOf(good), before);
        QVERIFY(!cli.simLog().contains("<- "));
    }

    void portsThatAreNoGateway_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("message");
        QTest::newRow("regular file") << "<file>" << "%1: is not a serial port (Inappropriate ioctl for device)";
        QTest::newRow("null device") << "/dev/null" << "%1: is not a serial port (Inappropriate ioctl for device)";
        QTest::newRow("folder") << "<dir>" << "%1: is not a serial port (Is a directory)";
        QTest::newRow("no device") << "<none>" << "%1: cannot open the port: device not present";
        QTest::newRow("link to an unplugged adapter") << "<gone>" << "%1: cannot open the port: device not present";
        QTest::newRow("unknown name") << "COM99" << "%1: no such port; 'velmora-cli ports' lists the ports";
    }
    void portsThatAreNoGateway()
    {
        QFETCH(QString, port);
        QFETCH(QString, message);
        Cli cli;
        const QString file = cli.path("site.ini");
        if (port == "<file>") {
            port = cli.path("site.ini");
            writeState(port, newState);
        } else if (port == "<dir>") {
            port = cli.dir.path();
        } else if (port == "<none>") {
            port = cli.path("ttyUSB9");
        } else if (port == "<gone>") {
            port = cli.path("usb-adapter-port0");
            QVERIFY(QFile::link(cli.path("ttyUSB9"), port));
        }
        const QByteArray before = bytesOf(file);
        const Result r = cli.run({"read", port, file, "--timeout", "2"});
        QCOMPARE(r.status, 2);
        QCOMPARE(r.err, "velmora-cli: " + message.arg(port) + "\n");
        QCOMPARE(bytesOf(file), before);
    }

    void badCommandLines_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << QStringList{} << "no command given; see velmora-cli --help";
        QTest::newRow("unknown command") << QStringList{"erase", "COM1"} << "unknown command 'erase'; see velmora-cli --help";
        QTest::newRow("unknown option") << QStringList{"read", "COM1", "a.ini", "--force"} << "unknown option 'force'; see velmora-cli --help";
        QTest::newRow("missing argument") << QStringList{"read", "COM1"} << "missing arguments for read; usage: velmora-cli read PORT FILE";
        QTest::newRow("extra argument") << QStringList{"diff", "a", "b", "c"} << "too many arguments for diff; usage: velmora-cli diff FILE1 FILE2";
        QTest::newRow("option of another command") << QStringList{"read", "COM1", "a.ini", "--no-verify"} << "option --no-verify does not apply to read; see velmora-cli --help";
        QTest::newRow("missing value") << QStringList{"write", "COM1", "a.ini", "--backup"} << "missing value after '--backup'; see velmora-cli --help";
        QTest::newRow("typing slip") << QStringList{"wirte", "COM1", "a.ini"} << "unknown command 'wirte'; did you mean 'write'? (see velmora-cli --help)";
        QTest::newRow("- as FILE of write") << QStringList{"write", "COM1", "-"} << "'-' cannot be the FILE of write; give a file name (only read writes to standard output with -)";
        QTest::newRow("- as BACKUP") << QStringList{"write", "COM1", "a.ini", "--backup", "-"} << "'-' cannot be the BACKUP of write; give a file name (only read writes to standard output with -)";
        QTest::newRow("- in diff") << QStringList{"diff", "a.ini", "-"} << "'-' cannot be the FILE of diff; give a file name (only read writes to standard output with -)";
        QTest::newRow("bad time-out") << QStringList{"read", "COM1", "a.ini", "--timeout", "-1"} << "--timeout takes a number of seconds above 0 and up to 86400, not '-1'";
    }
    void badCommandLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        Cli cli;
        const Result r = cli.run(arguments);
        QCOMPARE(r.status, 2);
        QCOMPARE(r.err, "velmora-cli: " + message + "\n");
        QCOMPARE(r.out, QString());
    }

    void readToStandardOutput()
    {
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311"}));
        const QString file = cli.path("site.ini");
        QCOMPARE(cli.run({"read", "COM7", file}).status, 0);
        const Result r = cli.run({"read", "COM7", "-"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.toUtf8(), bytesOf(file));
        QCOMPARE(r.err, "velmora-cli: COM7 (" + cli.device + "): 46 records read (firmware 3.11)\n");
        QCOMPARE(cli.leftovers(), QStringList({"site.ini", "velmora-cli"}));
    }

    // diff PORT FILE: the live gateway against a file, as writing the file
    // would change it; nothing is written anywhere.
    void diffComparesTheGatewayWithAFile_data()
    {
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<QStringList>("changes"); // section/key/value set in the file
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("lines");
        QTest::newRow("file holds what the gateway holds") << "311" << QStringList() << 0 << "";
        QTest::newRow("values differ")
            << "311" << QStringList{"PRODUKT3/Name/Weizen", "QVR2/EDV4/77", "PRINTER/Modell/01"} << 1
            << "[QVR2] EDV4: \"" + simEdv(2, 4) + "\" -> \"77\"\n"
               "[PRODUKT3] Name: \"Sim 3\" -> \"Weizen\"\n"
               "[PRINTER] Modell: \"02\" -> \"01\"\n";
        QTest::newRow("records the firmware lacks are not compared")
            << "106" << QStringList{"QVR20/EDV1/55", "QVR3/EDV7/55", "PRODUKT15/Name/Pils", "INTERFACE/BaudrateRS232/1"} << 0 << "";
    }
    void diffComparesTheGatewayWithAFile()
    {
        QFETCH(QString, firmware);
        QFETCH(QStringList, changes);
        QFETCH(int, status);
        QFETCH(QString, lines);
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", firmware, "--verbose"}));
        const QString file = cli.path("site.ini");
        writeState(file, simState);
        for (const QString &change : changes) {
            const QStringList parts = change.split('/');
            WriteIniValue(file, parts[0], parts[1], parts[2]);
        }
        const QByteArray before = bytesOf(file);
        const Result r = cli.run({"diff", "COM7", file});
        QCOMPARE(r.out, lines);
        QCOMPARE(r.status, status);
        QCOMPARE(r.err, QString());
        QCOMPARE(bytesOf(file), before);
        QCOMPARE(cli.leftovers(), QStringList({"site.ini", "velmora-cli"}));
        QVERIFY(!cli.simLog().contains("<- C1"));
    }

    void diffWithASilentGatewayFails()
    {
        Cli cli;
        QVERIFY(cli.startSim({"--fault", "silence"}));
        const QString file = cli.path("site.ini");
        writeState(file, simState);
        const Result r = cli.run({"diff", "COM7", file, "--timeout", "1"});
        QCOMPARE(r.status, 2);
        QCOMPARE(r.err, "velmora-cli: COM7 (" + cli.device + "): no answer from the gateway within 1 s\n");
        QCOMPARE(r.out, QString());
    }

    // Ctrl-C while writing, after the backup: the gateway may hold part of
    // the file; the command printed brings the backup back.
    void interruptedWriteNamesTheRestoreCommand()
    {
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311", "--pace", "--verbose"}));
        const QString file = cli.path("new.ini");
        writeState(file, newState);
        const QString backup = cli.path("backup.ini");
        QProcess *p = cli.start({"write", "COM7", file, "--backup", backup});
        QVERIFY(cli.simLog("<- C1").contains("<- C1"));
        ::kill(pid_t(p->processId()), SIGINT);
        const Result r = Cli::finish(p);
        QCOMPARE(r.status, 130);
        const QStringList err = r.err.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(err.size(), 2);
        QVERIFY2(err[0].startsWith("velmora-cli: COM7 (" + cli.device + "): writing stopped"), qPrintable(r.err));
        const QString lead = "velmora-cli: to restore the gateway from the backup: velmora-cli ";
        QVERIFY2(err[1].startsWith(lead), qPrintable(r.err));
        const QStringList restore = err[1].mid(lead.size()).split(' ');
        QCOMPARE(restore, (QStringList{"write", "COM7", backup}));

        QCOMPARE(cli.run(restore + QStringList{"--no-verify"}).status, 0);
        QCOMPARE(cli.run({"read", "COM7", cli.path("after.ini")}).status, 0);
        QCOMPARE(mismatches(cli.path("after.ini"), layoutOf("311"), simState), QStringList());
    }

    void helpNamesCommandsOptionsAndStatuses()
    {
        Cli cli;
        const Result r = cli.run({"--help"});
        QCOMPARE(r.status, 0);
        for (const char *word : {"ports", "read PORT FILE", "write PORT FILE", "diff FILE1 FILE2", "diff PORT FILE", "--backup",
                                 "--no-verify", "--timeout", "--quiet", "--version", "Exit status"})
            QVERIFY2(r.out.contains(QLatin1String(word)), word);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
