#pragma once
// One gateway session driven from the command line: connect as the window's
// connect button does, then read-all and write-all runs, each waited for in
// an event loop that always ends (connect time-out, the run's reply
// time-out, a lost port, an interrupt).

#include "core/Errors.h"
#include "core/GatewaySession.h"
#include "core/TransferRun.h"
#include "core/WorkingFile.h"
#include "cli/CliError.h"

#include <QString>

class ProgressBar;

// A run stopped because its working file could not be written: a caller
// whose working file is a copy of the user's reports it as that file.
class WorkingFileError : public CliError
{
public:
    WorkingFileError(const QString &text, const FileError &error) : CliError(text), m_error(error) {}
    const FileError &error() const { return m_error; }

private:
    FileError m_error;
};

class CliTransfer
{
public:
    // `label` names the port in messages ("COM7 (/dev/ttyUSB0)"); replies
    // that arrive outside a run are stored in `straysPath`, never in a
    // file of the user's.
    CliTransfer(const QString &label, const QString &straysPath, ProgressBar &progress);

    // Opens `device` at 9600 8N1, polls until the gateway answers and
    // waits for its version. Throws CliError after `timeoutMs` without it.
    void connectTo(const QString &device, int timeoutMs);
    // How long a run waits for each reply.
    void setReplyTimeout(int ms) { m_session.run().setReplyTimeout(ms); }
    // One run with `workPath` as the working file; `title` heads the
    // progress line. Throws CliError when the run does not end with OK, its
    // text led by `context` (what the failure means for the user), except
    // for a write-all that sent everything and whose echoes differ: that
    // returns, and notTaken() lists the values.
    // A write-all's missing keys keep the values of `kept`, the gateway's
    // records read before. A run stopped because `workPath` could not be
    // written throws WorkingFileError.
    void run(TransferRun::Kind kind, const QString &workPath, const QString &title,
             const QString &context = QString(), const QList<Record> &kept = {});
    // Every record of the gateway, read into memory; nothing is stored.
    QList<Record> readToMemory(const QString &title, const QString &context = QString());

    GatewaySession &session() { return m_session; }
    const FirmwareFeatures &features() const { return m_session.features(); }
    QString versionText() const { return m_session.versionText(); }
    // Records handled by the last run.
    int records() const { return m_records; }
    // The values the gateway did not take in the last run.
    QList<ValueDifference> notTaken() const { return m_notTaken; }

private:
    QString failure(const QString &reason) const;

    QString m_label;
    QString m_straysPath;
    ProgressBar &m_progress;
    WorkingFile m_file;
    GatewaySession m_session;
    int m_records = 0;
    QList<ValueDifference> m_notTaken;
};

// An error of the core in English, on one line.
QString EnglishErrorLine(const ReportedError &error);
inline QString EnglishErrorLine(const FileError &error)
{
    return EnglishErrorLine(ReportedError(error));
}
// A file error in English with its reason in detail, on one line.
QString EnglishFileErrorLine(const FileError &error);
