// Start-up of the tool against a bare Qt Widgets window of the same size,
// measured in the same run: time from process start until the window is
// shown, and resident memory then; plus the cost of creating the working
// configuration file with its defaults on a start without one. Both run on
// the offscreen platform: the display server's share (mapping, first paint
// on screen, the compositor) is left out for both alike.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Sample
{
    double ms;
    long kib;
    long peakKib;
};

Sample runOnce(const QString &child, const QStringList &args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(child, args);
    QByteArray out;
    while (!out.contains('\n') && process.waitForReadyRead(30000))
        out += process.readAllStandardOutput();
    const double ms = timer.nsecsElapsed() / 1e6;
    process.waitForFinished(30000);
    const QList<QByteArray> words = out.trimmed().split(' ');
    if (words.value(0) != "shown") {
        std::fprintf(stderr, "child failed: %s\n", process.readAllStandardError().constData());
        std::exit(1);
    }
    return {ms, words.value(1).toLong(), words.value(2).toLong()};
}

template <typename T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString child = QCoreApplication::applicationDirPath() + QStringLiteral("/bench_start_child");
    const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
    QTemporaryDir folder;
    const QString ini = QDir(folder.path()).filePath(QStringLiteral("Velmora.ini"));

    std::vector<double> bare, tool, toolNew;
    std::vector<long> bareKiB, toolKiB, barePeak, toolPeak;
    runOnce(child, {QStringLiteral("bare")}); // warm the caches for both
    runOnce(child, {QStringLiteral("velmora"), folder.path()});
    for (int i = 0; i < runs; ++i) {
        Sample s = runOnce(child, {QStringLiteral("bare")});
        bare.push_back(s.ms);
        bareKiB.push_back(s.kib);
        barePeak.push_back(s.peakKib);
        s = runOnce(child, {QStringLiteral("velmora"), folder.path()});
        tool.push_back(s.ms);
        toolKiB.push_back(s.kib);
        toolPeak.push_back(s.peakKib);
        QFile::remove(ini);
        s = runOnce(child, {QStringLiteral("velmora"), folder.path()});
        toolNew.push_back(s.ms);
    }
    const double b = median(bare), t = median(tool), n = median(toolNew);
    const long bk = median(bareKiB), tk = median(toolKiB), bp = median(barePeak), tp = median(toolPeak);
    std::printf("startup.runs %d (medians; process start to window shown, offscreen)\n", runs);
    std::printf("startup.bare_window.median_ms %.1f\n", b);
    std::printf("startup.velmora.median_ms %.1f\n", t);
    std::printf("startup.ratio %.2f (target <= 1.5) %s\n", t / b, t / b <= 1.5 ? "ok" : "MISSED");
    std::printf("startup.creation_with_defaults.added_ms %.1f (target <= 50)\n", n - t);
    std::printf("memory.bare_window.resident_mib %.1f (peak %.1f)\n", bk / 1024.0, bp / 1024.0);
    std::printf("memory.velmora.resident_mib %.1f (peak %.1f)\n", tk / 1024.0, tp / 1024.0);
    const double m = double(tk) / double(bk);
    std::printf("memory.ratio %.2f (target <= 1.25) %s; peak ratio %.2f\n", m, m <= 1.25 ? "ok" : "MISSED",
                double(tp) / double(bp));
    return 0;
}
