#pragma once
// The monitor log of one session written to a file as the traffic happens,
// for a front end without a monitor page: the same lines the window's
// monitor shows (sent requests, received replies with their separator), one
// per line in UTF-8, each written out at once so that a run that fails or
// is interrupted leaves everything up to that point.

#include <QFile>
#include <QObject>
#include <QString>

class GatewaySession;

class TrafficLog : public QObject
{
    Q_OBJECT
public:
    explicit TrafficLog(GatewaySession &session, QObject *parent = nullptr);

    // Creates or empties `path` and logs from now on. On failure returns
    // false with the system's reason and logs nothing.
    bool open(const QString &path, QString *reason);
    // The reason of the first line that could not be written; empty while
    // every line has been.
    QString error() const { return m_error; }

private:
    void write(const QStringList &lines);

    QFile m_file;
    QString m_error;
};
