// Times loading one terminal address on the dispensing-point page (ten
// points, firmware 3.11: 20 reads of the address and 2 of the product shown)
// on the default working file, and one press of the address arrow. Prints
// "<name> <median in ms>"; the first argument sets the iterations. Left out:
// painting on a real screen (offscreen platform); the file is in the page
// cache, as it is after the first read.

#include "BenchPort.h"

#include "gui/ErrorReport.h"
#include "gui/MainWindow.h"
#include "gui/PageControl.h"
#include "gui/PointsPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double medianMs(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    const size_t n = ns.size();
    const double mid = n % 2 ? double(ns[n / 2]) : (double(ns[n / 2 - 1]) + double(ns[n / 2])) / 2;
    return mid / 1e6;
}

template <typename F>
qint64 timed(F &&action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    return timer.nsecsElapsed();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 300;

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    bool failed = false;
    auto owned = std::make_unique<BenchPort>();
    BenchPort &port = *owned;
    MainWindow window(dir.path() + u'/', std::move(owned));
    window.setErrorReporter([&failed](const QString &text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        failed = true;
    });
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    if (!GoOnline(window.session(), port, "311")) {
        std::fprintf(stderr, "no handshake\n");
        return 1;
    }
    window.pageControl()->setCurrentWidget(window.pointsPage());
    QApplication::processEvents();

    PointsPage *page = window.pointsPage();
    const int addresses = window.session().features().addressCount;
    std::vector<qint64> load, step;
    for (int i = 0; i < iterations; ++i)
        load.push_back(timed([&] { page->loadAddress(i % addresses); }));
    for (int i = 0; i < iterations; ++i)
        step.push_back(timed([&] { page->stepAddress(true); }));
    if (failed)
        return 1;

    std::printf("pages_load_address_ten_points_ms %.3f\n", medianMs(load));
    std::printf("pages_address_arrow_ten_points_ms %.3f\n", medianMs(step));
    return 0;
}
