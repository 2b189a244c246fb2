// Times the working-file access on the default file: one durable write, the
// same update through QSettings, one read, and creating the default file.
// The read is timed as well on files with text beyond ASCII, whose encoding
// is told from their bytes on every read: Windows-1252, UTF-8 without a mark,
// and Windows-1252 bytes that form UTF-8, marked in [SOURCE].
// Prints "<name> <median in ms>" lines; the first argument sets the iterations.

#include "core/ConfigLayout.h"
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

bool put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The last value of the file, so that the whole file is scanned.
std::vector<qint64> lastValueReads(const QString &path, int iterations)
{
    std::vector<qint64> ns;
    for (int i = 0; i < iterations; ++i) {
        ns.push_back(timed([&] {
            ReadIniValue(path, QStringLiteral("INTERFACE"), QStringLiteral("ParameterRS485"), QString());
        }));
    }
    return ns;
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

    std::vector<qint64> write, settings, read, create, readAnsi, readUtf8, readMarked;
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
        read = lastValueReads(ini, iterations);

        // The printer's header lies near the end: a Windows-1252 file shows
        // that it is no UTF-8 only there.
        const QByteArray plain = DefaultIniContent();
        const QByteArray head("Head=Deutsche Brantel");
        const auto withHead = [&](const QByteArray &text) { return QByteArray(plain).replace(head, "Head=" + text); };
        const QString other = dir.filePath(QStringLiteral("other.ini"));
        const QByteArray variants[] = {withHead("M\xFCller"), withHead("M\xC3\xBCller"),
                                       withHead("\xC3\xBC") + "[SOURCE]\r\nEncoding=windows-1252\r\n"};
        std::vector<qint64> *const reads[] = {&readAnsi, &readUtf8, &readMarked};
        for (int v = 0; v < 3; ++v) {
            if (!put(other, variants[v])) {
                std::fprintf(stderr, "%s cannot be written\n", qPrintable(other));
                return 1;
            }
            *reads[v] = lastValueReads(other, iterations);
        }
        for (int i = 0; i < iterations; ++i) {
            QFile::remove(ini);
            create.push_back(timed([&] { CreateDefaultIniFile(ini); }));
        }
    } catch (const FileError &e) {
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
    std::printf("ini.read.windows1252.median_ms %.4f\n", medianMs(readAnsi));
    std::printf("ini.read.utf8.median_ms %.4f\n", medianMs(readUtf8));
    std::printf("ini.read.marked.median_ms %.4f\n", medianMs(readMarked));
    std::printf("ini.create.median_ms %.3f (target <= 50)\n", c);
    const bool met = w <= 1.0 && w < q && r <= 0.2 && c <= 50.0;
    std::printf("ini.targets_met %s\n", met ? "yes" : "no");
    return 0;
}
