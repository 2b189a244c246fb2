#pragma once
// The gateway simulator behind a real network server on the loopback
// address: ser2net in RFC 2217 mode or raw mode (with the modem-line shim
// loaded into it alone), ser2net with no serial line behind it, or socat
// passing raw TCP. Each is started here and stopped when the fixture goes.

#include "FreePort.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>

class ServerFixture
{
public:
    enum class Server { Ser2netRfc2217, Ser2netRaw, Ser2netNoLine, Socat };

    QTemporaryDir dir;
    QProcess sim;
    QProcess server;
    QString pty;
    quint16 port = 0;

    ~ServerFixture()
    {
        stopServer();
        sim.terminate();
        sim.waitForFinished(5000);
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    // The simulator on a pseudo-terminal of its own; `arguments` as it takes them.
    bool startSimulator(const QStringList &arguments)
    {
        sim.setProcessChannelMode(QProcess::SeparateChannels);
        sim.start(QStringLiteral(GATEWAY_SIM), arguments);
        if (!sim.waitForReadyRead(10000))
            return false;
        pty = QString::fromLocal8Bit(sim.readLine().trimmed());
        return pty.startsWith(QLatin1String("/dev/"));
    }


    QString address() const
    {
        const bool telnet = m_kind == Server::Ser2netRfc2217 || m_kind == Server::Ser2netNoLine;
        return QStringLiteral("%1://127.0.0.1:%2").arg(telnet ? "rfc2217" : "tcp").arg(port);
    }

    bool startServer(Server kind)
    {
        // ser2net lives in /usr/sbin, which a user's PATH may lack.
        const QString program = kind == Server::Socat ? QStringLiteral("socat") : QStringLiteral("ser2net");
        QString executable = QStandardPaths::findExecutable(program);
        if (executable.isEmpty())
            executable = QStandardPaths::findExecutable(program, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
        if (executable.isEmpty()) {
            qWarning("%s is not installed; scripts/install-deps.sh installs it", qPrintable(program));
            return false;
        }
        m_kind = kind;
        port = freeLoopbackPort();
        if (port == 0)
            return false;
        server.setProcessChannelMode(QProcess::MergedChannels);
        if (kind == Server::Socat) {
            // A process for each connection, each opening the terminal anew;
            // one at a time, so that a closing one never reads a reply away.
            server.start(executable,
                         {QStringLiteral("TCP-LISTEN:%1,bind=127.0.0.1,reuseaddr,fork,max-children=1").arg(port),
                          QStringLiteral("FILE:%1,raw,echo=0").arg(pty)});
        } else {
            const QString accepter = kind == Server::Ser2netRaw ? QStringLiteral("tcp,127.0.0.1,%1").arg(port)
                                                                : QStringLiteral("telnet(rfc2217),tcp,127.0.0.1,%1").arg(port);
            const QString connector = kind == Server::Ser2netNoLine ? QStringLiteral("stdio,cat")
                                                                    : QStringLiteral("serialdev,%1,9600n81").arg(pty);
            QFile config(path(QStringLiteral("ser2net.yaml")));
            if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return false;
            config.write(QStringLiteral("%YAML 1.1\n---\nconnection: &gateway\n  accepter: %1\n  connector: %2\n"
                                        "  options:\n    kickolduser: true\n")
                             .arg(accepter, connector)
                             .toUtf8());
            config.close();
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(MODEM_LINES_SHIM));
            server.setProcessEnvironment(environment);
            // -n: in the foreground, -u: no lock file in the system's folder.
            server.start(executable, {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"),
                                                     config.fileName()});
        }
        if (!server.waitForStarted(5000))
            return false;
        for (int i = 0; i < 500; ++i) {
            if (listening(port))
                return true;
            if (server.state() != QProcess::Running)
                return false;
            QThread::msleep(10);
        }
        return false;
    }

    // Ends the server as a crash or a power cut at the site would: at once.
    void killServer()
    {
        if (server.state() != QProcess::NotRunning) {
            server.kill();
            server.waitForFinished(5000);
        }
    }

    void stopServer()
    {
        if (server.state() != QProcess::NotRunning) {
            server.terminate();
            if (!server.waitForFinished(5000))
                killServer();
        }
        // socat's children for open connections go with their parent's
        // connections; nothing else stays.
    }

private:
    // True when something listens on the loopback port (the kernel's table
    // says so without taking a connection of the server's).
    static bool listening(quint16 port)
    {
        QFile table(QStringLiteral("/proc/net/tcp"));
        if (!table.open(QIODevice::ReadOnly))
            return false;
        const QByteArray wanted = QStringLiteral(":%1 ").arg(port, 4, 16, QLatin1Char('0')).toUpper().toLatin1();
        for (const QByteArray &line : table.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() > 3 && (fields[1] + ' ').endsWith(wanted) && fields[3] == "0A")
                return true;
        }
        return false;
    }

    Server m_kind = Server::Socat;
};
