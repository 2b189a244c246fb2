#include "cli/CliTransfer.h"

#include "cli/CliError.h"
#include "cli/Interrupts.h"
#include "cli/ProgressBar.h"
#include "core/Texts.h"

#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

QString oneLine(const QString &text)
{
    return text.simplified();
}

} // namespace

QString EnglishText(const QString &text)
{
    QString t = text.trimmed();
    // Two-language texts give the German line first.
    const qsizetype lf = t.lastIndexOf(u'\n');
    if (lf >= 0 && t.left(lf).contains(u'\n') == false && t.size() > lf + 1)
        t = t.mid(lf + 1);
    static const QRegularExpression cannotWrite(QStringLiteral("^In (.*) kann nicht geschrieben werden$"));
    static const QRegularExpression notANumber(QStringLiteral("^'(.*)' ist kein gültiger Integerwert$"));
    if (const auto m = cannotWrite.match(t); m.hasMatch())
        return QStringLiteral("cannot write %1").arg(m.captured(1));
    if (const auto m = notANumber.match(t); m.hasMatch())
        return QStringLiteral("'%1' is not a valid whole number").arg(m.captured(1));
    return oneLine(t);
}

CliTransfer::CliTransfer(const QString &label, const QString &straysPath, ProgressBar &progress)
    : m_label(label), m_straysPath(straysPath), m_progress(progress), m_file(straysPath), m_session(m_file)
{
    m_session.setLanguage(1);
}

QString CliTransfer::failure(const QString &reason) const
{
    return m_label + QStringLiteral(": ") + reason;
}

void CliTransfer::connectTo(const QString &device, int timeoutMs)
{
    QString reason;
    if (!m_session.connectTo(device, &reason)) {
        // A file, a folder or another kind of device: say so, not just the errno.
        struct stat st;
        const bool exists = ::stat(QFile::encodeName(device).constData(), &st) == 0;
        const bool notATerminal = (exists && !S_ISCHR(st.st_mode))
                                  || reason == QString::fromLocal8Bit(std::strerror(ENOTTY));
        QString text = notATerminal ? failure(QStringLiteral("is not a serial port (%1)").arg(oneLine(reason)))
                                    : failure(QStringLiteral("cannot open the port: ") + oneLine(reason));
        if (m_session.lastOpenWasPermissionError())
            text += QStringLiteral(" (") + oneLine(PermissionHintText(1)) + u')';
        throw CliError(text);
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
                     [&](const QString &text) { fail(failure(oneLine(text))); });
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

void CliTransfer::run(TransferRun::Kind kind, const QString &workPath, const QString &title,
                      const QString &context)
{
    if (!m_session.isOpen())
        throw CliError(failure(QStringLiteral("the port is closed")));
    TransferRun &run = m_session.run();
    m_file.setPath(workPath);
    m_records = 0;
    m_notTaken.clear();

    QEventLoop loop;
    bool done = false;
    bool ok = false;
    QString text;
    QString firstError;
    QString lost;
    QString step;
    QObject::connect(&run, &TransferRun::started, &loop, [&](int total) {
        m_records = total;
        m_progress.start(title, total);
    });
    QObject::connect(&run, &TransferRun::progressed, &loop, [&](int value, const QString &stepText) {
        step = stepText.isNull() ? TextPair(4, 1) : stepText;
        m_progress.step(value, step);
    });
    QObject::connect(&run, &TransferRun::finished, &loop, [&](bool success, const QString &finishText) {
        done = true;
        ok = success;
        text = finishText;
        // A lost port reports its reason right after the run has ended.
        loop.quit();
    });
    QObject::connect(&run, &TransferRun::valuesNotTaken, &loop,
                     [&](const QList<ValueDifference> &differences) { m_notTaken = differences; });
    QString refused;
    QObject::connect(&run, &TransferRun::valuesRefused, &loop, [&](const QList<ValueProblem> &problems) {
        refused = ValueProblemsText(problems, 1);
    });
    QObject::connect(&m_session, &GatewaySession::errorOccurred, &loop, [&](const QString &error) {
        if (firstError.isEmpty())
            firstError = error;
    });
    QObject::connect(&m_session, &GatewaySession::portLost, &loop, [&](const QString &message) {
        lost = message;
        loop.quit();
    });
    bool interrupted = false;
    if (Interrupts *interrupts = Interrupts::instance()) {
        QObject::connect(interrupts, &Interrupts::interrupted, &loop, [&] {
            interrupted = true;
            run.abort(QStringLiteral("interrupted"));
        });
        interrupted = interrupts->raised();
    }
    // The run ends itself when a reply is missing; this only guards the
    // wait should it ever fail to.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, [&] {
        run.abort(NoReplyText(1));
        loop.quit();
    });

    if (!interrupted) {
        guard.start((m_session.features().progressTotal + 2) * (run.replyTimeout() + 1000));
        m_session.startRun(kind);
        if (!done)
            loop.exec();
    }
    // Every record queued for the disk is written before the copy is used
    // or removed; replies after the run go to the strays file.
    m_session.writer().drain();
    m_file.setPath(m_straysPath);
    m_progress.clear();
    if (!interrupted && (ok || (!m_notTaken.isEmpty() && lost.isEmpty())))
        return;
    if (!refused.isEmpty())
        throw CliError(failure(refused));

    QString reason;
    if (interrupted)
        reason = QStringLiteral("interrupted");
    else if (!lost.isEmpty())
        reason = lost;
    else if (!firstError.isEmpty())
        reason = EnglishText(firstError);
    else
        reason = text.isEmpty() ? NoReplyText(1) : EnglishText(text);
    if (!step.isEmpty())
        reason += QStringLiteral(" (at %1)").arg(step.trimmed());
    throw CliError(failure(context + oneLine(reason)));
}
