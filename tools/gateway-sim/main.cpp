// A simulated Velmora gateway on a pseudo-terminal, for trying the tool
// without hardware, for end-to-end tests and for benchmarks.
//
// It registers its terminal as an alias COM<n> in a ports/ folder, answers
// the version request, the poll and every read and write request with
// correctly framed records for the chosen firmware version, keeps its state
// in memory, can pace its output like a 9600 baud wire, can hold it in
// chunks as a USB serial adapter's latency timer does, and can misbehave on
// request. This file takes the options and sets up the terminal and its
// alias; the model, the faults and the link have files of their own. In
// flood mode it also sends its records on its own, round after round with
// new values: a gateway whose values change faster than anyone reads them.

#include "Faults.h"
#include "GatewayModel.h"
#include "Simulator.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace GatewaySim;

namespace {

QString g_aliasPath;

void removeAlias(int)
{
    if (!g_aliasPath.isEmpty())
        ::unlink(QFile::encodeName(g_aliasPath).constData());
    std::_Exit(0);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gateway-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated Velmora gateway on a pseudo-terminal."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("ports-dir"), QStringLiteral("Register the terminal as an alias in <folder>."), QStringLiteral("folder")},
        {QStringLiteral("name"), QStringLiteral("Alias name COM<n> (default: the lowest free from COM50)."), QStringLiteral("name")},
        {QStringLiteral("firmware"), QStringLiteral("Firmware version number, e.g. 106, 208, 310 (default 311)."), QStringLiteral("n"), QStringLiteral("311")},
        {QStringLiteral("pace"), QStringLiteral("Send replies at the speed of a 9600 baud wire.")},
        {QStringLiteral("latency"), QStringLiteral("Hold replies as a USB adapter with a latency timer of <ms> does (16 for the FTDI default, 1 in low-latency mode; default 0: none)."), QStringLiteral("ms"), QStringLiteral("0")},
        {QStringLiteral("fault"), QStringLiteral("Misbehave: none, bad-checksum, silence, prefix, unknown-letter, no-lf, delay, "
                                                      "other-record (answer with the next address or product), "
                                                      "duplicate (send a reply twice), "
                                                      "ignore-writes (store nothing, echo the old record), "
                                                      "short-records (points laid out for the next smaller firmware, "
                                                      "products one character short)."), QStringLiteral("kind"), QStringLiteral("none")},
        {QStringLiteral("fault-after"), QStringLiteral("Answer <n> requests correctly before misbehaving."), QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("fault-count"), QStringLiteral("Misbehave on <n> replies only (default: all)."), QStringLiteral("n"), QStringLiteral("-1")},
        {QStringLiteral("delay-ms"), QStringLiteral("Delay of the delay fault in ms (default 5000)."), QStringLiteral("ms"), QStringLiteral("5000")},
        {QStringLiteral("verbose"), QStringLiteral("Log requests and replies to standard error.")},
        {QStringLiteral("turnaround"), QStringLiteral("Log to standard error how long after a reply's last byte the next request came.")},
        {QStringLiteral("flood"), QStringLiteral("After the version request, send every record on its own, round after round with new values, "
                                                      "at <baud> (10 bits a byte; 0: as fast as the terminal takes them), "
                                                      "then say on standard output when it ended."), QStringLiteral("baud")},
        {QStringLiteral("flood-seconds"), QStringLiteral("Length of the flood in seconds (default 10)."), QStringLiteral("s"), QStringLiteral("10")},
    });
    parser.process(app);

    bool ok = false;
    const Fault fault = faultFromName(parser.value(QStringLiteral("fault")), &ok);
    if (!ok) {
        std::fprintf(stderr, "gateway-sim: unknown fault kind\n");
        return 2;
    }

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("gateway-sim: pseudo-terminal");
        return 1;
    }
    const QString slavePath = QString::fromLocal8Bit(::ptsname(master));
    // Keep one terminal end open ourselves, in raw mode, so that the master
    // stays readable while the tool has the port closed.
    const int slave = ::open(QFile::encodeName(slavePath).constData(), O_RDWR | O_NOCTTY);
    if (slave >= 0) {
        termios tio{};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }

    Gateway gateway;
    gateway.firmware = parser.value(QStringLiteral("firmware")).toInt();

    if (parser.isSet(QStringLiteral("ports-dir"))) {
        QDir dir(parser.value(QStringLiteral("ports-dir")));
        dir.mkpath(QStringLiteral("."));
        QString name = parser.value(QStringLiteral("name"));
        if (name.isEmpty()) {
            for (int n = 50;; ++n) {
                name = QStringLiteral("COM%1").arg(n);
                const QFileInfo existing(dir.filePath(name));
                if (!existing.isSymLink() || !QFile::exists(existing.symLinkTarget()))
                    break;
            }
        }
        g_aliasPath = dir.filePath(name);
        QFile::remove(g_aliasPath);
        if (!QFile::link(slavePath, g_aliasPath)) {
            std::fprintf(stderr, "gateway-sim: cannot create %s\n", qPrintable(g_aliasPath));
            return 1;
        }
        std::signal(SIGINT, removeAlias);
        std::signal(SIGTERM, removeAlias);
        std::signal(SIGHUP, removeAlias);
        std::printf("%s %s\n", qPrintable(name), qPrintable(slavePath));
    } else {
        std::printf("%s\n", qPrintable(slavePath));
    }
    std::fflush(stdout);

    Simulator simulator(master, gateway);
    simulator.pace = parser.isSet(QStringLiteral("pace"));
    simulator.fault = fault;
    simulator.faultAfter = parser.value(QStringLiteral("fault-after")).toInt();
    simulator.faultCount = parser.value(QStringLiteral("fault-count")).toInt();
    simulator.delayMs = parser.value(QStringLiteral("delay-ms")).toInt();
    simulator.verbose = parser.isSet(QStringLiteral("verbose"));
    simulator.turnaround = parser.isSet(QStringLiteral("turnaround"));
    simulator.setLatency(std::max(0, parser.value(QStringLiteral("latency")).toInt()));
    if (parser.isSet(QStringLiteral("flood")))
        simulator.setFlood(std::max(0.0, parser.value(QStringLiteral("flood")).toDouble()) / 10,
                           parser.value(QStringLiteral("flood-seconds")).toDouble());
    const int rc = app.exec();
    if (!g_aliasPath.isEmpty())
        QFile::remove(g_aliasPath);
    return rc;
}
