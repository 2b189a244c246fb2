#include "core/ProgramFolder.h"

#include "core/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

QString ProgramFolder()
{
    return ProgramFolderFor(QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString());
}

QString ProgramFolderFor(const QString &exeFolder)
{
    // An installed program (under /usr, also when run by root) keeps its
    // file per user, never beside the system's executables.
    const bool installed = exeFolder.startsWith(QLatin1String("/usr/"))
                           || exeFolder == QLatin1String("/bin") || exeFolder == QLatin1String("/sbin");
    if (!exeFolder.isEmpty() && !installed && IsWritable(exeFolder))
        return exeFolder.endsWith(QLatin1Char('/')) ? exeFolder : exeFolder + QLatin1Char('/');
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = base + QStringLiteral("/velmora");
    QDir().mkpath(folder);
    return folder + QLatin1Char('/');
}
