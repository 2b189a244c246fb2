// velmora-cli as a technician runs it: the built executable in a program
// folder of its own, its port alias registered there by the simulator.

#include "GatewayKeys.h"
#include "TestShard.h"
#include "SimulatorProcess.h"
#include "core/ConfigLayout.h"
#include "core/IniFile.h"

#include "SmallDisk.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <dirent.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The simulator's state before anything is written to it.
QString simQuality(int a, int k) { return two((a * 7 + (k - 1) * 3) % 99 + 1); }
QString simEdv(int a, int k) { return two((a * 5 + (k - 1) * 11 + 40) % 99 + 1); }

// Every key of every record the firmware has, with the value `expected`
// gives for it.
using Expected = std::function<QString(const QString &section, const QString &key)>;

QStringList mismatches(const QString &file, const Layout &layout, const Expected &expected)
{
    QStringList out;
    for (const QString &entry : keysOf(layout)) {
        const QString section = entry.section(u'/', 0, 0);
        const QString key = entry.section(u'/', 1);
        const QString want = expected(section, key);
        const QString got = ReadIniValue(file, section, key, "<missing>");
        if (got != want)
            out << QStringLiteral("[%1] %2: %3, expected %4").arg(section, key, got, want);
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

// Written as a complete read of a gateway of `firmware` would leave it, so
// that write sends it without comparing first; no [SOURCE] for an empty one.
void writeState(const QString &file, const Expected &state, const QString &firmware = QStringLiteral("3.11"))
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
    if (!firmware.isEmpty())
        WriteIniValues(file, "SOURCE", {{"Firmware", firmware}, {"Complete", "yes"}});
}

QByteArray bytesOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

// A read stamps its time into [SOURCE] Date, so two reads of the same
// gateway differ there once a second boundary lies between them. The
// content with that value taken out, and the time it held.
struct ReadContent
{
    QByteArray withoutTime;
    QDateTime time;
};

ReadContent splitReadTime(const QByteArray &content)
{
    const QByteArray header = "[SOURCE]\r\n";
    const qsizetype section = content.indexOf(header);
    if (section < 0)
        return {content, {}};
    const qsizetype nextSection = content.indexOf("\r\n[", section);
    const qsizetype key = content.indexOf("\r\nDate=", section + header.size() - 2);
    if (key < 0 || (nextSection >= 0 && key > nextSection))
        return {content, {}};
    const qsizetype valueStart = key + qsizetype(qstrlen("\r\nDate="));
    const qsizetype valueEnd = content.indexOf("\r\n", valueStart);
    const QByteArray value = content.mid(valueStart, valueEnd < 0 ? -1 : valueEnd - valueStart);
    QByteArray rest = content;
    rest.remove(valueStart, value.size());
    return {rest, QDateTime::fromString(QString::fromLatin1(value), Qt::ISODate)};
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
        device = startSimulator(sim, path("ports"), name, arguments);
        return !device.isEmpty();
    }

    // A TMPDIR of its own, so that what a command leaves there shows.
    QString tmp() const { return path("tmp"); }

    // `errorTerminal`: a terminal's descriptor to put in place of standard error.
    QProcess *start(const QStringList &arguments, const QString &outputFile = QString(), int errorTerminal = -1)
    {
        auto *p = new QProcess;
        p->setProgram(exe);
        p->setArguments(arguments);
        QDir().mkpath(tmp());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", tmp());
        p->setProcessEnvironment(environment);
        if (!outputFile.isEmpty())
            p->setStandardOutputFile(outputFile);
        if (errorTerminal >= 0)
            p->setChildProcessModifier([errorTerminal] { ::dup2(errorTerminal, STDERR_FILENO); });
        p->start();
        p->waitForStarted();
        return p;
    }

    // Far beyond any run by default: the program must end on its own.
    static Result finish(QProcess *p, int withinMs = 120000)
    {
        Result r;
        if (!p->waitForFinished(withinMs)) {
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

    // The files of the folder, its hidden folders (a command's working
    // folder) and what is in TMPDIR.
    QStringList leftovers() const
    {
        const QDir folder(dir.path());
        QStringList out = folder.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        out += folder.entryList({".*"}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString &name : QDir(tmp()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                         | QDir::NoDotAndDotDot))
            out << "tmp/" + name;
        out.sort();
        return out;
    }
};

// socat, started with its notices on (-d -d) so that the test can wait
// for the step it has reached; killed at the end.
struct Socat
{
    QProcess process;
    QByteArray log;

    ~Socat()
    {
        process.kill();
        process.waitForFinished(5000);
    }

    // Starts socat between `addresses` and waits until its notices hold `until`.
    bool start(const QStringList &addresses, const QByteArray &until)
    {
        process.setReadChannel(QProcess::StandardError);
        process.start(QStringLiteral("socat"), QStringList{"-d", "-d"} + addresses);
        if (!process.waitForStarted(5000))
            return false;
        while (!log.contains(until)) {
            if (!process.waitForReadyRead(10000))
                return false;
            log += process.readAllStandardError();
        }
        return true;
    }
};

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void init() { skipOutsideShard(); }

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

    // A read over a file that was edited since replaces the edits; it says
    // how many values it changed, as diff counts them.
    void readOverEditsSaysHowManyValuesChanged_data()
    {
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<QStringList>("edits");  // SECTION/Key=value, written as the window would
        QTest::addColumn<QByteArray>("deleted"); // a line taken out of the file
        QTest::addColumn<QString>("note");
        QTest::newRow("no edit") << "311" << QStringList() << QByteArray() << "no value of %1 changed";
        QTest::newRow("three values") << "311" << QStringList{"QVR3/EDV1=08", "PRODUKT2/Name=Pils", "PRINTER/Head=Brauerei Nord"}
                                      << QByteArray() << "3 values of %1 changed";
        QTest::newRow("a key deleted") << "311" << QStringList() << QByteArray("Name=     Sim 5\r\n") << "1 value of %1 changed";
        // The read leaves the records the firmware lacks alone.
        QTest::newRow("beyond the firmware") << "106" << QStringList{"QVR20/EDV1=08", "QVR3/EDV1=08"} << QByteArray()
                                             << "1 value of %1 changed";
    }
    void readOverEditsSaysHowManyValuesChanged()
    {
        QFETCH(QString, firmware);
        QFETCH(QStringList, edits);
        QFETCH(QByteArray, deleted);
        QFETCH(QString, note);
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", firmware}));
        const QString file = cli.path("site.ini");
        Result r = cli.run({"read", "COM7", file});
        QCOMPARE(r.status, 0);
        QVERIFY2(!r.out.contains("note:"), qPrintable(r.out)); // there was no file to change
        for (const QString &edit : edits)
            WriteIniValue(file, edit.section(u'/', 0, 0), edit.section(u'/', 1).section(u'=', 0, 0),
                          edit.section(u'=', 1));
        if (!deleted.isEmpty()) {
            QByteArray content = bytesOf(file);
            QCOMPARE(content.count(deleted), 1);
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(content.replace(deleted, QByteArray()));
        }
        const QString edited = cli.path("edited.ini");
        QVERIFY(QFile::copy(file, edited));

        r = cli.run({"read", "COM7", file});
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[1], "note: " + note.arg(file));
        // The count is diff's.
        const Result diff = cli.run({"diff", edited, file});
        const int changed = note.startsWith("no ") ? 0 : note.section(u' ', 0, 0).toInt();
        QCOMPARE(diff.out.count(u'\n'), changed);
        QCOMPARE(diff.status, changed ? 1 : 0);
        QCOMPARE(cli.run({"read", "COM7", file, "--quiet"}).out, QString());
    }

    // ports: a header, then the ports in the window's order (aliases among
    // the others, by name as text), a pseudo-terminal called so.
    void portsListsAsTheWindowDoes()
    {
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311"}, "COM20"));
        QVERIFY(QFile::link(cli.device, cli.path("ports/com3")));
        const Result r = cli.run({"ports"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QString());
        QStringList lines = r.out.split(u'\n');
        QCOMPARE(lines.takeLast(), QString());
        QCOMPARE(lines.takeFirst(), QStringLiteral("PORT\tDEVICE\tBY-ID\tUSB VENDOR\tUSB PRODUCT\tUSB SERIAL\tKIND"));
        // Besides the aliases, the machine's own ports.
        QStringList names;
        for (const QString &line : lines) {
            QCOMPARE(line.count(u'\t'), 6);
            names << line.section(u'\t', 0, 0);
        }
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end(),
                  [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        QCOMPARE(names, sorted);
        QVERIFY2(names.indexOf("COM20") < names.indexOf("COM3"), qPrintable(r.out));
        // A pseudo-terminal has no by-id link and no USB description.
        for (const QString &name : QStringList{"COM20", "COM3"})
            QVERIFY2(lines.contains(name + "\t" + cli.device + "\t-\t-\t-\t-\tpseudo-terminal"), qPrintable(r.out));
    }

    void writeWithBackupThenTheGatewayHoldsTheFile_data() { firmwares_data(); }
    void writeWithBackupThenTheGatewayHoldsTheFile()
    {
        QFETCH(QString, firmware);
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", firmware}));
        const QString file = cli.path("new.ini");
        writeState(file, newState, firmware);
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

    // A gateway that ignores the writes and echoes its old records: the run
    // sends every record, lists what was not taken and ends with status 1,
    // also without the read-back.
    void writeListsWhatTheGatewayDidNotTake_data()
    {
        QTest::addColumn<bool>("verify");
        QTest::newRow("with read-back") << true;
        QTest::newRow("--no-verify") << false;
    }
    void writeListsWhatTheGatewayDidNotTake()
    {
        QFETCH(bool, verify);
        Cli cli;
        // Product 3 is the 29th request: after the poll, the version and 24 addresses.
        QVERIFY(cli.startSim({"--firmware", "311", "--fault", "ignore-writes", "--fault-after", "28",
                              "--fault-count", "1", "--verbose"}));
        const QString file = cli.path("site.ini");
        writeState(file, simState);
        WriteIniValue(file, "PRODUKT3", "Name", "Weizen");
        const QByteArray before = bytesOf(file);
        QStringList arguments{"write", "COM7", file};
        if (!verify)
            arguments << "--no-verify";
        const Result r = cli.run(arguments);
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out.split('\n').filter("[").join('\n'),
                 QStringLiteral("[PRODUKT3] Name: sent \"Weizen\", gateway has \"     Sim 3\""));
        QVERIFY2(r.err.contains("COM7"), qPrintable(r.err));
        QVERIFY(cli.simulatorSaw("C1D02Simulierte Kopfzeile" + QByteArray(20, ' ')));
        QCOMPARE(bytesOf(file), before);
    }

    // A value that does not fit its field, or a file with no gateway
    // settings: status 2 before the port is opened, not one byte sent.
    void writeWithABadValueSendsNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QByteArray clean = DefaultIniContent();
        const auto with = [&clean](const QByteArray &from, const QByteArray &to) {
            QByteArray c = clean;
            c.replace(from, to);
            return c;
        };
        QTest::newRow("quality too long") << with("[QVR0]\r\nQualitaet1=01", "[QVR0]\r\nQualitaet1=123")
                                          << "[QVR0] Qualitaet1: \"123\" is not two characters";
        QTest::newRow("EDV number too short") << with("EDV4=04\r\nEDV5", "EDV4=4\r\nEDV5")
                                              << "[QVR0] EDV4: \"4\" is not two characters";
        QTest::newRow("name of 15 characters") << with("Name=Produkt  3", "Name=Weizenbier hell")
                                               << "[PRODUKT3] Name: \"Weizenbier hell\" is longer than 10 characters";
        QTest::newRow("baud index 12") << with("BaudrateRS232=3", "BaudrateRS232=12")
                                       << "[INTERFACE] BaudrateRS232: \"12\" is not a digit from 0 to 5";
        QTest::newRow("frame character") << with("Head=Deutsche Brantel", "Head=Tor <3>")
                                         << "[PRINTER] Head: \"Tor <3>\" holds \"<\", which no request can carry";
        QTest::newRow("no windows-1252 form") << with("Name=Produkt  4", "Name=\xC5\x81\xC3\xB3" "d\xC5\xBA")
                                              << "[PRODUKT4] Name: \"Łódź\" holds \"Ł\", which has no Windows-1252 form";
        QTest::newRow("empty file") << QByteArray("") << "%1 holds no settings of the Velmora; nothing was sent.";
        QTest::newRow("unrelated text") << QByteArray("root:x:0:0:root:/root:/bin/bash\n")
                                        << "%1 holds no settings of the Velmora; nothing was sent.";
    }
    void writeWithABadValueSendsNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311", "--verbose"}));
        const QString file = cli.path("bad.ini");
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const Result r = cli.run({"write", "COM7", file});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message.contains("%1") ? message.arg(file) : message), qPrintable(r.err));
        QCOMPARE(r.out, QString());
        QCOMPARE(cli.simLog(), QByteArray()); // the port was never opened
    }

    // A file read from other firmware is compared with the gateway first and
    // written only with --force; the records it lacks keep the gateway's
    // values, never defaults.
    void writeToOtherFirmwareNeedsForce_data()
    {
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<QString>("message");
        QTest::newRow("read from 1.06, gateway 3.11") << "311"
            << "COM7 (%1): nothing written: Writing changes 191 values in 16 of 46 records of the Velmora.\n"
               "velmora-cli: --force writes it all the same; --dry-run lists the changes\n";
        QTest::newRow("read from 1.06, gateway 1.06") << "106" << "";
    }
    void writeToOtherFirmwareNeedsForce()
    {
        QFETCH(QString, firmware);
        QFETCH(QString, message);
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "106"}));
        const QString file = cli.path("old.ini");
        QCOMPARE(cli.run({"read", "COM7", file}).status, 0);
        QCOMPARE(ReadIniValue(file, "SOURCE", "Firmware", "-"), QStringLiteral("1.06"));
        QCOMPARE(ReadIniValue(file, "SOURCE", "Port", "-"), QStringLiteral("COM7 (%1)").arg(cli.device));
        // Only the records firmware 1.06 has.
        QByteArray trimmed;
        bool keep = true;
        for (const QByteArray &line : bytesOf(file).split('\n')) {
            if (line.startsWith('['))
                keep = !QRegularExpression(QStringLiteral("^\\[(QVR(1[6-9]|2\\d|3\\d)|PRODUKT(1[1-9]|20)|INTERFACE)\\]"))
                            .match(QString::fromLatin1(line)).hasMatch();
            if (keep && !line.isEmpty())
                trimmed += line + '\n';
        }
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(trimmed);
        out.close();
        cli.sim.terminate();
        cli.sim.waitForFinished();
        QVERIFY(cli.startSim({"--firmware", firmware, "--verbose"}));

        Result r = cli.run({"write", "COM7", file, "--no-verify"});
        if (message.isEmpty()) {
            QCOMPARE(r.status, 0);
            return;
        }
        QCOMPARE(r.status, 2);
        QCOMPARE(r.err, "velmora-cli: " + message.arg(cli.device));
        const QStringList lines = r.out.split('\n');
        QVERIFY2(lines.contains("note: The configuration was read from firmware 1.06; the Velmora has firmware 3.11."),
                 qPrintable(r.out));
        QVERIFY(lines.contains("keeps the gateway's value: [QVR16]: is missing (20 values)"));
        QVERIFY(lines.contains("keeps the gateway's value: [INTERFACE]: is missing (4 values)"));
        // Points 5 to 10 of the file hold the defaults of the file it was read into.
        QVERIFY(lines.contains(QStringLiteral("[QVR0] Qualitaet5: Velmora \"%1\", file \"05\"").arg(simQuality(0, 5))));
        QVERIFY(!cli.simLog().contains("<- C1"));
        r = cli.run({"write", "COM7", file, "--no-verify", "--force"});
        QCOMPARE(r.status, 0);
        QVERIFY(cli.simulatorSaw("C1I4125"));
        QVERIFY(!cli.simLog().contains("<- C1I3333"));
        QVERIFY(cli.simLog().contains("<- C1ZN" + simQuality(23, 1).toLatin1()));
    }

    // What goes to the gateway is what the technician meant: a file that is
    // a complete read of this gateway is written as it stands; any other is
    // compared first and refused when it would change something; a missing
    // key keeps the gateway's value; a value that does not fit sends nothing.
    // Each file through check, write --dry-run and write.
    void writeSendsOnlyWhatTheFileMeans_data()
    {
        // Edits of a complete 3.11 read of the simulator: each `from`, looked
        // for behind its section's header, becomes `to`.
        QTest::addColumn<QByteArrayList>("edits"); // section, from, to; ...
        QTest::addColumn<int>("check");
        QTest::addColumn<int>("dryRun");
        QTest::addColumn<int>("write");
        QTest::addColumn<QByteArray>("request"); // a write request the simulator gets; empty: no write at all
        const QByteArray name3 = "Name=Sim 3\r\n";
        const QByteArrayList weizen{"[PRODUKT3]", name3, "Name=Weizen\r\n"};
        const QByteArrayList noSource{"[SOURCE]", "[SOURCE]\r\nFirmware=3.11\r\nComplete=yes\r\n", ""};
        QTest::newRow("complete read, one change") << weizen << 0 << 1 << 0 << QByteArray("C1P0343    Weizen");
        QTest::newRow("a key missing") << QByteArrayList{"[QVR8]", "EDV1=" + simEdv(8, 1).toLatin1() + "\r\n", ""}
                                       << 1 << 0 << 0
                                       << QByteArray("C1Z8" + (simQuality(8, 1) + simQuality(8, 2) + simQuality(8, 3)
                                                               + simQuality(8, 4) + simEdv(8, 1)).toLatin1());
        QTest::newRow("no source") << noSource + weizen << 0 << 1 << 2 << QByteArray();
        QTest::newRow("read cut short, no change") << QByteArrayList{"[SOURCE]", "Complete=yes", "Complete=no"}
                                                   << 0 << 0 << 0 << QByteArray("C1I4125");
        QTest::newRow("other firmware") << QByteArrayList{"[SOURCE]", "Firmware=3.11", "Firmware=3.10"} + weizen
                                        << 0 << 1 << 2 << QByteArray();
        QTest::newRow("name typed as UTF-8")
            << QByteArrayList{"[PRODUKT3]", name3, "Name=Super \xC3\x96l\r\n", "[PRINTER]", "Head=", "Head=\xE4 "}
            << 0 << 1 << 2 << QByteArray();
        QTest::newRow("lone CR") << QByteArrayList{"[PRODUKT3]", name3, "Name=a\rb\r\n"} << 1 << 2 << 2 << QByteArray();
        QTest::newRow("NUL") << QByteArrayList{"[PRODUKT3]", name3, QByteArray("Name=a\0b\r\n", 10)} << 1 << 2 << 2
                             << QByteArray();
        QTest::newRow("interface 03") << QByteArrayList{"[INTERFACE]", "BaudrateRS485=2", "BaudrateRS485=03"}
                                      << 0 << 1 << 0 << QByteArray("C1I4135");
        QTest::newRow("quoted blanks") << QByteArrayList{"[PRODUKT3]", name3, "Name=\"  Super  \"\r\n"}
                                       << 0 << 1 << 0 << QByteArray("C1P0343   Super  ");
    }
    void writeSendsOnlyWhatTheFileMeans()
    {
        QFETCH(QByteArrayList, edits);
        QFETCH(int, check);
        QFETCH(int, dryRun);
        QFETCH(int, write);
        QFETCH(QByteArray, request);
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311", "--verbose"}));
        const QString file = cli.path("site.ini");
        writeState(file, simState);
        QByteArray content = bytesOf(file);
        for (qsizetype i = 0; i + 2 < edits.size(); i += 3) {
            const qsizetype at = content.indexOf(edits.at(i + 1), content.indexOf(edits.at(i)));
            QVERIFY2(at >= 0, edits.at(i + 1).constData());
            content.replace(at, edits.at(i + 1).size(), edits.at(i + 2));
        }
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.close();

        Result r = cli.run({"check", file});
        QVERIFY2(r.status == check, qPrintable(r.out + r.err));
        r = cli.run({"write", "COM7", file, "--dry-run"});
        QVERIFY2(r.status == dryRun, qPrintable(r.out + r.err));
        QVERIFY(!cli.simLog().contains("<- C1"));
        r = cli.run({"write", "COM7", file});
        QVERIFY2(r.status == write, qPrintable(r.out + r.err));
        const QByteArray log = cli.simLog();
        if (request.isEmpty())
            QVERIFY2(!log.contains("<- C1"), log.constData());
        else
            QVERIFY2(log.contains("<- " + request), log.constData());
        QCOMPARE(bytesOf(file), content);
    }

    // A reply that names another record is no answer, and a reply sent twice
    // makes no record skipped.
    void repliesOfOtherRecords_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("status");
        QTest::newRow("another address's record") << "other-record" << 2;
        QTest::newRow("each reply twice") << "duplicate" << 0;
    }
    void repliesOfOtherRecords()
    {
        QFETCH(QString, fault);
        QFETCH(int, status);
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311", "--fault", fault, "--fault-after", "5"}));
        const QString file = cli.path("read.ini");
        // The reply the run waits for never comes: waited for 1 s, not 3.
        const Result r = cli.run({"read", "COM7", file, "--reply-timeout", "1"});
        QCOMPARE(r.status, status);
        if (status == 0) {
            QCOMPARE(mismatches(file, layoutOf("311"), simState), QStringList());
        } else {
            QVERIFY2(r.err.contains("No reply from the Velmora"), qPrintable(r.err));
            QVERIFY(!QFile::exists(file));
        }
    }

    // A gateway whose records do not fit the firmware it names: the read
    // stops at the first of them, names it, and leaves FILE as it was.
    void readOfRecordsThatDoNotFitChangesNothing()
    {
        Cli cli;
        // Address 3 is the sixth reply: after the poll, the version and addresses 0 to 2.
        QVERIFY(cli.startSim({"--firmware", "311", "--fault", "short-records", "--fault-after", "5"}));
        const QString file = cli.path("site.ini");
        writeState(file, newState);
        const QByteArray before = bytesOf(file);
        const Result r = cli.run({"read", "COM7", file});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.startsWith("velmora-cli: COM7")
                     && r.err.contains(QStringLiteral("The Velmora's reply for QVR3 does not fit its firmware \u2013 "
                                                      "transfer stopped")),
                 qPrintable(r.err));
        QCOMPARE(bytesOf(file), before);
        QCOMPARE(cli.leftovers(), QStringList({"site.ini", "velmora-cli"}));
    }

    // check: one line per value that does not fit, and with --firmware the
    // records that firmware would ignore or miss.
    void checkNamesEveryProblem_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // standard error for status 2
        const QByteArray clean = DefaultIniContent();
        QByteArray broken = clean;
        broken.replace("[QVR0]\r\nQualitaet1=01", "[QVR0]\r\nQualitaet1=123");
        broken.replace("Modell=00", "Modell=7");
        QTest::newRow("clean") << clean << QStringList() << 0 << "";
        QTest::newRow("broken") << broken << QStringList() << 1
                                << "[QVR0] Qualitaet1: \"123\" is not two characters\n"
                                   "[PRINTER] Modell: \"7\" is not a printer model from 0 to 3\n";
        // Refused as write refuses it: standard error, status 2.
        QTest::newRow("empty") << QByteArray() << QStringList() << 2
                               << "velmora-cli: %1 holds no settings of the Velmora; nothing to check\n";
        QTest::newRow("unrelated text") << QByteArray("[Site]\r\nContact=Meier\r\n") << QStringList{"--firmware", "3.11"} << 2
                                        << "velmora-cli: %1 holds no settings of the Velmora; nothing to check\n";
        QString missing106;
        for (int a = 0; a < 16; ++a)
            missing106 += QStringLiteral("[QVR%1]: is missing (8 values)\n").arg(a);
        for (int n = 1; n <= 10; ++n)
            missing106 += QStringLiteral("[PRODUKT%1]: is missing (2 values)\n").arg(n);
        QTest::newRow("for firmware 1.06") << QByteArray("[PRINTER]\r\nModell=1\r\n[INTERFACE]\r\nBaudrateRS232=1\r\n")
                                           << QStringList{"--firmware", "1.06"} << 1
                                           << missing106 + "[PRINTER] Head: is missing\n"
                                              "note: The configuration names no firmware it was read from.\n"
                                              "note: It lacks 149 values; the Velmora keeps its own for them.\n"
                                              "note: Not written, as the firmware lacks them: INTERFACE\n"
                                              "write would compare %1 with a gateway of firmware 1.06 first\n";
        // The verdict write would give: written as it stands only for the
        // firmware the file was completely read from, in either form.
        const QByteArray read311 = clean + "[SOURCE]\r\nFirmware=3.11\r\nComplete=yes\r\n";
        QTest::newRow("read from 3.11, for 311") << read311 << QStringList{"--firmware", "311"} << 0 << "";
        QTest::newRow("read from 311, for 3.11") << QByteArray(clean + "[SOURCE]\r\nFirmware=311\r\n")
                                                 << QStringList{"--firmware", "3.11"} << 0 << "";
        QTest::newRow("read from 3.11, for 3.10") << read311 << QStringList{"--firmware", "3.10"} << 1
            << "note: The configuration was read from firmware 3.11; the Velmora has firmware 3.10.\n"
               "note: Not written, as the firmware lacks them: INTERFACE\n"
               "write would compare %1 with a gateway of firmware 3.10 first\n";
        QByteArray cut = clean + "[SOURCE]\r\nFirmware=3.11\r\nComplete=no\r\nRecords=45\r\n";
        QTest::newRow("read cut short") << cut << QStringList{"--firmware", "3.11"} << 1
            << "note: The read that made it was cut short (45 records stored).\n"
               "write would compare %1 with a gateway of firmware 3.11 first\n";
        QByteArray lacksEdv1 = read311;
        lacksEdv1.replace("[QVR8]\r\nQualitaet1=01\r\n", "[QVR8]\r\n");
        lacksEdv1.replace("[QVR8]\r\n", "[QVR8]\r\nQualitaet1=01\r\n");
        lacksEdv1.replace("EDV1=01\r\nEDV2=02\r\nEDV3=03\r\nEDV4=04\r\nEDV5=05\r\nEDV6=06\r\nEDV7=07\r\nEDV8=08\r\nEDV9=09\r\nEDV10=10\r\n[QVR9]",
                          "EDV2=02\r\nEDV3=03\r\nEDV4=04\r\nEDV5=05\r\nEDV6=06\r\nEDV7=07\r\nEDV8=08\r\nEDV9=09\r\nEDV10=10\r\n[QVR9]");
        QTest::newRow("a key missing, firmware named by the file") << lacksEdv1 << QStringList() << 1
            << "[QVR8] EDV1: is missing\n";
        // Warnings leave the status alone; unprintable characters show escaped.
        QByteArray doubtful = clean;
        doubtful.replace("[QVR2]\r\nQualitaet1=01", "[QVR2]\r\nQualitaet1=A1");
        doubtful.replace("Name=Produkt  5", "Name=Caf\xC3\xA9 \xC3\x96l");
        doubtful.replace("Name=Produkt  6", "Name=Bier\xE9");
        QTest::newRow("warnings") << doubtful << QStringList() << 0
            << "warning: [QVR2] Qualitaet1: \"A1\" is not two digits (00 to 99)\n"
               "warning: [PRODUKT5] Name: \"CafÃ© Ã–l\" looks typed as UTF-8 (\"Café Öl\") in a Windows-1252 file\n";
        // Control characters inside a value are named, never cut.
        QByteArray controls = clean;
        controls.replace("Name=Produkt  7", "Name=a\rb");
        controls.replace("Head=Deutsche Brantel", "Head=Tor\x1b" "3\xc2\x85");
        QTest::newRow("control characters") << controls << QStringList() << 1
            << "[PRINTER] Head: \"Tor\\x1b3\\x85\" holds the control character \"\\x1b\"\n"
               "[PRODUKT7] Name: \"a\\rb\" holds the control character \"\\r\"\n";
    }
    void checkNamesEveryProblem()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        Cli cli;
        const QString file = cli.path("site.ini");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        const Result r = cli.run(QStringList{"check", file} + arguments);
        QCOMPARE(status == 2 ? r.err : r.out, out.contains("%1") ? out.arg(file) : out);
        QCOMPARE(status == 2 ? r.out : r.err, QString());
        QCOMPARE(r.status, status);
        QCOMPARE(cli.run({"check", cli.path("none.ini")}).status, 2);
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
        QTest::newRow("a missing key differs from every value")
            << QByteArray("") << QByteArray("[QVR3]\nEDV2=03\n[PRINTER]\nModell=0\n[INTERFACE]\nBaudrateRS232=3\n")
            << 1
            << "[QVR3] EDV2: (missing) -> \"03\"\n"
               "[INTERFACE] BaudrateRS232: (missing) -> \"3\"\n"
               "[PRINTER] Modell: (missing) -> \"0\"\n";
        QTest::newRow("a value that does not fit differs")
            << QByteArray("[INTERFACE]\nBaudrateRS232=3\n") << QByteArray("[INTERFACE]\nBaudrateRS232=x\n") << 1
            << "[INTERFACE] BaudrateRS232: \"3\" -> \"x\"\n";
        QTest::newRow("values as the gateway holds them")
            << QByteArray("[INTERFACE]\nBaudrateRS232=03\n[PRODUKT4]\nName=\"  Super  \"\n[PRINTER]\nModell=1\nHead=\"  Tor 3 \"\n")
            << QByteArray("[INTERFACE]\nBaudrateRS232=3\n[PRODUKT4]\nName=\"   Super  \"\n[PRINTER]\nModell=01\nHead=Tor 3\n")
            << 0 << "";
        QTest::newRow("keys no record has")
            << QByteArray("; one\n[Site]\nA=1\n[QVR30]\nEDV1=1\n") << QByteArray("[Site]\nA=2\n") << 0 << "";
        QTest::newRow("values differ")
            << QByteArray("[QVR3]\nQualitaet2=77\n[QVR23]\nEDV10=01\n[PRODUKT20]\nName=Weizen\n")
            << QByteArray("[QVR23]\nEDV10=02\n[PRODUKT20]\nName=Pils\n[PRINTER]\nHead=Tor 3\n[INTERFACE]\nBaudrateRS485=5\n")
            << 1
            << "[QVR3] Qualitaet2: \"77\" -> (missing)\n"
               "[QVR23] EDV10: \"01\" -> \"02\"\n"
               "[PRODUKT20] Name: \"Weizen\" -> \"Pils\"\n"
               "[INTERFACE] BaudrateRS485: (missing) -> \"5\"\n"
               "[PRINTER] Head: (missing) -> \"Tor 3\"\n";
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
        QStringList arguments{command.left(5), "COM7", file, "--timeout", "1.5", "--reply-timeout", "1"};
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

    // One signal ends a command also where it waits on something no event
    // loop watches: here its standard output, which nobody reads.
    void oneSignalEndsACommandHeldByItsOutput()
    {
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311"}));
        const QString fifo = cli.path("out.fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(reader >= 0);
        // Smaller than the configuration, so that writing it blocks.
        QVERIFY(::fcntl(reader, F_SETPIPE_SZ, 4096) >= 4096);
        QProcess *p = cli.start({"read", "COM7", "-"}, fifo);
        int queued = 0;
        for (QDeadlineTimer deadline(20000); queued < 4096 && !deadline.hasExpired(); QThread::msleep(50))
            QCOMPARE(::ioctl(reader, FIONREAD, &queued), 0);
        QCOMPARE(queued, 4096);
        ::kill(pid_t(p->processId()), SIGTERM);
        const Result r = Cli::finish(p, 20000);
        ::close(reader);
        QCOMPARE(r.status, 143);
        QCOMPARE(r.err, QStringLiteral("velmora-cli: interrupted\n"));
        QCOMPARE(cli.leftovers(), QStringList({"velmora-cli"}));
    }

    // A command killed outright leaves its working folder beside the file
    // it was to replace, never in TMPDIR; the next command for that file
    // removes it and the copy a killed replace leaves, and nothing else.
    void killedCommandsLeaveNothingForTheNext_data()
    {
        QTest::addColumn<QStringList>("arguments"); // FILE: site.ini, BACKUP: backup.ini
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("killAt"); // a request the simulator has seen
        QTest::newRow("read") << QStringList{"read", "COM7", "FILE"} << "site.ini" << QByteArray("<- C0Z5\n");
        QTest::newRow("write with backup, while writing")
            << QStringList{"write", "COM7", "FILE", "--backup", "BACKUP"} << "backup.ini" << QByteArray("<- C1Z5");
    }
    void killedCommandsLeaveNothingForTheNext()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, target);
        QFETCH(QByteArray, killAt);
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311", "--pace", "--verbose"}));
        writeState(cli.path("site.ini"), newState);
        arguments.replaceInStrings("FILE", cli.path("site.ini")).replaceInStrings("BACKUP", cli.path("backup.ini"));
        // Not a command's: other names, and (for root) another user's folder.
        QStringList others{"." + target + ".velmora-temp-12345", "." + target + ".velmora-temp-1234567"};
        if (::geteuid() == 0)
            others << "." + target + ".velmora-temp-n0b0dy";
        for (const QString &other : others) {
            QVERIFY(QDir().mkdir(cli.path(other)));
            QVERIFY(QFile::copy(cli.path("site.ini"), cli.path(other) + "/read.ini"));
        }
        if (::geteuid() == 0)
            QCOMPARE(::chown(QFile::encodeName(cli.path(others.constLast())).constData(), 65534, 65534), 0);

        QProcess *p = cli.start(arguments);
        QVERIFY(cli.simLog(killAt).contains(killAt));
        ::kill(pid_t(p->processId()), SIGKILL);
        Cli::finish(p);
        QStringList killed = cli.leftovers().filter(
            QRegularExpression("^\\." + QRegularExpression::escape(target) + "\\.velmora-temp-[A-Za-z0-9]{6}$"));
        killed.removeIf([&](const QString &name) { return others.contains(name); });
        QCOMPARE(killed.size(), 1);
        QVERIFY(QFileInfo(cli.path(killed.first())).isDir());
        // And what a replace killed before its rename leaves.
        QVERIFY(QFile::copy(cli.path("site.ini"), cli.path("." + target + ".velmora-temp-k1LLed")));

        const Result r = cli.run(arguments);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QStringList kept = others + QStringList{"site.ini", "velmora-cli"};
        if (target == "backup.ini")
            kept << target;
        kept.sort();
        QCOMPARE(cli.leftovers(), kept);
    }

    // A command that clears away what killed commands left beside a file
    // leaves alone the working folder of one still running for that file.
    void aRunningCommandsFolderIsLeftAlone()
    {
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311", "--pace", "--verbose"}));
        QProcess second;
        QVERIFY(!startSimulator(second, cli.path("ports"), "COM8").isEmpty());
        const QString file = cli.path("site.ini");
        QProcess *slow = cli.start({"read", "COM7", file});
        QVERIFY(cli.simulatorSaw("C0Z5"));
        const Result quick = cli.run({"read", "COM8", file});
        const Result r = Cli::finish(slow);
        second.terminate();
        second.waitForFinished(5000);
        QCOMPARE(quick.status, 0);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(mismatches(file, layoutOf("311"), simState), QStringList());
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

    // --log holds the monitor's lines of the whole conversation: every
    // request the gateway saw, in order, each reply with its separator.
    void logHoldsTheMonitorLinesOfTheRun_data()
    {
        QTest::addColumn<QStringList>("arguments"); // FILE stands for the configuration
        QTest::newRow("read") << QStringList{"read", "COM7", "FILE"};
        QTest::newRow("write with backup") << QStringList{"write", "COM7", "FILE", "--backup", "FILE.bak"};
    }
    void logHoldsTheMonitorLinesOfTheRun()
    {
        QFETCH(QStringList, arguments);
        Cli cli;
        QVERIFY(cli.startSim({"--verbose"}));
        const QString file = cli.path("cfg.ini");
        writeState(file, newState);
        const QString log = cli.path("run.log");
        arguments.replaceInStrings("FILE", file);
        const Result r = cli.run(arguments + QStringList{"--log", log});
        QCOMPARE(r.status, 0);

        QStringList requestsSeen;
        for (const QByteArray &line : cli.simLog().split('\n')) {
            if (line.startsWith("gateway-sim: <- "))
                requestsSeen << QString::fromLatin1(line.mid(16));
        }
        QVERIFY(!requestsSeen.isEmpty());
        QStringList lines = QString::fromUtf8(bytesOf(log)).split(u'\n');
        QCOMPARE(lines.takeLast(), QString()); // every line ends with LF
        static const QRegularExpression stamped(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d # (>(c?)(.*)<[0-9A-F]{2})$"));
        const QString separator = QString(69, u'-') + u' ';
        QStringList requestsLogged;
        int replies = 0;
        for (int i = 0; i < lines.size(); ++i) {
            const QRegularExpressionMatch m = stamped.match(lines[i]);
            QVERIFY2(m.hasMatch(), qPrintable(lines[i]));
            if (m.captured(2).isEmpty()) {
                requestsLogged << m.captured(3);
                continue;
            }
            ++replies;
            QVERIFY(i + 1 < lines.size());
            QCOMPARE(lines[++i], separator);
        }
        QCOMPARE(requestsLogged, requestsSeen);
        QVERIFY(replies >= requestsSeen.size() - 1); // the polls before the first answer may go unanswered
    }

    // --log is checked as FILE and BACKUP are, before the port opens: it
    // never blocks, never writes through a link it may not, and keeps nothing.
    void logIsRefusedBeforeTheRun_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("log");   // in the test's folder, made as `setup` says
        QTest::addColumn<QString>("setup"); // "", "output", "read-only", "folder", "fifo", "link", "foreign link"
        QTest::addColumn<QString>("error"); // %1 the log, %2 its folder, %3 FILE
        const QString untrusted = "%1 is not written: it is a link owned by another user or lies in a folder "
                                  "that others may write to.";
        QTest::newRow("the configuration itself") << "read" << "good.ini" << "" << "%1: the log would replace %3";
        QTest::newRow("the backup") << "write" << "backup.ini" << "" << "%1: the log would replace %1";
        QTest::newRow("standard output") << "read -" << "out.ini" << "output" << "%1: the log would replace standard output";
        QTest::newRow("no folder") << "read" << "gone/run.log" << "" << "cannot write %1: the folder %2 does not exist";
        QTest::newRow("read-only file") << "read" << "ro.log" << "read-only" << "cannot write %1: the file is read-only";
        QTest::newRow("read-only folder") << "write" << "locked/run.log" << ""
                                          << "cannot write %1: the folder %2 is not writable";
        QTest::newRow("name too long") << "read" << QString(252, u'n') + ".log" << ""
                                       << "cannot write %1: the name is too long";
        QTest::newRow("folder") << "read" << "d.log" << "folder" << "%1: is a folder, not a configuration file";
        QTest::newRow("FIFO, read") << "read" << "fifo.log" << "fifo" << "%1: is not a regular file";
        QTest::newRow("FIFO, write") << "write" << "fifo.log" << "fifo" << "%1: is not a regular file";
        QTest::newRow("device") << "read" << "/dev/null" << "" << "%1: is not a regular file";
        QTest::newRow("own link to nothing") << "read" << "run.log" << "link to nothing"
                                             << "%1 is not written: it is a link to a file that does not exist.";
        QTest::newRow("own link in a shared folder") << "read" << "shared/run.log" << "link" << untrusted;
        QTest::newRow("another user's link, read") << "read" << "shared/run.log" << "foreign link" << untrusted;
        QTest::newRow("another user's link, write") << "write" << "shared/run.log" << "foreign link" << untrusted;
        QTest::newRow("another user's link to nothing") << "read" << "shared/run.log" << "foreign link to nothing"
                                                        << untrusted;
    }
    void logIsRefusedBeforeTheRun()
    {
        QFETCH(QString, command);
        QFETCH(QString, log);
        QFETCH(QString, setup);
        QFETCH(QString, error);
        if (setup.startsWith("foreign") && ::geteuid() != 0)
            QSKIP("giving a link to another user needs root");
        Cli cli;
        QVERIFY(cli.startSim({"--verbose"}));
        const QString good = cli.path("good.ini");
        writeState(good, newState);
        const QByteArray before = bytesOf(good);
        QFile::copy(good, cli.path("backup.ini"));
        const QString path = log.startsWith('/') ? log : cli.path(log);
        const QByteArray victimBytes("secret=1\n");
        const QString victim = cli.path("victim.conf");
        QFile out(victim);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(victimBytes);
        out.close();
        QVERIFY(QDir().mkpath(cli.path("locked")));
        QVERIFY(QFile::setPermissions(cli.path("locked"), QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(QDir().mkpath(cli.path("shared")));
        QCOMPARE(::chmod(QFile::encodeName(cli.path("shared")).constData(), 01777), 0);
        const QByteArray name = QFile::encodeName(path);
        if (setup == "read-only") {
            QVERIFY(QFile::copy(victim, path));
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        } else if (setup == "folder") {
            QVERIFY(QDir().mkpath(path));
        } else if (setup == "fifo") {
            QCOMPARE(::mkfifo(name.constData(), 0644), 0);
        } else if (setup.contains("link")) {
            const QString to = setup.endsWith("nothing") ? cli.path("nothing") : victim;
            QCOMPARE(::symlink(QFile::encodeName(to).constData(), name.constData()), 0);
            if (setup.startsWith("foreign"))
                QCOMPARE(::lchown(name.constData(), 65534, 65534), 0);
        }

        const QStringList arguments = command == "read"     ? QStringList{"read", "COM7", good}
                                      : command == "read -" ? QStringList{"read", "COM7", "-"}
                                                            : QStringList{"write", "COM7", good, "--backup", cli.path("backup.ini")};
        // Never waits for a reader of the FIFO.
        const Result r = Cli::finish(cli.start(arguments + QStringList{"--log", path}, setup == "output" ? path : QString()),
                                     20000);
        QFile::setPermissions(cli.path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(r.status, 2);
        error.replace("%3", good).replace("%2", QFileInfo(path).absolutePath()).replace("%1", path);
        QCOMPARE(r.err, "velmora-cli: " + error + "\n");
        QCOMPARE(bytesOf(good), before);
        QCOMPARE(bytesOf(victim), victimBytes);
        QVERIFY(!QFileInfo::exists(cli.path("nothing")));
        if (setup == "read-only")
            QCOMPARE(bytesOf(path), victimBytes);
        QVERIFY(!cli.simLog().contains("<- "));
        QStringList kept{"backup.ini", "good.ini", "velmora-cli", "victim.conf"};
        if (setup == "read-only" || setup == "output")
            kept << log;
        kept.sort();
        QCOMPARE(cli.leftovers(), kept);
    }

    void unwritableTargetsAreRefusedBeforeTheRun_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only file") << "read" << "ro.ini" << "cannot write %1: the file is read-only";
        QTest::newRow("read-only folder") << "read" << "locked/x.ini" << "cannot write %1: the folder %2 is not writable";
        QTest::newRow("no folder") << "read" << "gone/x.ini" << "cannot write %1: the folder %2 does not exist";
        QTest::newRow("name too long") << "read" << QString(252, u'n') + ".ini" << "cannot write %1: the name is too long";
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

    // A disk that fills up during the run: the target keeps its old bytes,
    // the command fails, and a failed backup writes nothing to the gateway.
    void fullDiskKeepsTheFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<qint64>("freeBytes");
        QTest::newRow("read, no space at all") << "read" << qint64(0);
        QTest::newRow("read, space for a part") << "read" << qint64(4096);
        QTest::newRow("backup, no space at all") << "backup" << qint64(0);
        QTest::newRow("backup, space for a part") << "backup" << qint64(4096);
    }
    void fullDiskKeepsTheFile()
    {
        QFETCH(QString, command);
        QFETCH(qint64, freeBytes);
        SmallDisk disk(256);
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311", "--verbose"}));
        const QString good = cli.path("good.ini");
        writeState(good, newState);
        const QString target = disk.filePath("site.ini");
        QVERIFY(QFile::copy(good, target));
        const QByteArray before = bytesOf(target);
        disk.fill(freeBytes);

        const Result r = command == "read" ? cli.run({"read", "COM7", target})
                                           : cli.run({"write", "COM7", good, "--backup", target});
        QCOMPARE(r.status, 2);
        QCOMPARE(r.err, "velmora-cli: cannot write " + target + ": No space left on device\n");
        QVERIFY2(!r.out.contains("records"), qPrintable(r.out));
        QCOMPARE(bytesOf(target), before);
        QCOMPARE(QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"filler", "site.ini"}));
        QVERIFY(!cli.simLog().contains("<- C1"));
    }

    // A log on a full disk does not stop the transfer: the command says why
    // the log is incomplete and what the transfer did, and ends with 3.
    void fullDiskLogSaysWhatTheTransferDid_data()
    {
        QTest::addColumn<QStringList>("arguments"); // FILE: the configuration
        QTest::addColumn<qint64>("freeBytes");
        QTest::addColumn<QString>("done");
        QTest::newRow("read") << QStringList{"read", "COM7", "FILE"} << qint64(0) << "configuration read into FILE";
        QTest::newRow("read to standard output") << QStringList{"read", "COM7", "-"} << qint64(0)
                                                 << "configuration written to standard output";
        QTest::newRow("write, space for a part") << QStringList{"write", "COM7", "FILE"} << qint64(4096)
                                                 << "configuration written and confirmed";
        QTest::newRow("write with backup, no read-back")
            << QStringList{"write", "COM7", "FILE", "--backup", "FILE.bak", "--no-verify"} << qint64(0)
            << "backup saved in FILE.bak, configuration written";
    }
    void fullDiskLogSaysWhatTheTransferDid()
    {
        QFETCH(QStringList, arguments);
        QFETCH(qint64, freeBytes);
        QFETCH(QString, done);
        SmallDisk disk(256);
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311", "--verbose"}));
        const QString file = cli.path("site.ini");
        const bool write = arguments.first() == "write";
        if (write)
            writeState(file, newState);
        const QString log = disk.filePath("run.log");
        disk.fill(freeBytes);
        arguments.replaceInStrings("FILE", file);

        const Result r = cli.run(arguments + QStringList{"--log", log});
        QCOMPARE(r.status, 3);
        QCOMPARE(r.err.split('\n', Qt::SkipEmptyParts).constLast(),
                 "velmora-cli: cannot write " + log + ": No space left on device; " + done.replace("FILE", file)
                     + "; the log is incomplete");
        if (write)
            QVERIFY(cli.simLog().contains("<- C1I2222"));
        else if (arguments.at(2) == "-")
            QVERIFY(r.out.contains("[SOURCE]\r\nComplete=yes\r\n"));
        else
            QCOMPARE(mismatches(file, layoutOf("311"), simState), QStringList());
        if (arguments.contains("--backup"))
            QCOMPARE(mismatches(file + ".bak", layoutOf("311"), simState), QStringList());
        // What fitted is there, up to the line that did not.
        QCOMPARE(bytesOf(log).isEmpty(), freeBytes == 0);
        QCOMPARE(QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"filler", "run.log"}));
    }

    // A link that another user could have planted is never written
    // through, and that is known before the port opens.
    void plantedLinksAreRefusedBeforeThePortOpens_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<bool>("foreignLink");
        QTest::newRow("read, sticky shared folder") << "read" << 01777 << true;
        QTest::newRow("read, group-writable folder") << "read" << 0775 << true;
        QTest::newRow("backup, sticky shared folder") << "backup" << 01777 << true;
        QTest::newRow("read, own link in a shared folder") << "read" << 01777 << false;
    }
    void plantedLinksAreRefusedBeforeThePortOpens()
    {
        QFETCH(QString, command);
        QFETCH(int, folderMode);
        QFETCH(bool, foreignLink);
        if (foreignLink && ::geteuid() != 0)
            QSKIP("giving a link to another user needs root");
        Cli cli;
        QVERIFY(cli.startSim({"--verbose"}));
        const QString good = cli.path("good.ini");
        writeState(good, newState);
        const QString victim = cli.path("victim.conf");
        QFile out(victim);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("secret=1\n");
        out.close();
        const QString folder = cli.path("shared");
        QVERIFY(QDir().mkdir(folder));
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), mode_t(folderMode)), 0);
        const QString link = folder + "/site.ini";
        QCOMPARE(::symlink(QFile::encodeName(victim).constData(), QFile::encodeName(link).constData()), 0);
        if (foreignLink)
            QCOMPARE(::lchown(QFile::encodeName(link).constData(), 65534, 65534), 0);

        const Result r = command == "read" ? cli.run({"read", "COM7", link})
                                           : cli.run({"write", "COM7", good, "--backup", link});
        QCOMPARE(r.status, 2);
        QCOMPARE(r.err, "velmora-cli: " + link + " is not written: it is a link owned by another user or lies "
                        "in a folder that others may write to.\n");
        QCOMPARE(bytesOf(victim), QByteArray("secret=1\n"));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(!cli.simLog().contains("<- "));
    }

    // A name that is not UTF-8 reaches the file it names, and is printed
    // with its own bytes; so does the log's.
    void namesThatAreNotUtf8()
    {
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "106"}));
        QProcess shell;
        shell.setWorkingDirectory(cli.dir.path());
        shell.start("/bin/sh", {"-c", "exec \"$0\" read COM7 \"$(printf 'caf\\351.ini')\" --log \"$(printf 'run\\351\\377.log')\"",
                                cli.exe});
        QVERIFY(shell.waitForFinished(120000));
        QCOMPARE(shell.exitCode(), 0);
        QVERIFY(shell.readAllStandardOutput().contains(" into caf\xE9.ini "));
        QList<QByteArray> names;
        DIR *dir = ::opendir(QFile::encodeName(cli.dir.path()).constData());
        QVERIFY(dir);
        while (const dirent *entry = ::readdir(dir))
            names << QByteArray(entry->d_name);
        ::closedir(dir);
        QVERIFY(names.contains("caf\xE9.ini"));
        QVERIFY(!names.contains("caf\xEF\xBF\xBD.ini"));
        QVERIFY(names.contains("run\xE9\xFF.log"));
        QVERIFY(!names.contains("run\xEF\xBF\xBD\xEF\xBF\xBD.log"));
        struct stat log;
        QCOMPARE(::stat((QFile::encodeName(cli.dir.path()) + "/run\xE9\xFF.log").constData(), &log), 0);
        QVERIFY(log.st_size > 0);
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
        QTest::newRow("unknown option") << QStringList{"read", "COM1", "a.ini", "--fast"} << "unknown option 'fast'; see velmora-cli --help";
        QTest::newRow("force for another command") << QStringList{"read", "COM1", "a.ini", "--force"} << "option --force does not apply to read; see velmora-cli --help";
        QTest::newRow("bad firmware") << QStringList{"check", "a.ini", "--firmware", "x1"} << "--firmware takes a version such as 3.11 or 311, not 'x1'";
        QTest::newRow("missing argument") << QStringList{"read", "COM1"} << "missing arguments for read; usage: velmora-cli read PORT FILE";
        QTest::newRow("extra argument") << QStringList{"diff", "a", "b", "c"} << "too many arguments for diff; usage: velmora-cli diff FILE1 FILE2";
        QTest::newRow("option of another command") << QStringList{"read", "COM1", "a.ini", "--no-verify"} << "option --no-verify does not apply to read; see velmora-cli --help";
        QTest::newRow("missing value") << QStringList{"write", "COM1", "a.ini", "--backup"} << "missing value after '--backup'; see velmora-cli --help";
        QTest::newRow("log of diff") << QStringList{"diff", "a.ini", "b.ini", "--log", "x.log"} << "option --log does not apply to diff; see velmora-cli --help";
        QTest::newRow("typing slip") << QStringList{"wirte", "COM1", "a.ini"} << "unknown command 'wirte'; did you mean 'write'? (see velmora-cli --help)";
        QTest::newRow("- as FILE of write") << QStringList{"write", "COM1", "-"} << "'-' cannot be the FILE of write; give a file name (only read writes to standard output with -)";
        QTest::newRow("- as BACKUP") << QStringList{"write", "COM1", "a.ini", "--backup", "-"} << "'-' cannot be the BACKUP of write; give a file name (only read writes to standard output with -)";
        QTest::newRow("- in diff") << QStringList{"diff", "a.ini", "-"} << "'-' cannot be the FILE of diff; give a file name (only read writes to standard output with -)";
        QTest::newRow("bad time-out") << QStringList{"read", "COM1", "a.ini", "--timeout", "-1"} << "--timeout takes a number of seconds above 0 and up to 86400, not '-1'";
        QTest::newRow("bad reply time-out") << QStringList{"write", "COM1", "a.ini", "--reply-timeout", "0"} << "--reply-timeout takes a number of seconds above 0 and up to 600, not '0'";
        QTest::newRow("reply time-out of check") << QStringList{"check", "a.ini", "--reply-timeout", "1"} << "option --reply-timeout does not apply to check; see velmora-cli --help";
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

    // A gateway at another site as the README reaches it: the simulator's
    // line behind a TCP server on the loopback address, and on the tool's
    // side a pseudo-terminal that socat links into ports/ as COM9.
    void readThroughSocatOverTcp_data()
    {
        QTest::addColumn<bool>("dropped"); // the connection ends in the middle of the read
        QTest::newRow("whole read") << false;
        QTest::newRow("connection dropped") << true;
    }
    void readThroughSocatOverTcp()
    {
        QFETCH(bool, dropped);
        QVERIFY2(!QStandardPaths::findExecutable("socat").isEmpty(),
                 "socat is missing; scripts/install-deps.sh --tests installs it");
        Cli cli;
        // Its own alias folder: the tool knows it only through COM9. Paced
        // where the run must still be under way when the connection drops.
        cli.device = startSimulator(cli.sim, cli.path("site"), "COM1",
                                    dropped ? QStringList{"--pace", "--verbose"} : QStringList{"--verbose"});
        QVERIFY(!cli.device.isEmpty());
        Socat server;
        QVERIFY2(server.start({"TCP-LISTEN:0,bind=127.0.0.1,reuseaddr", "FILE:" + cli.device + ",raw,echo=0"},
                              "listening on"),
                 server.log.constData());
        static const QRegularExpression listening(QStringLiteral("listening on AF=2 127\\.0\\.0\\.1:(\\d+)"));
        const QString port = listening.match(QString::fromLatin1(server.log)).captured(1);
        QVERIFY2(!port.isEmpty(), server.log.constData());
        QVERIFY(QDir().mkpath(cli.path("ports")));
        const QString alias = cli.path("ports/COM9");
        Socat client;
        QVERIFY2(client.start({"PTY,link=" + alias + ",raw,echo=0", "TCP:127.0.0.1:" + port},
                              "starting data transfer loop"),
                 client.log.constData());
        const QString pty = QFileInfo(alias).symLinkTarget();
        QVERIFY2(pty.startsWith("/dev/pts/"), qPrintable(pty));

        const QString file = cli.path("site.ini");
        writeState(file, newState);
        const QByteArray before = bytesOf(file);
        if (!dropped) {
            const Result r = cli.run({"read", "COM9", file});
            QCOMPARE(r.status, 0);
            QVERIFY2(r.out.startsWith("COM9 (" + pty + "): 46 records read into " + file), qPrintable(r.out));
            QCOMPARE(mismatches(file, layoutOf("311"), simState), QStringList());
            // The same socat serves the next command.
            QCOMPARE(cli.run({"diff", "COM9", file}).status, 0);
            return;
        }
        QProcess *p = cli.start({"read", "COM9", file});
        QVERIFY(cli.simulatorSaw("C0Z5"));
        server.process.kill();
        const Result r = Cli::finish(p);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.startsWith("velmora-cli: COM9 (" + pty + "): The connection to the Velmora was lost"),
                 qPrintable(r.err));
        QCOMPARE(bytesOf(file), before);
        // socat ends with its connection and takes the alias with it.
        QVERIFY(client.process.waitForFinished(10000));
        QVERIFY(!QFileInfo::exists(alias) && !QFileInfo(alias).isSymLink());
        QCOMPARE(cli.run({"read", "COM9", file}).err,
                 QStringLiteral("velmora-cli: COM9: no such port; 'velmora-cli ports' lists the ports\n"));
        QCOMPARE(cli.leftovers(), QStringList({"site.ini", "velmora-cli"}));
    }

    // On a terminal the progress line shows the share done and the time
    // left, redrawn in place and erased at the end; --quiet draws nothing
    // (a pipe gets nothing either: readBringsTheWholeStateAndKeepsTheRest).
    void progressOnATerminal_data()
    {
        QTest::addColumn<bool>("quiet");
        QTest::newRow("progress") << false;
        QTest::newRow("quiet") << true;
    }
    void progressOnATerminal()
    {
        QFETCH(bool, quiet);
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311", "--pace"}));
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(master >= 0);
        QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(terminal >= 0);
        const winsize size{24, 120, 0, 0};
        QCOMPARE(::ioctl(master, TIOCSWINSZ, &size), 0);
        QCOMPARE(::fcntl(master, F_SETFL, O_NONBLOCK), 0);

        const QString file = cli.path("site.ini");
        QStringList arguments{"read", "COM7", file};
        if (quiet)
            arguments << "--quiet";
        QProcess *p = cli.start(arguments, QString(), terminal);
        ::close(terminal);
        // Read as it comes, so that the terminal never fills.
        QByteArray shown;
        const auto drain = [&] {
            char buffer[4096];
            ssize_t n;
            while ((n = ::read(master, buffer, sizeof buffer)) > 0)
                shown.append(buffer, n);
        };
        while (!p->waitForFinished(50))
            drain();
        drain();
        ::close(master);
        const Result r = Cli::finish(p);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QString());
        if (quiet) {
            QCOMPARE(shown, QByteArray());
            return;
        }
        // Each drawing: "Reading [###...] 12/46  26%  0:01 left  <record>",
        // the twelfth request on its way.
        static const QRegularExpression drawing(QStringLiteral("Reading \\[[#.]{24}\\] (\\d+)/46 +(\\d+)%(  (\\d+):(\\d\\d) left)?"));
        int lastShare = -1;
        int estimates = 0;
        QRegularExpressionMatchIterator it = drawing.globalMatch(QString::fromUtf8(shown));
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            const int asked = m.captured(1).toInt();
            const int share = m.captured(2).toInt();
            QCOMPARE(share, asked * 100 / 46);
            QVERIFY2(share >= lastShare, qPrintable(m.captured(0)));
            lastShare = share;
            // A time left once a reply has set the pace.
            QCOMPARE(m.hasCaptured(3), asked > 1);
            if (m.hasCaptured(3)) {
                QVERIFY(m.captured(5).toInt() < 60);
                ++estimates;
            }
        }
        QVERIFY2(estimates >= 40, shown.constData());
        QVERIFY2(lastShare >= 97, shown.constData());
        QVERIFY2(shown.endsWith("\r\033[K"), shown.right(80).constData());
    }

    void readToStandardOutput()
    {
        Cli cli;
        QVERIFY(cli.startSim({"--firmware", "311"}));
        const QString file = cli.path("site.ini");
        QCOMPARE(cli.run({"read", "COM7", file}).status, 0);
        const Result r = cli.run({"read", "COM7", "-"});
        QCOMPARE(r.status, 0);
        // The same content, but for the time of the second read.
        const ReadContent stored = splitReadTime(bytesOf(file));
        const ReadContent printed = splitReadTime(r.out.toUtf8());
        QVERIFY(stored.time.isValid());
        QVERIFY2(printed.time >= stored.time, qPrintable(printed.time.toString(Qt::ISODate)));
        QCOMPARE(printed.withoutTime, stored.withoutTime);
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
               "[PRODUKT3] Name: \"     Sim 3\" -> \"Weizen\"\n"
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
        for (const char *word : {"ports", "read PORT FILE", "write PORT FILE", "diff FILE1 FILE2", "diff PORT FILE",
                                 "check FILE", "--backup", "--no-verify", "--force", "--firmware", "--timeout", "--reply-timeout", "--log",
                                 "--quiet", "--version", "Exit status"})
            QVERIFY2(r.out.contains(QLatin1String(word)), word);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
