#pragma once
// What the benchmarks that time runs against the gateway simulator share:
// the wire time of a byte, waiting on the event loop, and the simulator's
// turnaround log (gateway-sim --turnaround).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <functional>
#include <vector>

// One byte on a 9600 baud line: start bit, 8 data bits, stop bit.
inline constexpr double ByteSeconds = 10.0 / 9600.0;

// Runs the event loop until `done` or `ms` have passed; returns `done()`.
inline bool waitUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return done();
}

// The turnarounds the simulator has logged since the last call, in ms: the
// time from a reply's last byte leaving it to the next request reaching it.
// Those up to the version request and the first record's request follow the
// handshake or a click, not a reply of the run, and are left out.
inline std::vector<double> takeTurnarounds(QProcess &sim)
{
    static const QRegularExpression line(QStringLiteral("turnaround ([0-9.]+) ms before (\\S+)"));
    std::vector<double> ms;
    const QString log = QString::fromLatin1(sim.readAllStandardError());
    for (auto it = line.globalMatch(log); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(2) == QLatin1String("S0V"))
            ms.clear();
        else if (m.captured(2) != QLatin1String("C0Z0"))
            ms.push_back(m.captured(1).toDouble());
    }
    return ms;
}

// The value below which the share `p` of `values` lies (0.5: the median);
// -1 for none.
inline double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * (values.size() - 1) + 0.5))];
}
