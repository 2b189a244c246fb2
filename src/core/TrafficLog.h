#pragma once
// The monitor log of one session written to a file as the traffic happens,
// for a front end without a monitor page: the same lines the window's
// monitor shows (sent requests, received replies with their separator), one
// per line in UTF-8, each written out at once so that a run that fails or
// is interrupted leaves everything up to that point.

#include <QObject>
#include <QString>

class GatewaySession;

class TrafficLog : public QObject
{
    Q_OBJECT
public:
    explicit TrafficLog(GatewaySession &session, QObject *parent = nullptr);
    ~TrafficLog() override;

    // Replaces `path` with an empty log, as every file of the program is
    // replaced (ReplaceWithEmptyFile: the same checks, never written through
    // a link, a FIFO or the file that was there), and logs from now on.
    // Throws FileError when refused; then nothing is logged.
    void open(const QString &path);
    // Closes the log; returns error().
    int close();
    // The system's error number of the first line that could not be
    // written (or of closing the file), 0 while every line has been. The
    // lines after it are not written: the log is incomplete.
    int error() const { return m_error; }

private:
    void write(const QStringList &lines);

    int m_fd = -1;
    int m_error = 0;
};
