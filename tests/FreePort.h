#pragma once
// A loopback TCP port that nothing listens on just now, for a server to take
// or for a connection that must be refused; 0 when none could be had.

#include <QHostAddress>
#include <QTcpServer>

inline quint16 freeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}
