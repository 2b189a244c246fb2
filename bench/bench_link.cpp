// From a complete reply line arriving at the port to the next request
// written, in process on the real main window: the handshake reply that
// makes the link ask for the firmware version.

#include "core/SerialPort.h"
#include "link/F_FormVerbindung.h"
#include "core/Frame.h"
#include "shell/F_FormMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
class TimingPort : public SerialPort
{
public:
    QElapsedTimer *clock = nullptr;
    qint64 writtenAt = -1;
    bool open(const QString &, QString *) override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }
    void clearInput() override {}
    void clearOutput() override {}
    void write(const QByteArray &) override { writtenAt = clock->nsecsElapsed(); }
    void arrive(const QByteArray &line) { emit received(line); }
};
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    TFormMain form(dir.path() + u'/');
    auto port = std::make_unique<TimingPort>();
    TimingPort *timing = port.get();
    TFormVerbindung link(&form, std::move(port));
    form.SetFormVerbindung(&link);
    form.show();
    form.ImageDblClick(); // the monitor log on: the slower path
    QApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    timing->clock = &clock;
    const QByteArray reply = BuildRequestFrame("cP0141     Sim 1") + "\r\n";
    std::vector<double> ms;
    for (int i = 0; i < 500; ++i) {
        link.Connecting = true;
        timing->writtenAt = -1;
        const qint64 start = clock.nsecsElapsed();
        timing->arrive(reply);
        ms.push_back((timing->writtenAt - start) / 1e6);
        if (i % 50 == 0)
            QApplication::processEvents();
    }
    std::sort(ms.begin(), ms.end());
    std::printf("link.reply_to_next_request.median_ms %.3f (target <= 2)\n", ms[ms.size() / 2]);
    std::printf("link.reply_to_next_request.p95_ms %.3f\n", ms[ms.size() * 95 / 100]);
    return 0;
}
