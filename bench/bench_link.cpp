// From a complete reply line arriving at the port to the next request
// written, in process on the real main window with the monitor log shown
// (the slower path): the handshake reply that makes the session ask for the
// firmware version, and a points reply in a read-all run (save-load page
// shown) that makes it ask for the next record. Left out: the terminal driver and the wire on both
// sides (the port is a stand-in), and painting on a real screen.

#include "BenchPort.h"
#include "ReplyBuilders.h"

#include "core/TransferRun.h"
#include "texts/ErrorTexts.h"
#include "gui/ErrorReport.h"
#include "gui/MainWindow.h"
#include "gui/PageControl.h"
#include "gui/SaveLoadPage.h"

#include <QApplication>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
void report(const char *name, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("link.%s.samples %zu\n", name, ms.size());
    const double median = ms[ms.size() / 2];
    std::printf("link.%s.median_ms %.3f (target <= 2) %s\n", name, median, median <= 2 ? "ok" : "MISSED");
    std::printf("link.%s.p95_ms %.3f\n", name, ms[ms.size() * 95 / 100]);
}

// The gateway's reply to a read request, as the simulator gives it for
// firmware 3.11; empty for anything else.
QByteArray replyTo(const QByteArray &frame)
{
    const QByteArray c = frame.mid(1, frame.indexOf('<') - 1);
    return c.startsWith("C0") ? FixedRecordReply(c) : QByteArray();
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    auto owned = std::make_unique<BenchPort>();
    BenchPort &port = *owned;
    MainWindow window(dir.path() + u'/', std::move(owned));
    window.setErrorReporter([](const QString &text) { std::fprintf(stderr, "error report: %s\n", qPrintable(text)); });
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    window.toggleMonitor();
    GatewaySession &session = window.session();

    std::vector<double> handshake;
    PortFailure reason;
    for (int i = 0; i < 500; ++i) {
        session.disconnect();
        session.connectTo(QStringLiteral("bench"), &reason);
        QApplication::processEvents();
        port.writtenAt = -1;
        const qint64 start = port.clock.nsecsElapsed();
        port.reply("cP0141     Sim 1");
        if (port.writtenAt < 0 || !port.lastWritten.startsWith(">S0V<")) {
            std::fprintf(stderr, "no version request after the handshake\n");
            return 1;
        }
        handshake.push_back((port.writtenAt - start) / 1e6);
    }
    report("handshake_reply_to_next_request", handshake);

    port.reply("cV311");
    if (session.features().addressCount != 24) {
        std::fprintf(stderr, "firmware 3.11 not taken\n");
        return 1;
    }
    // The run as the save-load page's button starts it: that page is shown,
    // with its progress text repainted at every step.
    window.pageControl()->setCurrentWidget(window.saveLoadPage());
    QApplication::processEvents();
    std::vector<double> points;
    bool finished = false;
    QObject::connect(&session.run(), &TransferRun::finished, [&](const RunResult &run) {
        const bool ok = run.ok();
        const QString text = RunResultText(run, Language::English);
        if (!ok)
            std::fprintf(stderr, "run failed: %s\n", qPrintable(text));
        finished = true;
    });
    while (points.size() < 480) {
        finished = false;
        session.startRun(TransferRun::Kind::ReadAll);
        while (session.run().isActive()) {
            // The writer's results and paint events are handled between
            // replies, as the event loop does while the reply is on the wire.
            QApplication::processEvents();
            const QByteArray request = port.lastWritten;
            const QByteArray reply = replyTo(request);
            if (reply.isEmpty()) {
                std::fprintf(stderr, "unexpected request %s\n", request.constData());
                return 1;
            }
            port.writtenAt = -1;
            const qint64 start = port.clock.nsecsElapsed();
            port.reply(reply);
            if (reply.startsWith("cZ") && port.writtenAt >= 0)
                points.push_back((port.writtenAt - start) / 1e6);
            if (reply.startsWith("cD"))
                break;
        }
        if (!QTest::qWaitFor([&] { return finished; }, 5000)) {
            std::fprintf(stderr, "run did not end\n");
            return 1;
        }
    }
    report("points_reply_to_next_request", points);
    session.disconnect();
    return 0;
}
