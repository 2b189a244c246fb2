#include "core/PortDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QSet>
#include <algorithm>

namespace {

// Compares devices by where they lead, so that a by-id link and the
// /dev/ttyUSB0 it points to count as one device.
QString DeviceKey(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

struct Device
{
    int family;
    QString stem;
    qint64 number; // -1 when the name ends without digits
    QString path;
};

Device Classify(const QString &path)
{
    static const QRegularExpression split(QStringLiteral("^(.*?)(\\d*)$"));
    const QString base = QFileInfo(path).fileName();
    const QRegularExpressionMatch m = split.match(base);
    Device d{3, m.captured(1), -1, path};
    bool ok = false;
    const qint64 n = m.captured(2).toLongLong(&ok);
    if (ok)
        d.number = n;
    if (d.stem == QLatin1String("ttyS"))
        d.family = 0;
    else if (d.stem == QLatin1String("ttyUSB"))
        d.family = 1;
    else if (d.stem == QLatin1String("ttyACM"))
        d.family = 2;
    return d;
}

QString PortName(int number)
{
    return QStringLiteral("COM") + QString::number(number);
}

} // namespace

QVector<SerialPortEntry> DiscoverSerialPorts(const QString &portsDir, const QStringList &devices)
{
    QVector<SerialPortEntry> result;
    QSet<int> reserved;
    QSet<QString> taken; // device keys already offered

    static const QRegularExpression aliasName(QStringLiteral("^COM(\\d{1,9})$"),
                                              QRegularExpression::CaseInsensitiveOption);
    if (!portsDir.isEmpty()) {
        const QFileInfoList entries =
            QDir(portsDir).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot,
                                         QDir::Name);
        QVector<std::pair<int, QFileInfo>> aliases;
        for (const QFileInfo &entry : entries) {
            const QRegularExpressionMatch m = aliasName.match(entry.fileName());
            if (!m.hasMatch() || !entry.isSymLink())
                continue;
            const int number = m.captured(1).toInt();
            if (number < 1)
                continue;
            aliases.push_back({number, entry});
        }
        std::stable_sort(aliases.begin(), aliases.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        for (const auto &[number, entry] : aliases) {
            // "com3" and "COM3" side by side: the first one found wins.
            if (reserved.contains(number))
                continue;
            reserved.insert(number);
            // A link left behind by a device that is gone keeps its number
            // but is not offered: opening it could only fail.
            const QString target = entry.symLinkTarget();
            if (!QFileInfo::exists(target))
                continue;
            taken.insert(DeviceKey(target));
            result.push_back({PortName(number), target});
        }
    }

    QVector<Device> found;
    for (const QString &path : devices)
        found.push_back(Classify(path));
    std::stable_sort(found.begin(), found.end(), [](const Device &a, const Device &b) {
        if (a.family != b.family)
            return a.family < b.family;
        if (a.stem != b.stem)
            return a.stem < b.stem;
        return a.number < b.number;
    });

    int next = 1;
    for (const Device &d : found) {
        const QString key = DeviceKey(d.path);
        if (taken.contains(key))
            continue;
        taken.insert(key);
        while (reserved.contains(next))
            ++next;
        reserved.insert(next);
        result.push_back({PortName(next), d.path});
    }
    return result;
}

QStringList SystemSerialDevices()
{
    QStringList devices;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        devices << info.systemLocation();
    return devices;
}

QVector<SerialPortEntry> DiscoverSerialPorts(const QString &portsDir)
{
    return DiscoverSerialPorts(portsDir, SystemSerialDevices());
}
