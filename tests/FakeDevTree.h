#pragma once
// A device folder and a ports/ folder of port aliases in a temporary folder,
// in place of /dev and the program's own ports/: device nodes are plain
// files, so that paths resolve, and aliases are links to them.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

class FakeDevTree
{
public:
    bool isValid() const { return m_dir.isValid(); }
    // The temporary folder that holds dev/ and ports/.
    QString path() const { return m_dir.path(); }
    QString dev(const QString &name) const { return m_dir.path() + QStringLiteral("/dev/") + name; }
    QString ports() const { return m_dir.path() + QStringLiteral("/ports/"); }

    // The device paths of `names`, as a device list gives them.
    QStringList devices(const QStringList &names) const
    {
        QStringList paths;
        for (const QString &name : names)
            paths << dev(name);
        return paths;
    }

    // Device nodes of `names` ("ttyUSB0", "pts/3"), their folders made as needed.
    void makeDevices(const QStringList &names)
    {
        for (const QString &name : names) {
            QVERIFY(QDir().mkpath(QFileInfo(dev(name)).path()));
            QFile file(dev(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }

    // "COM2>ttyS0" links COM2 to dev/ttyS0; a bare name is a plain file.
    void makePortsEntries(const QStringList &entries)
    {
        QVERIFY(QDir().mkpath(ports()));
        for (const QString &entry : entries) {
            // NAME=TEXT: a regular file holding TEXT.
            if (const qsizetype eq = entry.indexOf(u'='); eq > 0) {
                QFile file(ports() + entry.left(eq));
                QVERIFY(file.open(QIODevice::WriteOnly));
                QVERIFY(file.write(entry.mid(eq + 1).toUtf8()) >= 0);
                continue;
            }
            const QStringList parts = entry.split(u'>');
            if (parts.size() == 1) {
                QFile file(ports() + parts[0]);
                QVERIFY(file.open(QIODevice::WriteOnly));
            } else {
                QVERIFY(QFile::link(dev(parts[1]), ports() + parts[0]));
            }
        }
    }

private:
    QTemporaryDir m_dir;
};
