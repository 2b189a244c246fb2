#include "cli/CliTransfer.h"

#include "texts/ErrorTexts.h"
#include "texts/Texts.h"
#include "cli/CliError.h"
#include "cli/Interrupts.h"
#include "cli/ProgressBar.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cerrno>
#include <optional>
#include <sys/stat.h>

namespace {

QString oneLine(const QString &text)
{
    return text.simplified();
}

} // namespace

QString EnglishErrorLine(const ReportedError &error)
{
    return oneLine(ErrorLine(error, Language::English));
}

QString EnglishFileErrorLine(const FileError &error)
{
    return FileErrorDetailLine(error, Language::English);
}

CliTransfer::CliTransfer(const QString &label, const QString &straysPath, ProgressBar &progress)
    : m_label(label), m_straysPath(straysPath), m_progress(progress), m_file(straysPath), m_session(m_file)
{
}

QString CliTransfer::failure(const QString &reason) const
{
    return m_label + QStringLiteral(": ") + reason;
}

void CliTransfer::connectTo(const QString &device, int timeoutMs)
{
    PortFailure refusal;
    if (!m_session.connectTo(device, &refusal)) {
        // A file, a folder or another kind of device: say so, not just the errno.
        struct stat st;
        const bool exists = ::stat(QFile::encodeName(device).constData(), &st) == 0;
        const bool notATerminal = (exists && !S_ISCHR(st.st_mode)) || refusal.systemError == ENOTTY;
        throw CliError(failure(PortOpenFailureLine(refusal, notATerminal, Language::English)));
    }
    m_session.setPortLabel(m_label);
    m_progress.note(QStringLiteral("Connecting to %1 ...").arg(m_label));

    QEventLoop loop;
    QString error;
    bool online = false;
    bool answered = false;
    const auto fail = [&](const QString &text) {
        if (error.isEmpty())
            error = text;
        loop.quit();
    };
    QObject::connect(&m_session, &GatewaySession::firmwareChanged, &loop, [&] {
        online = true;
        loop.quit();
    });
    QObject::connect(&m_session, &GatewaySession::stateChanged, &loop, [&](GatewaySession::State state) {
        answered = answered || state == GatewaySession::State::Online;
    });
    QObject::connect(&m_session, &GatewaySession::portLost, &loop,
                     [&](const PortFailure &loss) { fail(failure(oneLine(PortLostText(loss, Language::English)))); });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        const QString seconds = QString::number(timeoutMs / 1000.0, 'g', 6);
        fail(failure(answered ? QStringLiteral("the gateway answered but sent no version within %1 s").arg(seconds)
                              : QStringLiteral("no answer from the gateway within %1 s").arg(seconds)));
    });
    if (Interrupts *interrupts = Interrupts::instance()) {
        QObject::connect(interrupts, &Interrupts::interrupted, &loop,
                         [&] { fail(failure(QStringLiteral("interrupted"))); });
        if (interrupts->raised())
            error = failure(QStringLiteral("interrupted"));
    }
    deadline.start(timeoutMs);
    // The first poll goes out now; the session's timer repeats it each second.
    m_session.pollOnce();
    if (error.isEmpty())
        loop.exec();
    if (!online) {
        m_session.disconnect();
        throw CliError(error.isEmpty() ? failure(QStringLiteral("no answer from the gateway")) : error);
    }
}

QList<Record> CliTransfer::readToMemory(const QString &title, const QString &context)
{
    run(TransferRun::Kind::ReadToMemory, m_straysPath, title, context);
    return m_session.run().recordsRead();
}

void CliTransfer::run(TransferRun::Kind kind, const QString &workPath, const QString &title,
                      const QString &context, const QList<Record> &kept)
{
    if (!m_session.isOpen())
        throw CliError(failure(QStringLiteral("the port is closed")));
    TransferRun &run = m_session.run();
    m_file.setPath(workPath);
    m_records = 0;
    m_notTaken.clear();

    QEventLoop loop;
    // How the run ended; none while it goes on.
    std::optional<RunResult> result;
    ReportedError firstError;
    QString lost;
    QString step;
    QObject::connect(&run, &TransferRun::started, &loop, [&](int total) {
        m_records = total;
        m_progress.start(title, total);
    });
    QObject::connect(&run, &TransferRun::progressed, &loop, [&](int value, const RecordId &id) {
        const QString stepText = RunStepText(id, Language::English);
        step = stepText.isNull() ? CaptionText(Caption::PrinterGroup, Language::English) : stepText;
        m_progress.step(value, step);
    });
    QObject::connect(&run, &TransferRun::finished, &loop, [&](const RunResult &finishResult) {
        result = finishResult;
        // A lost port reports its reason right after the run has ended.
        loop.quit();
    });
    QObject::connect(&run, &TransferRun::valuesNotTaken, &loop,
                     [&](const QList<ValueDifference> &differences) { m_notTaken = differences; });
    QString refused;
    QObject::connect(&run, &TransferRun::valuesRefused, &loop, [&](const QList<ValueProblem> &problems) {
        refused = ValueProblemsText(problems, Language::English);
    });
    QObject::connect(&m_session, &GatewaySession::errorOccurred, &loop, [&](const ReportedError &error) {
        // A reply outside the run that could not be kept is none of its business.
        if (error.kind() == ReportedError::Kind::File && error.fileError().fileName() == m_straysPath
            && workPath != m_straysPath)
            return;
        if (firstError.isNull())
            firstError = error;
    });
    QObject::connect(&m_session, &GatewaySession::portLost, &loop, [&](const PortFailure &loss) {
        lost = PortLostText(loss, Language::English);
        loop.quit();
    });
    bool interrupted = false;
    if (Interrupts *interrupts = Interrupts::instance()) {
        QObject::connect(interrupts, &Interrupts::interrupted, &loop, [&] {
            interrupted = true;
            run.abort(RunResult::Outcome::Stopped);
        });
        interrupted = interrupts->raised();
    }
    // The run ends itself when a reply is missing; this only guards the
    // wait should it ever fail to.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, [&] {
        run.abort(RunResult::Outcome::NoReply);
        loop.quit();
    });

    if (!interrupted) {
        guard.start((m_session.features().progressTotal + 2) * (run.replyTimeout() + 1000));
        m_session.startRun(kind, kept);
        if (!result)
            loop.exec();
    }
    // Replies after the run go to the strays file, also those that come
    // while every record queued for the copy is written, before the copy is
    // used or removed.
    m_file.setPath(m_straysPath);
    m_session.writer().drain();
    m_progress.clear();
    if (!interrupted && ((result && result->ok()) || (!m_notTaken.isEmpty() && lost.isEmpty())))
        return;
    if (!refused.isEmpty())
        throw CliError(failure(refused));

    QString reason;
    if (interrupted)
        reason = QStringLiteral("interrupted");
    else if (!lost.isEmpty())
        reason = lost;
    else if (!firstError.isNull())
        reason = EnglishErrorLine(firstError);
    else if (!result)
        reason = NoReplyText(Language::English);
    else if (result->outcome == RunResult::Outcome::Failed)
        reason = EnglishErrorLine(result->error);
    else
        reason = RunResultText(*result, Language::English);
    if (!step.isEmpty())
        reason += QStringLiteral(" (at %1)").arg(step.trimmed());
    const QString text = failure(context + oneLine(reason));
    const ReportedError &stored = firstError.isNull() && result ? result->error : firstError;
    if (!interrupted && stored.kind() == ReportedError::Kind::File && stored.fileError().fileName() == workPath)
        throw WorkingFileError(text, stored.fileError());
    throw CliError(text);
}
