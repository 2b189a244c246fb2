// velmora-cli: back up, write, check and compare gateway configurations
// from a shell, with the window's port names, working-file rules and runs.
// Here: the arguments to a command, and its errors to a message and status.

#include "core/Errors.h"
#include "core/FileName.h"
#include "cli/CliError.h"
#include "cli/CliTransfer.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Interrupts.h"
#include "cli/ProgressBar.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// Qt's own diagnostics would break the one-line messages.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fputs(("velmora-cli: " + text.simplified() + u'\n').toUtf8().constData(), stderr);
}

// After an error: 128 + the signal's number when a signal ended the work
// (130 for Ctrl-C), as a shell reports it; otherwise 2.
int failureStatus()
{
    const Interrupts *interrupts = Interrupts::instance();
    return interrupts && interrupts->raised() ? 128 + interrupts->signal() : Failure;
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(quietMessages);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));

    // Taken from the bytes given, so that a name that is not UTF-8 names
    // the same file (QCoreApplication::arguments() would replace its bytes).
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << DecodeFileName(QByteArray(argv[i]));
    ProgressBar progress(false);
    try {
        const CommandLine line = CommandLine::parse(arguments);
        progress = ProgressBar(!line.quiet && ProgressBar::stderrIsTerminal());
        Interrupts::install();
        switch (line.command) {
        case CommandLine::Command::Help:
            std::fputs(CommandLine::helpText().toUtf8().constData(), stdout);
            return Success;
        case CommandLine::Command::Version:
            printOut(QStringLiteral("velmora-cli ") + QCoreApplication::applicationVersion());
            return Success;
        case CommandLine::Command::Ports:
            return commandPorts();
        case CommandLine::Command::Read:
            return commandRead(line, progress);
        case CommandLine::Command::Write:
            return commandWrite(line, progress);
        case CommandLine::Command::Diff:
            if (namesAGateway(line.arguments.at(0)))
                return commandDiffGateway(line, progress);
            return commandDiff(line);
        case CommandLine::Command::Check:
            return commandCheck(line);
        }
    } catch (const CliError &error) {
        progress.clear();
        std::fputs(EncodeFileName("velmora-cli: " + error.text() + u'\n').constData(), stderr);
        return failureStatus();
    } catch (const std::exception &error) {
        progress.clear();
        std::fputs(EncodeFileName("velmora-cli: " + EnglishErrorLine(ReportedError::of(error)) + u'\n').constData(),
                   stderr);
        return failureStatus();
    }
    return Failure;
}
