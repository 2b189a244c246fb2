#pragma once
// A small file system of its own (tmpfs) that a test can fill up, to see
// what a full disk does to a write. Only root can mount one: without it,
// mounted() is false and the test skips.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

class SmallDisk
{
public:
    explicit SmallDisk(int kib)
    {
        if (::geteuid() != 0 || !m_dir.isValid())
            return;
        const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0755";
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                            options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Fills the disk, then frees `freeBytes` of it again.
    void fill(qint64 freeBytes)
    {
        const QByteArray filler = QFile::encodeName(filePath(QStringLiteral("filler")));
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            return;
        const QByteArray block(4096, 'f');
        qint64 written = 0;
        for (ssize_t n; (n = ::write(fd, block.constData(), size_t(block.size()))) > 0;)
            written += n;
        if (freeBytes > 0)
            (void)::ftruncate(fd, written > freeBytes ? written - freeBytes : 0);
        ::close(fd);
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};
