#include "cli/Commands.h"

#include "core/ConfigLayout.h"
#include "core/IniFile.h"
#include "core/NetworkAddress.h"
#include "core/PortDirectory.h"
#include "core/ProgramFolder.h"
#include "core/Records.h"
#include "core/SerialDeviceInfo.h"
#include "core/TrafficLog.h"
#include "core/WorkingFile.h"
#include "texts/Texts.h"
#include "cli/CliError.h"
#include "cli/CliFiles.h"
#include "cli/CliTransfer.h"
#include "cli/CommandLine.h"
#include "cli/ConfigDiff.h"
#include "cli/Interrupts.h"
#include "cli/PortTable.h"
#include "cli/ProgressBar.h"
#include "cli/Scratch.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

// File names are printed with the bytes they have on the system.
void printOut(const QString &line)
{
    std::fputs(EncodeFileName(line + u'\n').constData(), stdout);
}

namespace {

struct Port
{
    QString label;
    QString device;
};

bool isPortName(const QString &argument)
{
    static const QRegularExpression comName(QStringLiteral("^COM\\d+$"), QRegularExpression::CaseInsensitiveOption);
    return comName.match(argument).hasMatch();
}

// A name COM<n> as the window lists it (aliases in ports/ of the program
// folder first, then the devices found), or a device path.
Port resolvePort(const QString &argument)
{
    if (!isPortName(argument))
        return {argument, argument};
    const QVector<SerialPortEntry> ports = DiscoverSerialPorts(ProgramFolder() + QStringLiteral("ports/"));
    for (const SerialPortEntry &entry : ports) {
        if (entry.name.compare(argument, Qt::CaseInsensitive) == 0)
            return {QStringLiteral("%1 (%2)").arg(entry.name, entry.device), entry.device};
    }
    throw CliError(QStringLiteral("%1: no such port; 'velmora-cli ports' lists the ports").arg(argument));
}

WorkingFile::Snapshot snapshotOf(const WorkingFile &file)
{
    try {
        return file.snapshot();
    } catch (const FileError &error) {
        throw CliError(EnglishErrorLine(error));
    }
}

void checkInterrupt()
{
    if (Interrupts::instance() && Interrupts::instance()->raised())
        throw CliError(QStringLiteral("interrupted"));
}

// The bytes of a configuration file the command works from. A missing file
// is an error: starting from defaults would hide a mistyped name.
QByteArray existingProfile(const QString &file)
{
    const std::optional<QByteArray> content = CliFiles::readProfile(file);
    if (!content)
        throw CliError(EnglishFileErrorLine(FileError(FileError::Action::Read, file, FileError::Reason::SystemError, ENOENT)));
    return *content;
}

// One line per value the gateway holds other than it was sent.
void printValuesNotHeld(const QList<ValueDifference> &differences)
{
    for (const ValueDifference &d : differences)
        printOut(QStringLiteral("[%1] %2: sent %3, gateway has %4")
                     .arg(d.section, d.key, ConfigDiff::quoted(d.first), ConfigDiff::quoted(d.second)));
}

// What a write would change: why it was compared, the values one a line
// (on standard output, like diff), and the summary.
void printComparison(const WriteComparison &comparison, bool quiet)
{
    for (const QString &line : WhyComparedLines(comparison.check, Language::English))
        printOut(QStringLiteral("note: ") + line);
    for (const QString &missing : MissingLines(comparison.check.missing, Language::English))
        printOut(QStringLiteral("keeps the gateway's value: ") + missing);
    for (const ValueProblem &doubt : comparison.check.doubts)
        printOut(QStringLiteral("warning: ") + ValueProblemText(doubt, Language::English));
    for (const ValueDifference &change : comparison.changes)
        printOut(ComparisonLineText(change, Language::English));
    if (!quiet)
        printOut(ComparisonSummaryText(comparison, Language::English));
}

QString firmwareNote(const CliTransfer &transfer)
{
    return QStringLiteral("firmware %1").arg(transfer.versionText());
}

// A read-all run into `copy`, a working copy of the user's `file`, which is
// replaced by the result once the run has succeeded.
void readInto(CliTransfer &transfer, const QString &copy, const QString &file, const QString &title,
              const QString &context = QString())
{
    try {
        transfer.run(TransferRun::Kind::ReadAll, copy, title, context);
    } catch (const WorkingFileError &error) {
        // The copy is FILE as far as the user knows: a full disk under it is FILE's.
        throw CliError(EnglishFileErrorLine(error.error().shownAs(file)));
    }
    checkInterrupt();
    CliFiles::replace(file, Scratch::contents(copy));
}

// A command's working folder where no file of the user's is replaced.
QString programScratchPlace()
{
    return ProgramFolder() + QStringLiteral("velmora-cli");
}

// The --log file of a command: refused as FILE and BACKUP are, where they
// are, before the port opens; replaced by an empty log just before the port
// opens, so that it holds the whole conversation. A log that loses lines
// does not stop the transfer: the end says what the transfer did, and that
// the log is incomplete.
class CommandLog
{
public:
    // Never one of the command's configuration files, nor the file standard
    // output goes to: replaced, it would take the configuration with it.
    CommandLog(const CommandLine &line, const QStringList &files) : m_name(line.log)
    {
        if (m_name.isEmpty())
            return;
        for (const QString &file : files) {
            if (file == QLatin1String("-") && writesToOutput(m_name))
                throw CliError(QStringLiteral("%1: the log would replace standard output").arg(m_name));
            if (!file.isEmpty() && file != QLatin1String("-") && CliFiles::sameFile(m_name, file))
                throw CliError(QStringLiteral("%1: the log would replace %2").arg(m_name, file));
        }
        CliFiles::checkReplaceable(m_name);
    }

    void open(GatewaySession &session)
    {
        if (m_name.isEmpty())
            return;
        RemoveStaleTemporaryFiles(m_name);
        m_log = std::make_unique<TrafficLog>(session);
        try {
            m_log->open(m_name);
        } catch (const FileError &error) {
            m_log.reset();
            throw CliError(EnglishFileErrorLine(error.shownAs(m_name)));
        }
    }

    // The status of a command that did its work (`status`, `done` saying
    // what it did): LogIncomplete instead of Success when the log lost lines.
    int finish(int status, const QString &done)
    {
        const QString failure = failureText();
        if (failure.isEmpty())
            return status;
        std::fputs(
            EncodeFileName(QStringLiteral("velmora-cli: %1; %2; the log is incomplete\n").arg(failure, done)).constData(),
            stderr);
        return status == Success ? LogIncomplete : status;
    }

    // `error` with a line for a log that lost lines too.
    CliError withState(const CliError &error)
    {
        const QString failure = failureText();
        if (failure.isEmpty())
            return error;
        return CliError(error.text() + QStringLiteral("\nvelmora-cli: %1; the log is incomplete").arg(failure));
    }

private:
    static bool writesToOutput(const QString &name)
    {
        struct stat output, log;
        return ::fstat(STDOUT_FILENO, &output) == 0 && ::stat(EncodeFileName(name).constData(), &log) == 0
               && output.st_dev == log.st_dev && output.st_ino == log.st_ino;
    }

    // Why the log lost lines, in the words a refused file has; empty while it has not.
    QString failureText()
    {
        if (!m_log || m_log->close() == 0)
            return QString();
        return EnglishFileErrorLine(FileError(FileError::Action::Write, m_name, FileError::Reason::SystemError, m_log->error()));
    }

    QString m_name;
    std::unique_ptr<TrafficLog> m_log;
};

// The step every command that talks to the gateway starts with: its log
// (when it has one) opened, so that it holds the whole conversation, then
// the port opened and the gateway waited for, with the command's time-outs.
void connectGateway(CliTransfer &transfer, const Port &port, const CommandLine &line, CommandLog *log)
{
    if (log)
        log->open(transfer.session());
    transfer.setReplyTimeout(line.replyTimeoutMs);
    transfer.session().setConnectTimeout(line.connectTimeoutMs);
    transfer.connectTo(port.device, line.timeoutMs);
}

} // namespace

int commandPorts()
{
    const QVector<SerialPortEntry> ports = DiscoverSerialPorts(ProgramFolder() + QStringLiteral("ports/"));
    for (const QString &line : PortTableLines(ports, [](const QString &path) { return DescribeSerialDevice(path); }))
        printOut(line);
    return Success;
}

namespace {

// FILE "-": the configuration (the default contents with the gateway's
// records) goes to standard output, the summary to standard error.
int commandReadToOutput(const CommandLine &line, ProgressBar &progress)
{
    CommandLog log(line, {QStringLiteral("-")});
    const Port port = resolvePort(line.arguments.at(0));
    try {
        QByteArray content;
        QString summary;
        {
            // Closed and removed before the output is written: a reader that
            // never reads holds neither the port nor a copy.
            Scratch scratch(programScratchPlace(), QString());
            const QString copy = scratch.copy("read.ini", DefaultIniContent());
            CliTransfer transfer(port.label, scratch.path("strays.ini"), progress);
            connectGateway(transfer, port, line, &log);
            transfer.run(TransferRun::Kind::ReadAll, copy, QStringLiteral("Reading"));
            checkInterrupt();
            content = Scratch::contents(copy);
            summary = QStringLiteral("velmora-cli: %1: %2 records read (%3)\n")
                          .arg(port.label).arg(transfer.records()).arg(firmwareNote(transfer));
        }
        if (std::fwrite(content.constData(), 1, size_t(content.size()), stdout) != size_t(content.size())
            || std::fflush(stdout) != 0) {
            checkInterrupt();
            throw CliError(QStringLiteral("-: cannot write to standard output"));
        }
        if (!line.quiet)
            std::fputs(EncodeFileName(summary).constData(), stderr);
        return log.finish(Success, QStringLiteral("configuration written to standard output"));
    } catch (const CliError &error) {
        throw log.withState(error);
    }
}

// How many values of `file` a read changed, counted as diff counts them.
QString changedValuesNote(const QString &file, const QByteArray &before, const QByteArray &after)
{
    qsizetype changed = 0;
    try {
        changed = ConfigDiff::compare(WorkingFile::held(before), WorkingFile::held(after), ConfigDiff::largestLayout())
                      .size();
    } catch (const std::exception &) {
        return QStringLiteral("note: %1 was replaced").arg(file);
    }
    if (changed == 0)
        return QStringLiteral("note: no value of %1 changed").arg(file);
    return QStringLiteral("note: %1 %2 of %3 changed")
        .arg(changed)
        .arg(changed == 1 ? QStringLiteral("value") : QStringLiteral("values"), file);
}

} // namespace

int commandRead(const CommandLine &line, ProgressBar &progress)
{
    const QString &file = line.arguments.at(1);
    if (file == QLatin1String("-"))
        return commandReadToOutput(line, progress);
    const QString target = CliFiles::checkReplaceable(file);
    CommandLog log(line, {file});
    const std::optional<QByteArray> before = CliFiles::readProfile(file);
    const Port port = resolvePort(line.arguments.at(0));
    try {
        // The copy the read fills lies beside FILE: a disk too full for FILE
        // is known before the port opens.
        RemoveStaleTemporaryFiles(file);
        Scratch scratch(target, file);
        const QString copy = scratch.copy("read.ini", before ? *before : DefaultIniContent());
        CliTransfer transfer(port.label, scratch.path("strays.ini"), progress);
        connectGateway(transfer, port, line, &log);
        readInto(transfer, copy, file, QStringLiteral("Reading"));
        if (!line.quiet) {
            printOut(QStringLiteral("%1: %2 records read into %3 (%4)")
                         .arg(port.label).arg(transfer.records()).arg(file, firmwareNote(transfer)));
            // FILE is replaced all the same; the note tells what local edits it took.
            if (before)
                printOut(changedValuesNote(file, *before, Scratch::contents(copy)));
        }
        return log.finish(Success, QStringLiteral("configuration read into %1").arg(file));
    } catch (const CliError &error) {
        throw log.withState(error);
    }
}

namespace {

// A word as a shell takes it back: quoted unless it is plain.
QString shellWord(const QString &word)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:=@%+,-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    return u'\'' + QString(word).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

} // namespace

int commandWrite(const CommandLine &line, ProgressBar &progress)
{
    const QString &file = line.arguments.at(1);
    const QByteArray source = existingProfile(file);
    // Every value is checked before the port is opened, for every firmware:
    // nothing is sent from a file that would shift a field.
    const WorkingFile::Snapshot snapshot = snapshotOf(WorkingFile::held(source));
    if (!HoldsAnyRecord(snapshot))
        throw CliError(NoRecordsText(file, Language::English));
    const QList<ValueProblem> problems = CheckFile(snapshot, ConfigLayout::largestLayout());
    if (!problems.isEmpty())
        throw CliError(QStringLiteral("%1: ").arg(file) + ValueProblemsText(problems, Language::English));
    const bool backup = !line.backup.isEmpty();
    std::optional<QByteArray> backupBefore;
    QString backupTarget;
    if (backup) {
        if (CliFiles::sameFile(line.backup, file))
            throw CliError(QStringLiteral("%1: the backup would replace the file to be written").arg(line.backup));
        backupTarget = CliFiles::checkReplaceable(line.backup);
        backupBefore = CliFiles::readProfile(line.backup);
    }
    CommandLog log(line, {file, line.backup});
    const Port port = resolvePort(line.arguments.at(0));
    try {
        if (backup)
            RemoveStaleTemporaryFiles(line.backup);
        // Beside the backup, or in the program's folder without one. Every
        // copy is made before the port opens: a full disk stops nothing
        // half way.
        Scratch scratch(backup ? backupTarget : programScratchPlace(), line.backup);
        const QString backupCopy =
            backup ? scratch.copy("backup.ini", backupBefore ? *backupBefore : DefaultIniContent()) : QString();
        // The write-all stores the gateway's answers in its working file: a
        // copy, so that FILE stays the configuration it was. What was sent
        // stays in memory.
        const QString writeCopy = line.dryRun ? QString() : scratch.copy("write.ini", source);
        CliTransfer transfer(port.label, scratch.path("strays.ini"), progress);
        connectGateway(transfer, port, line, &log);

        // A file the tool cannot vouch for is compared with the gateway first:
        // nothing is written that the user has not seen change.
        const WriteCheck check = CheckWrite(snapshot, transfer.features(), transfer.versionText());
        QList<Record> kept;
        if (line.dryRun || !check.vouchedFor()) {
            kept = transfer.readToMemory(QStringLiteral("Comparing"),
                                         QStringLiteral("the comparison failed, nothing written: "));
            checkInterrupt();
            const WriteComparison comparison = CompareWrite(snapshot, transfer.features(), check, kept);
            printComparison(comparison, line.quiet);
            if (line.dryRun)
                return log.finish(comparison.changesNothing() ? Success : Differences,
                                  QStringLiteral("compared, nothing written"));
            if (!comparison.changesNothing() && !line.force)
                throw CliError(QStringLiteral("%1: nothing written: ").arg(port.label)
                               + ComparisonSummaryText(comparison, Language::English)
                               + QStringLiteral("\nvelmora-cli: --force writes it all the same; --dry-run lists the changes"));
        }

        QString done;
        if (backup) {
            readInto(transfer, backupCopy, line.backup, QStringLiteral("Backing up"),
                     QStringLiteral("backup failed, nothing written: "));
            scratch.remove("backup.ini");
            if (!line.quiet)
                printOut(QStringLiteral("%1: %2 records saved in %3 (%4)")
                             .arg(port.label).arg(transfer.records()).arg(line.backup, firmwareNote(transfer)));
            done = QStringLiteral("backup saved in %1, ").arg(line.backup);
        }

        try {
            transfer.run(TransferRun::Kind::WriteAll, writeCopy, QStringLiteral("Writing"),
                         QStringLiteral("writing stopped, the gateway may hold part of %1: ").arg(file), kept);
            checkInterrupt();
        } catch (const CliError &error) {
            if (!backup)
                throw;
            // The gateway may hold a mix of old and new: say how to go back.
            throw CliError(error.text() + QStringLiteral("\nvelmora-cli: to restore the gateway from the backup: velmora-cli write %1 %2")
                                              .arg(shellWord(line.arguments.at(0)), shellWord(QFileInfo(line.backup).absoluteFilePath())));
        }
        done += QStringLiteral("configuration written");
        if (!line.quiet)
            printOut(QStringLiteral("%1: %2 records written from %3 (%4)")
                         .arg(port.label).arg(transfer.records()).arg(file, firmwareNote(transfer)));
        const QList<ValueDifference> notTaken = transfer.notTaken();
        printValuesNotHeld(notTaken);
        if (!notTaken.isEmpty()) {
            std::fprintf(stderr, "velmora-cli: %s: the gateway did not take %d value(s)\n",
                         EncodeFileName(port.label).constData(), int(notTaken.size()));
            return log.finish(Differences, done + QStringLiteral(", not all of it taken"));
        }
        if (!line.verify)
            return log.finish(Success, done);

        // Read back into memory and compared as the echoes were: what the file
        // would store of it could lose a name's blanks.
        const QList<Record> held = transfer.readToMemory(QStringLiteral("Verifying"),
                                                         QStringLiteral("written, but the check failed: "));
        checkInterrupt();
        const QList<ValueDifference> differences = ValuesNotHeld(snapshot, transfer.features(), kept, held);
        printValuesNotHeld(differences);
        if (!differences.isEmpty()) {
            std::fprintf(stderr, "velmora-cli: %s: the gateway holds %d value(s) other than written\n",
                         EncodeFileName(port.label).constData(), int(differences.size()));
            return log.finish(Differences, done + QStringLiteral(", but the gateway holds values other than written"));
        }
        if (!line.quiet)
            printOut(QStringLiteral("%1: the gateway holds what was written").arg(port.label));
        return log.finish(Success, done + QStringLiteral(" and confirmed"));
    } catch (const CliError &error) {
        throw log.withState(error);
    }
}

int commandCheck(const CommandLine &line)
{
    const QString &file = line.arguments.at(0);
    if (!line.firmware.isEmpty() && !ConfigLayout::featuresOfVersion(line.firmware))
        throw CliError(QStringLiteral("--firmware takes a version such as 3.11 or 311, not '%1'").arg(line.firmware));
    const WorkingFile::Snapshot snapshot = snapshotOf(WorkingFile::held(existingProfile(file)));
    // The firmware asked for, or else the one the file was read from; keys
    // are missing only for a known firmware.
    const QString recorded =
        snapshot.read(QLatin1String(ConfigLayout::SourceSection), QLatin1String(ConfigLayout::SourceFirmwareKey), QString())
            .trimmed();
    const QString firmware = line.firmware.isEmpty() ? recorded : line.firmware;
    std::optional<FirmwareFeatures> named;
    if (!firmware.isEmpty())
        named = ConfigLayout::featuresOfVersion(firmware);
    const FirmwareFeatures features = named ? *named : ConfigLayout::largestLayout();
    // No configuration at all: refused as write refuses it.
    if (!HoldsAnyRecord(snapshot))
        throw CliError(QStringLiteral("%1 holds no settings of the Velmora; nothing to check").arg(file));
    bool problems = false;
    const WriteCheck check = CheckWrite(snapshot, features, firmware);
    for (const ValueProblem &problem : check.problems) {
        printOut(ValueProblemText(problem, Language::English));
        problems = true;
    }
    if (named && check.holdsRecords) {
        for (const QString &missing : MissingLines(check.missing, Language::English)) {
            printOut(missing);
            problems = true;
        }
    }
    for (const ValueProblem &doubt : check.doubts)
        printOut(QStringLiteral("warning: ") + ValueProblemText(doubt, Language::English));
    if (!named && !recorded.isEmpty())
        printOut(QStringLiteral("note: [SOURCE] names firmware '%1', which is no version; "
                                "missing keys are checked with --firmware").arg(recorded));
    if (!line.firmware.isEmpty()) {
        // The verdict write gives: a file it cannot vouch for is compared first.
        if (check.vouchedFor() && !check.skipped.isEmpty())
            printOut(QStringLiteral("note: ") + SkippedRecordsText(check.skipped, Language::English));
        if (!check.vouchedFor()) {
            for (const QString &reason : WhyComparedLines(check, Language::English))
                printOut(QStringLiteral("note: ") + reason);
            printOut(QStringLiteral("write would compare %1 with a gateway of firmware %2 first")
                         .arg(file, line.firmware));
            problems = true;
        }
    }
    return problems ? Differences : Success;
}

namespace {

// Lists where `second` differs from `first` for the records of `features`,
// one line each ("[SECTION] key: first -> second"); diff's status.
int printDifferences(const WorkingFile &first, const WorkingFile &second, const FirmwareFeatures &features)
{
    QList<ConfigDifference> differences;
    try {
        differences = ConfigDiff::compare(first, second, features);
    } catch (const FileError &error) {
        throw CliError(EnglishErrorLine(error));
    }
    for (const ConfigDifference &d : differences)
        printOut(QStringLiteral("[%1] %2: %3 -> %4")
                     .arg(d.section, d.key, ConfigDiff::quoted(d.first), ConfigDiff::quoted(d.second)));
    return differences.isEmpty() ? Success : Differences;
}

} // namespace

int commandDiff(const CommandLine &line)
{
    // Compared from copies in memory: checked once, and not changed under us.
    QList<WorkingFile> copies;
    for (int i = 0; i < 2; ++i)
        copies << WorkingFile::held(existingProfile(line.arguments.at(i)));
    return printDifferences(copies[0], copies[1], ConfigDiff::largestLayout());
}

// diff's first argument names a gateway when it is a port name COM<n> that
// is no file here, or a character device other than /dev/null (or a
// missing one: an unplugged adapter), or a network address.
bool namesAGateway(const QString &argument)
{
    if (NetworkAddress::looksLikeAddress(argument))
        return true;
    struct stat st;
    if (::stat(EncodeFileName(argument).constData(), &st) != 0)
        return isPortName(argument) || argument.startsWith(QLatin1String("/dev/"));
    return S_ISCHR(st.st_mode) && QFileInfo(argument).canonicalFilePath() != QLatin1String("/dev/null");
}

// The gateway against FILE, as writing FILE would change it: a read-all into
// a private copy, compared for the records the firmware has. Neither FILE
// nor the gateway is changed.
int commandDiffGateway(const CommandLine &line, ProgressBar &progress)
{
    const QByteArray content = existingProfile(line.arguments.at(1));
    const Port port = resolvePort(line.arguments.at(0));
    // Only replies outside the run would be stored there.
    Scratch scratch(programScratchPlace(), QString());
    CliTransfer transfer(port.label, scratch.path("strays.ini"), progress);
    connectGateway(transfer, port, line, nullptr);
    // Compared in memory as a write's echoes are: a key FILE lacks would keep
    // the gateway's value, and a name keeps its blanks.
    const QList<Record> gateway = transfer.readToMemory(QStringLiteral("Reading"));
    checkInterrupt();
    const WorkingFile::Snapshot snapshot = snapshotOf(WorkingFile::held(content));
    const QList<ValueDifference> changes =
        CompareWrite(snapshot, transfer.features(), CheckWrite(snapshot, transfer.features(), transfer.versionText()),
                     gateway)
            .changes;
    for (const ValueDifference &d : changes)
        printOut(QStringLiteral("[%1] %2: %3 -> %4")
                     .arg(d.section, d.key, ConfigDiff::quoted(d.first), ConfigDiff::quoted(d.second)));
    return changes.isEmpty() ? Success : Differences;
}
