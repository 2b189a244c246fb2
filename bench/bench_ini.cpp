// Times the working-file access on the default file: one durable write, the
// same update through QSettings, one read, and creating the default file.
// Prints "<name> <median in ms>" lines; the first argument sets the iterations.

#include "core/IniFile.h"
#include "core/ProgramFolder.h"
#include "texts/ErrorTexts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

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
    QCoreApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 500;

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString ini = dir.filePath(IniBaseName);
    const QString copy = dir.filePath(QStringLiteral("qsettings.ini"));

    std::vector<qint64> write, settings, read, create;
    try {
        CreateDefaultIniFile(ini);
        QFile::copy(ini, copy);

        // Alternating values, so that every write really changes the file;
        // both ways take turns so that both see the same disk.
        for (int i = 0; i < iterations; ++i) {
            const QString value = i % 2 ? QStringLiteral("06") : QStringLiteral("05");
            write.push_back(timed([&] { WriteIniValue(ini, QStringLiteral("QVR17"), QStringLiteral("EDV5"), value); }));
            settings.push_back(timed([&] {
                QSettings s(copy, QSettings::IniFormat);
                s.setValue(QStringLiteral("QVR17/EDV5"), value);
                s.sync();
            }));
        }
        // The last section: the whole file is scanned.
        for (int i = 0; i < iterations; ++i) {
            read.push_back(timed([&] {
                ReadIniValue(ini, QStringLiteral("INTERFACE"), QStringLiteral("ParameterRS485"), QString());
            }));
        }
        for (int i = 0; i < iterations; ++i) {
            QFile::remove(ini);
            create.push_back(timed([&] { CreateDefaultIniFile(ini); }));
        }
    } catch (const IniError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(ErrorLine(ReportedError(e), Language::English)));
        return 1;
    }

    const double w = medianMs(write);
    const double q = medianMs(settings);
    const double r = medianMs(read);
    const double c = medianMs(create);
    std::printf("ini.iterations %d\n", iterations);
    std::printf("ini.write.median_ms %.3f (target <= 1 and below qsettings)\n", w);
    std::printf("qsettings.write.median_ms %.3f\n", q);
    std::printf("ini.read.median_ms %.4f (target <= 0.2)\n", r);
    std::printf("ini.create.median_ms %.3f (target <= 50)\n", c);
    const bool met = w <= 1.0 && w < q && r <= 0.2 && c <= 50.0;
    std::printf("ini.targets_met %s\n", met ? "yes" : "no");
    return 0;
}
