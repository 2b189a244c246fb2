#include "core/PortDirectory.h"

#include "core/NetworkAddress.h"

#include <QDir>
#include <QFile>
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

struct Alias
{
    int number;
    QString target;
    bool present; // false when the device it leads to is gone
};

// The address a regular file COM<n> holds on its one line, or nothing when
// it holds no valid network address (the file is read up to a small bound).
QString AddressIn(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray head = file.read(1024);
    const QByteArray line = head.left(head.indexOf('\n') < 0 ? head.size() : head.indexOf('\n')).trimmed();
    const std::optional<NetworkAddress> address = NetworkAddress::parse(QString::fromUtf8(line));
    return address ? address->toString() : QString();
}

// The COM<n> links of `portsDir`, and its regular files COM<n> naming a
// network address, by number; of two names with one number ("com3" and
// "COM3") the first one found wins. A file without a valid address is no
// alias.
QVector<Alias> ReadAliases(const QString &portsDir)
{
    QVector<Alias> result;
    if (portsDir.isEmpty())
        return result;
    static const QRegularExpression aliasName(QStringLiteral("^COM(\\d{1,9})$"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QFileInfoList entries =
        QDir(portsDir).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QRegularExpressionMatch m = aliasName.match(entry.fileName());
        if (!m.hasMatch() || !(entry.isSymLink() || entry.isFile()))
            continue;
        const int number = m.captured(1).toInt();
        if (number < 1)
            continue;
        if (!entry.isSymLink()) {
            const QString address = AddressIn(entry.filePath());
            if (!address.isEmpty())
                result.push_back({number, address, true});
            continue;
        }
        const QString target = entry.symLinkTarget();
        result.push_back({number, target, QFileInfo::exists(target)});
    }
    std::stable_sort(result.begin(), result.end(), [](const Alias &a, const Alias &b) { return a.number < b.number; });
    result.erase(std::unique(result.begin(), result.end(),
                             [](const Alias &a, const Alias &b) { return a.number == b.number; }),
                 result.end());
    return result;
}

} // namespace

QVector<SerialPortEntry> DiscoverSerialPorts(const QString &portsDir, const QStringList &devices)
{
    QVector<SerialPortEntry> result;
    QSet<int> reserved;
    QSet<QString> taken; // device keys already offered

    for (const Alias &alias : ReadAliases(portsDir)) {
        reserved.insert(alias.number);
        // A link left behind by a device that is gone keeps its number
        // but is not offered: opening it could only fail.
        if (!alias.present)
            continue;
        taken.insert(DeviceKey(alias.target));
        result.push_back({PortName(alias.number), alias.target});
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

QStringList VanishedAliases(const QString &portsDir)
{
    QStringList names;
    for (const Alias &alias : ReadAliases(portsDir)) {
        if (!alias.present)
            names << PortName(alias.number);
    }
    return names;
}

int ComparePortNames(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive);
}

QVector<SerialPortEntry> InListOrder(QVector<SerialPortEntry> ports)
{
    std::stable_sort(ports.begin(), ports.end(), [](const SerialPortEntry &a, const SerialPortEntry &b) {
        return ComparePortNames(a.name, b.name) < 0;
    });
    return ports;
}
