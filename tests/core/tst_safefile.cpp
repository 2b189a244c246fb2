// The one safe way to replace a file: names kept byte for byte, every check
// made before anything is written, and a full disk that leaves the old file.

#include "core/ConfigLayout.h"
#include "core/IniFile.h"
#include "core/SafeFile.h"

#include "SmallDisk.h"

#include <QtTest>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(FileError::Reason)

namespace {

QByteArray bytesOf(const QByteArray &path)
{
    QByteArray content;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return "<none>";
    ReadAllFrom(fd, content);
    ::close(fd);
    return content;
}

bool put(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool ok = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    if (fd >= 0)
        ::close(fd);
    return ok;
}

// The names in `folder` as the system spells them.
QList<QByteArray> rawListing(const QString &folder)
{
    QList<QByteArray> names;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    while (const dirent *entry = dir ? ::readdir(dir) : nullptr) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    if (dir)
        ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

template <typename F>
FileError::Reason reasonOf(F &&action)
{
    try {
        action();
    } catch (const FileError &e) {
        return e.reason();
    }
    return FileError::Reason::Other;
}

} // namespace

class TestSafeFile : public QObject
{
    Q_OBJECT

private slots:
    void namesKeepTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("ASCII") << QByteArray("site.ini");
        QTest::newRow("UTF-8") << QByteArray("caf\xC3\xA9.ini");
        QTest::newRow("Latin-1 byte") << QByteArray("caf\xE9.ini");
        QTest::newRow("lone continuation byte") << QByteArray("\x80x.ini");
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAFx.ini");
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xB2\x80.ini");
        QTest::newRow("sequence cut at the end") << QByteArray("x.ini\xE2\x82");
        QTest::newRow("four bytes, then a bad one") << QByteArray("\xF0\x9F\x8D\xBA\xFF.ini");
    }
    void namesKeepTheirBytes()
    {
        QFETCH(QByteArray, name);
        QTemporaryDir dir;
        const QString decoded = DecodeFileName(name);
        QCOMPARE(EncodeFileName(decoded), name);
        const QString path = dir.filePath(decoded);
        ReplaceFile(path, "[S]\r\nk=1\r\n");
        WriteIniValue(path, "S", "k", "2");
        QCOMPARE(rawListing(dir.path()), QList<QByteArray>{name});
        QCOMPARE(bytesOf(QFile::encodeName(dir.path()) + '/' + name), QByteArray("[S]\r\nk=2\r\n"));
        QCOMPARE(ReadIniValue(path, "S", "k", "none"), QStringLiteral("2"));
    }

    // Everything that can be known about a target is known before a write.
    void checksBeforeWriting_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<FileError::Reason>("reason"); // Other: replaced
        QTest::newRow("longest name") << QString(255, u'a') << FileError::Reason::Other;
        QTest::newRow("name too long") << QString(256, u'a') << FileError::Reason::NameTooLong;
        QTest::newRow("folder") << "dir" << FileError::Reason::IsFolder;
        QTest::newRow("FIFO") << "fifo" << FileError::Reason::NotRegularFile;
        QTest::newRow("read-only file") << "ro.ini" << FileError::Reason::ReadOnlyFile;
        QTest::newRow("no folder") << "gone/x.ini" << FileError::Reason::NoFolder;
        QTest::newRow("a file as folder") << "plain/x.ini" << FileError::Reason::NotAFolder;
        QTest::newRow("read-only folder") << "locked/x.ini" << FileError::Reason::ReadOnlyFolder;
    }
    void checksBeforeWriting()
    {
        QFETCH(QString, name);
        QFETCH(FileError::Reason, reason);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("dir"));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
        QVERIFY(put(QFile::encodeName(dir.filePath("ro.ini")), "ro"));
        QCOMPARE(::chmod(QFile::encodeName(dir.filePath("ro.ini")).constData(), 0444), 0);
        QVERIFY(put(QFile::encodeName(dir.filePath("plain")), "plain"));
        QVERIFY(QDir(dir.path()).mkdir("locked"));
        QCOMPARE(::chmod(QFile::encodeName(dir.filePath("locked")).constData(), 0555), 0);
        const QList<QByteArray> before = rawListing(dir.path());

        const QString path = dir.filePath(name);
        QCOMPARE(reasonOf([&] { CheckReplaceable(path); }), reason);
        QCOMPARE(reasonOf([&] { ReplaceFile(path, "new"); }), reason);
        if (reason == FileError::Reason::Other) {
            QCOMPARE(bytesOf(QFile::encodeName(path)), QByteArray("new"));
        } else {
            QCOMPARE(rawListing(dir.path()), before);
            QCOMPARE(bytesOf(QFile::encodeName(dir.filePath("ro.ini"))), QByteArray("ro"));
        }
        ::chmod(QFile::encodeName(dir.filePath("locked")).constData(), 0755);
    }

    // A full disk refuses the write and leaves the old file whole, with no
    // temporary copy beside it: for a whole file (save-as, the command
    // line) and for one value of the working file.
    void fullDiskLeavesTheOldFile_data()
    {
        QTest::addColumn<bool>("wholeFile");
        QTest::addColumn<qint64>("freeBytes");
        QTest::newRow("replace, no space at all") << true << qint64(0);
        QTest::newRow("replace, space for a part") << true << qint64(8192);
        QTest::newRow("one value, no space at all") << false << qint64(0);
        QTest::newRow("one value, space for a part") << false << qint64(8192);
    }
    void fullDiskLeavesTheOldFile()
    {
        QFETCH(bool, wholeFile);
        QFETCH(qint64, freeBytes);
        SmallDisk disk(256);
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        const QString path = disk.filePath("site.ini");
        const QByteArray old = DefaultIniContent();
        QVERIFY(put(QFile::encodeName(path), old));
        disk.fill(freeBytes);

        std::optional<FileError> refusal;
        try {
            if (wholeFile)
                ReplaceFile(path, old + old);
            else
                WriteIniValue(path, "PRINTER", "Head", QString(2000, u'x') + QString(2000, u'y'));
        } catch (const FileError &e) {
            refusal = e;
        }
        QCOMPARE(refusal, FileError(FileError::Action::Write, path, FileError::Reason::SystemError, ENOSPC));
        QCOMPARE(bytesOf(QFile::encodeName(path)), old);
        QCOMPARE(rawListing(disk.path()), (QList<QByteArray>{"filler", "site.ini"}));
    }
};

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"
