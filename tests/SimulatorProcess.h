#pragma once
// Starts the gateway simulator (the test's GATEWAY_SIM) as a process on a
// pseudo-terminal offered under a port alias.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

// Starts `sim` with the alias `name` in `portsDir` and `arguments` (faults,
// firmware, pacing). Returns the pseudo-terminal's device path, empty when
// the simulator did not come up as announced within 10 s.
inline QString startSimulator(QProcess &sim, const QString &portsDir, const QString &name,
                              const QStringList &arguments = {})
{
    sim.start(QStringLiteral(GATEWAY_SIM), QStringList{"--ports-dir", portsDir, "--name", name} + arguments);
    if (!sim.waitForReadyRead(10000))
        return QString();
    // Its first line: "<alias> <device>".
    const QList<QByteArray> first = sim.readLine().trimmed().split(' ');
    const QString device = QString::fromLocal8Bit(first.value(1));
    return first.value(0) == name.toLatin1() && device.startsWith(QLatin1String("/dev/")) ? device : QString();
}
