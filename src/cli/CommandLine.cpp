#include "cli/CommandLine.h"

#include "cli/CliError.h"

#include <QCommandLineParser>
#include <QVector>

#include <algorithm>
#include <cmath>

namespace {

QString seeHelp()
{
    return QStringLiteral("; see velmora-cli --help");
}

// Edits (insert, delete, replace a letter) that turn `a` into `b`.
int editDistance(const QString &a, const QString &b)
{
    QVector<int> row(b.size() + 1);
    for (int j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

QString CommandLine::helpText()
{
    return QStringLiteral(
        "Usage: velmora-cli COMMAND [ARGUMENTS] [OPTIONS]\n"
        "Reads, writes and compares the configuration of a Velmora gateway without a window.\n"
        "\n"
        "Commands:\n"
        "  ports                       List the serial ports after a header line, one a line\n"
        "                              in the window's order, in columns parted by tabs:\n"
        "                              COM<n>, the device path, its link in\n"
        "                              /dev/serial/by-id, for a USB adapter its vendor,\n"
        "                              product (number and name) and serial number ('-'\n"
        "                              where there is none), and what the port is.\n"
        "  read PORT FILE              Read every record of the gateway into FILE. FILE is\n"
        "                              created with the default contents when missing and\n"
        "                              replaced only when the whole read has succeeded; over\n"
        "                              an existing FILE it says how many values changed.\n"
        "                              FILE '-' writes the configuration to standard output.\n"
        "  write PORT FILE             Write every record of FILE to the gateway, then read\n"
        "                              them back and list what the gateway holds differently.\n"
        "                              A FILE that is not a complete read of a gateway of the\n"
        "                              same firmware is first compared with the gateway (see\n"
        "                              below).\n"
        "  diff FILE1 FILE2            List the gateway settings in which the two files\n"
        "                              differ, as the write command would send them.\n"
        "  diff PORT FILE              Read the gateway (into memory, nothing is written)\n"
        "                              and list where it differs from FILE: what writing\n"
        "                              FILE would change.\n"
        "  check FILE                  Check every value of FILE against the form its field\n"
        "                              takes, one line per value that does not fit or is\n"
        "                              missing for the firmware FILE names; 'warning:' lines\n"
        "                              for values that fit but may not be meant.\n"
        "\n"
        "PORT is a name COM<n> as 'velmora-cli ports' lists it, a device path, or a\n"
        "network address: rfc2217://HOST:PORT (a server that sets its line to 9600 8N1\n"
        "on request) or tcp://HOST:PORT (raw bytes; the line is set at the server).\n"
        "\n"
        "Options:\n"
        "  --backup BACKUP             write: first read the gateway into BACKUP; nothing is\n"
        "                              written when the backup fails.\n"
        "  --no-verify                 write: do not read the gateway back after writing.\n"
        "  --force                     write: also when the comparison finds changes (FILE\n"
        "                              read from other firmware, from a read cut short, with\n"
        "                              keys missing, or from no gateway at all).\n"
        "  --dry-run                   write: compare FILE with the gateway and list what a\n"
        "                              write would change; nothing is written.\n"
        "  --firmware VERSION          check: check for that firmware (e.g. 3.11 or 311),\n"
        "                              name the keys it would miss and the records it would\n"
        "                              ignore, and give the verdict write would give.\n"
        "  --timeout SECONDS           read, write, diff: how long to wait for the gateway to\n"
        "                              answer when connecting (default 10).\n"
        "  --connect-timeout SECONDS   read, write, diff: for a network port, how long to\n"
        "                              wait for the connection and the server's line\n"
        "                              settings (default 5).\n"
        "  --reply-timeout SECONDS     read, write, diff: how long to wait for each reply\n"
        "                              during a run (default 3).\n"
        "  --log LOG                   read, write: write every request and reply into LOG as\n"
        "                              the window's monitor shows them (plain text). LOG is\n"
        "                              checked as FILE is and replaced by a new file; a LOG\n"
        "                              that cannot be written completely does not stop the\n"
        "                              transfer (status 3).\n"
        "  -q, --quiet                 No progress and no summary; errors are still shown.\n"
        "  -h, --help                  Show this help.\n"
        "  -V, --version               Show the version.\n"
        "\n"
        "Progress (the share done and the time left) is shown on standard error when it is\n"
        "a terminal; results go to standard output.\n"
        "\n"
        "write checks every value of FILE before the port is opened and sends nothing when\n"
        "one does not fit its field. It refuses a FILE that holds no gateway settings. A\n"
        "FILE whose [SOURCE] names the gateway's firmware, from a read that completed, and\n"
        "that holds every key of the gateway's records is written as it stands. Any other\n"
        "FILE is compared with the gateway first (a read into memory): the values that\n"
        "would change are listed as '[SECTION] key: Velmora \"old\", file \"new\"', and\n"
        "nothing is written when there are any, unless --force is given. A key FILE lacks\n"
        "is never filled with a default: it keeps the gateway's value. read records the\n"
        "firmware, date, port and whether the read completed in FILE's [SOURCE].\n"
        "\n"
        "Exit status:\n"
        "  0  success, files equal, the gateway holds what was written, or FILE is clean\n"
        "  1  differences found (diff, write --dry-run, the check after write, values the\n"
        "     gateway did not take after write, also with --no-verify), or problems found\n"
        "     (check: values that do not fit or are missing, or a FILE that write would\n"
        "     compare first for --firmware)\n"
        "  2  an error: no answer, a port that cannot be opened or is lost, a missing or\n"
        "     malformed reply, a file that cannot be read or written or holds no gateway\n"
        "     settings, a value that does not fit, a comparison that finds changes without\n"
        "     --force, a bad command line\n"
        "  3  read or write did all its work, but LOG could not be written completely\n"
        "     (the message says why and what the transfer did); 1 and 2 go first\n"
        "  130  interrupted by Ctrl-C (128 + the signal's number for other signals), after\n"
        "     the temporary files are removed and FILE is left as it was\n");
}

CommandLine CommandLine::parse(const QStringList &argv)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("V"), QStringLiteral("version")}, QString());
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")}, QString());
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(), QStringLiteral("seconds"));
    const QCommandLineOption replyTimeout(QStringLiteral("reply-timeout"), QString(), QStringLiteral("seconds"));
    const QCommandLineOption connectTimeout(QStringLiteral("connect-timeout"), QString(), QStringLiteral("seconds"));
    const QCommandLineOption backup(QStringLiteral("backup"), QString(), QStringLiteral("file"));
    const QCommandLineOption noVerify(QStringLiteral("no-verify"), QString());
    const QCommandLineOption force(QStringLiteral("force"), QString());
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QString());
    const QCommandLineOption firmware(QStringLiteral("firmware"), QString(), QStringLiteral("version"));
    const QCommandLineOption log(QStringLiteral("log"), QString(), QStringLiteral("file"));
    parser.addOptions({help, version, quiet, timeout, replyTimeout, connectTimeout, backup, noVerify, force, dryRun, firmware, log});
    if (!parser.parse(argv)) {
        QString text = parser.errorText();
        if (text.endsWith(u'.'))
            text.chop(1);
        text[0] = text.at(0).toLower();
        throw CliError(text + seeHelp());
    }

    CommandLine line;
    if (parser.isSet(help)) {
        line.command = Command::Help;
        return line;
    }
    if (parser.isSet(version)) {
        line.command = Command::Version;
        return line;
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        throw CliError(QStringLiteral("no command given") + seeHelp());
    const QString name = positional.takeFirst();
    struct Shape { const char *name; Command command; int arguments; const char *usage; };
    static const Shape shapes[] = {
        {"ports", Command::Ports, 0, "ports"},
        {"read", Command::Read, 2, "read PORT FILE"},
        {"write", Command::Write, 2, "write PORT FILE [--backup BACKUP] [--no-verify] [--force | --dry-run]"},
        {"diff", Command::Diff, 2, "diff FILE1 FILE2"},
        {"check", Command::Check, 1, "check FILE [--firmware VERSION]"},
    };
    const Shape *shape = nullptr;
    for (const Shape &s : shapes) {
        if (name == QLatin1String(s.name))
            shape = &s;
    }
    if (!shape) {
        // A typing slip names the command meant; anything farther does not.
        const Shape *nearest = nullptr;
        int best = 3;
        for (const Shape &s : shapes) {
            const int distance = editDistance(name.toLower(), QLatin1String(s.name));
            if (distance < best) {
                best = distance;
                nearest = &s;
            }
        }
        if (nearest)
            throw CliError(QStringLiteral("unknown command '%1'; did you mean '%2'? (see velmora-cli --help)")
                               .arg(name, QLatin1String(nearest->name)));
        throw CliError(QStringLiteral("unknown command '%1'").arg(name) + seeHelp());
    }
    if (positional.size() != shape->arguments)
        throw CliError(QStringLiteral("%1 arguments for %2; usage: velmora-cli %3")
                           .arg(positional.size() < shape->arguments ? QStringLiteral("missing")
                                                                    : QStringLiteral("too many"),
                                name, QLatin1String(shape->usage)));
    for (const QString &argument : positional) {
        if (argument.isEmpty())
            throw CliError(QStringLiteral("empty argument for %1").arg(name) + seeHelp());
    }
    line.command = shape->command;
    line.arguments = positional;
    line.quiet = parser.isSet(quiet);

    const auto onlyFor = [&](const QCommandLineOption &option, std::initializer_list<Command> commands) {
        if (parser.isSet(option) && std::find(commands.begin(), commands.end(), line.command) == commands.end())
            throw CliError(QStringLiteral("option --%1 does not apply to %2")
                               .arg(option.names().constLast(), name) + seeHelp());
    };
    onlyFor(backup, {Command::Write});
    onlyFor(noVerify, {Command::Write});
    onlyFor(force, {Command::Write});
    onlyFor(dryRun, {Command::Write});
    onlyFor(firmware, {Command::Check});
    onlyFor(timeout, {Command::Read, Command::Write, Command::Diff});
    onlyFor(replyTimeout, {Command::Read, Command::Write, Command::Diff});
    onlyFor(connectTimeout, {Command::Read, Command::Write, Command::Diff});
    onlyFor(log, {Command::Read, Command::Write});

    // "-" stands for standard output only where a file is produced and
    // nothing else is: the read's FILE.
    const auto noDash = [&](const QString &argument, const char *what) {
        if (argument == QLatin1String("-"))
            throw CliError(QStringLiteral("'-' cannot be %1 of %2; give a file name (only read writes "
                                          "to standard output with -)")
                               .arg(QLatin1String(what), name));
    };
    if (line.command == Command::Write)
        noDash(line.arguments.at(1), "the FILE");
    if (line.command == Command::Diff) {
        noDash(line.arguments.at(0), "the first file");
        noDash(line.arguments.at(1), "the FILE");
    }
    if (line.command == Command::Read)
        noDash(line.arguments.at(0), "the PORT");
    if (line.command == Command::Check)
        noDash(line.arguments.at(0), "the FILE");

    if (parser.isSet(backup)) {
        line.backup = parser.value(backup);
        if (line.backup.isEmpty())
            throw CliError(QStringLiteral("--backup needs a file name") + seeHelp());
        noDash(line.backup, "the BACKUP");
    }
    if (parser.isSet(log)) {
        line.log = parser.value(log);
        if (line.log.isEmpty())
            throw CliError(QStringLiteral("--log needs a file name") + seeHelp());
        noDash(line.log, "the LOG");
    }
    line.verify = !parser.isSet(noVerify);
    line.force = parser.isSet(force);
    line.dryRun = parser.isSet(dryRun);
    // A dry run writes nothing, so nothing needs forcing or backing up.
    for (const QCommandLineOption *other : {&force, &backup, &noVerify}) {
        if (line.dryRun && parser.isSet(*other))
            throw CliError(QStringLiteral("--dry-run writes nothing; --%1 does not go with it")
                               .arg(other->names().constLast()) + seeHelp());
    }
    line.firmware = parser.value(firmware);
    // A number of seconds above 0 and up to `most`, in milliseconds.
    const auto milliseconds = [&](const QCommandLineOption &option, int most) {
        bool ok = false;
        const double seconds = parser.value(option).toDouble(&ok);
        if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > most)
            throw CliError(QStringLiteral("--%1 takes a number of seconds above 0 and up to %2, not '%3'")
                               .arg(option.names().constLast())
                               .arg(most)
                               .arg(parser.value(option)));
        return std::max(1, int(std::lround(seconds * 1000)));
    };
    if (parser.isSet(timeout))
        line.timeoutMs = milliseconds(timeout, 86400);
    if (parser.isSet(replyTimeout))
        line.replyTimeoutMs = milliseconds(replyTimeout, 600);
    if (parser.isSet(connectTimeout))
        line.connectTimeoutMs = milliseconds(connectTimeout, 600);
    return line;
}
