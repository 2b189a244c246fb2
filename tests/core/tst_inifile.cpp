#include "core/ConfigLayout.h"
#include "core/IniFile.h"
#include "core/ProgramFolder.h"

#include <QtTest>

#include <QtEndian>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Bom("\xEF\xBB\xBF");
const QString Default = QStringLiteral("DEF");

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

int modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

void setMode(const QString &path, int mode)
{
    ::chmod(QFile::encodeName(path).constData(), mode_t(mode));
}

// `text` as a Windows editor saves it as "Unicode": UTF-16 with its mark.
QByteArray utf16(const QString &text, bool big)
{
    QByteArray out(big ? "\xFE\xFF" : "\xFF\xFE");
    out.resize(2 + text.size() * 2);
    if (big)
        qToBigEndian<char16_t>(text.utf16(), text.size(), out.data() + 2);
    else
        qToLittleEndian<char16_t>(text.utf16(), text.size(), out.data() + 2);
    return out;
}

struct stat statOf(const QString &path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

bool isRoot()
{
    return ::geteuid() == 0;
}

constexpr uid_t Nobody = 65534;

QStringList listing(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// The file error `action` throws; none when it succeeds.
template <typename F>
std::optional<FileError> errorOf(F &&action)
{
    try {
        action();
    } catch (const FileError &e) {
        return e;
    }
    return std::nullopt;
}

// A write of `path` refused for `reason`.
bool isRefusal(const std::optional<FileError> &error, const QString &path, FileError::Reason reason)
{
    return error && error->action() == FileError::Action::Write && error->fileName() == path
           && error->reason() == reason;
}

struct Entry
{
    QString section;
    QString key;
    QString value;
};

// The default entries, in the order the program writes them one by one.
QList<Entry> defaultEntries()
{
    QList<Entry> entries{{"Speech", "Speech", "0"}};
    for (int n = 0; n <= 36; ++n) {
        for (int k = 1; k <= 10; ++k)
            entries.append({QString("QVR%1").arg(n), QString("Qualitaet%1").arg(k), QString::asprintf("%02d", k)});
    }
    for (int n = 0; n <= 36; ++n) {
        for (int k = 1; k <= 10; ++k)
            entries.append({QString("QVR%1").arg(n), QString("EDV%1").arg(k), QString::asprintf("%02d", k)});
    }
    for (int m = 1; m <= 20; ++m) {
        entries.append({QString("PRODUKT%1").arg(m), "Qualitaet", QString::asprintf("%02d", m)});
        entries.append({QString("PRODUKT%1").arg(m), "Name", QString::asprintf("Produkt %2d", m)});
    }
    entries.append({"PRINTER", "Modell", "00"});
    entries.append({"PRINTER", "Head", "Deutsche Brantel"});
    for (const char *key : {"BaudrateRS232", "ParameterRS232", "BaudrateRS485", "ParameterRS485"})
        entries.append({"INTERFACE", key, "3"});
    return entries;
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readsFile_data();
    void readsFile();
    void readsLargeBinaryFile();
    void readErrors_data();
    void readErrors();
    void writeRoundTrips_data();
    void writeRoundTrips();
    void refusesAndKeepsFile_data();
    void refusesAndKeepsFile();
    void refusesWhenFolderIsGone();
    void brokenUtf16IsNotRewritten();
    void linksWrittenThroughOnlyWhenTrusted_data();
    void linksWrittenThroughOnlyWhenTrusted();
    void keepsOwnerGroupAndMode();
    void removesStaleTemporaryFiles();
    void refusesUnstorableCharacter_data();
    void refusesUnstorableCharacter();
    void permissions_data();
    void permissions();
    void defaultContent();
    void defaultContentEqualsSingleWrites();
    void createDefaultFile();

private:
    QString m_path;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestIniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(IniBaseName);
}

void TestIniFile::cleanup()
{
    setMode(m_dir->path(), 0700);
    if (QFileInfo::exists(m_path))
        setMode(m_path, 0600);
    m_dir.reset();
}

void TestIniFile::readsFile_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("missing file") << QByteArray() << "S" << "k" << Default;
    QTest::newRow("empty file") << QByteArray("") << "S" << "k" << Default;
    QTest::newRow("missing section") << QByteArray("[A]\r\nk=1\r\n") << "S" << "k" << Default;
    QTest::newRow("missing key") << QByteArray("[S]\r\na=1\r\n") << "S" << "k" << Default;
    QTest::newRow("empty value") << QByteArray("[S]\r\nk=\r\n") << "S" << "k" << "";
    QTest::newRow("umlaut names") << QByteArray("[\xC4rger]\r\n\xFC=M\xFCller \x80\r\n") << "ärger" << "Ü" << "Müller €";
    // Valid UTF-8 beyond ASCII is UTF-8, as a Linux editor saves it; bytes
    // that are not UTF-8 stay Windows-1252.
    QTest::newRow("utf-8 without bom") << QByteArray("[S]\r\nk=M\xC3\xBCller\r\n") << "S" << "k" << "Müller";
    QTest::newRow("windows-1252 that is no utf-8") << QByteArray("[S]\r\nk=M\xFCller \xC3\r\n") << "S" << "k" << "Müller Ã";
    QTest::newRow("utf-8 with bom") << QByteArray(Bom + "[S]\r\nk=M\xC3\xBCller\r\n") << "S" << "k" << "Müller";
    // Windows-1252 bytes that form UTF-8 are told by their mark.
    QTest::newRow("marked windows-1252 that is utf-8")
        << QByteArray("[S]\r\nk=M\xC3\xBCller\r\n[SOURCE]\r\nEncoding=windows-1252\r\n") << "S" << "k" << "MÃ¼ller";
    // Encoding the name with '?' must not find the key "?".
    QTest::newRow("name not in windows-1252") << QByteArray("[S]\r\n?=x\r\n") << "S" << "中" << Default;
    QTest::newRow("5000 characters") << QByteArray("[S]\r\nk=" + QByteArray(5000, 'x')) << "S" << "k" << QString(2047, 'x');
    // 2047 UTF-16 units, without half of a surrogate pair at the end.
    QTest::newRow("utf-16 le with bom") << utf16("[S]\r\nk = \"M\u00fcller \u4e2d\"\r\n", false) << "s" << "K" << "Müller 中";
    QTest::newRow("utf-16 be with bom") << utf16("[S]\r\nk=M\u00fcller \u4e2d\r\n", true) << "S" << "k" << "Müller 中";
    QTest::newRow("utf-8 cut whole") << QByteArray(Bom + "[S]\r\nk=" + QByteArray("\xF0\x9F\x98\x80").repeated(3000)) << "S" << "k"
                                     << QStringLiteral("😀").repeated(1023);
}

void TestIniFile::readsFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);

    if (!content.isNull())
        QVERIFY(put(m_path, content));
    QCOMPARE(ReadIniValue(m_path, section, key, Default), value);
}

void TestIniFile::readsLargeBinaryFile()
{
    QByteArray big(10 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(42).fillRange(reinterpret_cast<quint32 *>(big.data()), big.size() / 4);
    QVERIFY(put(m_path, big + "\r\n[S]\r\nk=v\r\n"));
    QCOMPARE(ReadIniValue(m_path, "S", "k", Default), "v");
}

void TestIniFile::readErrors_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("reason"); // -1: no error, the default
    QTest::addColumn<int>("systemError");

    using R = FileError::Reason;
    QTest::newRow("unreadable file") << "unreadable" << int(R::SystemError) << EACCES;
    QTest::newRow("folder") << "folder" << int(R::IsFolder) << 0;
    QTest::newRow("fifo") << "fifo" << int(R::NotRegularFile) << 0;
    QTest::newRow("device") << "device" << int(R::NotRegularFile) << 0;
    QTest::newRow("link to nothing") << "dangling" << -1 << 0;
}

// A file that is there but cannot be read is an error, never the defaults:
// the values shown or sent would not be the file's.
void TestIniFile::readErrors()
{
    QFETCH(QString, kind);
    QFETCH(int, reason);
    QFETCH(int, systemError);

    QString path = m_path;
    const QByteArray name = QFile::encodeName(m_path);
    if (kind == "unreadable") {
        if (isRoot())
            QSKIP("root reads every file");
        QVERIFY(put(m_path, "[S]\r\nk=v\r\n"));
        setMode(m_path, 0);
    } else if (kind == "folder") {
        QVERIFY(QDir().mkdir(m_path));
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    } else if (kind == "device") {
        path = QStringLiteral("/dev/zero");
    } else {
        QCOMPARE(::symlink("nothing.ini", name.constData()), 0);
    }

    const std::optional<FileError> error = errorOf([&] { ReadIniValue(path, "S", "k", Default); });
    if (reason < 0) {
        QVERIFY(!error);
        QCOMPARE(ReadIniValue(path, "S", "k", Default), Default);
        return;
    }
    QVERIFY(error);
    QCOMPARE(*error, FileError(FileError::Action::Read, path, FileError::Reason(reason), systemError));
    QCOMPARE(errorOf([&] { ReadIniFile(path); }), error);
}

void TestIniFile::writeRoundTrips_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("windows-1252") << QByteArray() << "Müller €" << QByteArray("[S]\r\nk=M\xFCller \x80\r\n");
    QTest::newRow("utf-8 with bom") << Bom << "Müller 中" << QByteArray(Bom + "[S]\r\nk=M\xC3\xBCller \xE4\xB8\xAD\r\n");
    QTest::newRow("utf-8 without bom stays utf-8") << QByteArray("; \xC5\x81\xC3\xB3" "d\xC5\xBA\r\n[S]\r\nk=1\r\n") << "Łódź Süd"
                                                   << QByteArray("; \xC5\x81\xC3\xB3" "d\xC5\xBA\r\n[S]\r\nk=\xC5\x81\xC3\xB3" "d\xC5\xBA S\xC3\xBC" "d\r\n");
    // Windows-1252 bytes that happen to form UTF-8 would be read back as
    // other characters: the file stays Windows-1252, as the Windows program
    // reads it, and is marked so in [SOURCE]. x holds "Ã¼", UTF-8 once the
    // FC of k is gone.
    const QByteArray mark("[SOURCE]\r\nEncoding=windows-1252\r\n");
    const QByteArray typed("[T]\r\nx=\xC3\xBC\r\n");
    QTest::newRow("windows-1252 that reads as utf-8") << typed + "[S]\r\nk=\xFC\r\n" << "Ö€bZ"
                                                      << typed + "[S]\r\nk=\xD6\x80" "bZ\r\n" + mark;
    QTest::newRow("new file that reads as utf-8") << QByteArray() << "Fuß€" << "[S]\r\nk=Fu\xDF\x80\r\n" + mark;
    QTest::newRow("mark joins its section") << QByteArray("[SOURCE]\r\nFirmware=3.11\r\n[S]\r\nk=1\r\n") << "Ö€"
                                            << QByteArray("[SOURCE]\r\nFirmware=3.11\r\nEncoding=windows-1252\r\n[S]\r\nk=\xD6\x80\r\n");
    QTest::newRow("mark kept as spelled") << "[source]\r\n encoding = \"Windows-1252\"\r\n" + typed << "Ö€"
                                          << "[source]\r\n encoding = \"Windows-1252\"\r\n" + typed + "[S]\r\nk=\xD6\x80\r\n";
    QTest::newRow("other encoding named is corrected") << QByteArray("[SOURCE]\r\nEncoding=utf-8\r\n[S]\r\nk=\xFC\r\n") << "Ö€"
                                                       << mark + "[S]\r\nk=\xD6\x80\r\n";
    QTest::newRow("replace keeps the rest") << QByteArray("; c\n[S]\n k = 1\n\n") << "2" << QByteArray("; c\n[S]\nk=2\n\n");
    // UTF-16 stays UTF-16 with its mark, as Windows keeps it.
    QTest::newRow("utf-16 le, replace") << utf16("[S]\r\nk=1\r\n[T]\r\nx=\u00e4\r\n", false) << "Müller 中"
                                        << utf16("[S]\r\nk=Müller 中\r\n[T]\r\nx=\u00e4\r\n", false);
    QTest::newRow("utf-16 be, new section") << utf16("; \U0001F600\r\n", true) << "€"
                                            << utf16("; \U0001F600\r\n[S]\r\nk=€\r\n", true);
    QTest::newRow("utf-16 le, mark only") << utf16("", false) << "v" << utf16("[S]\r\nk=v\r\n", false);
}

void TestIniFile::writeRoundTrips()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    if (!before.isNull())
        QVERIFY(put(m_path, before));
    const QString other = ReadIniValue(m_path, "T", "x", Default);
    WriteIniValue(m_path, "S", "k", value);
    QCOMPARE(bytesOf(m_path), after);
    QCOMPARE(ReadIniValue(m_path, "S", "k", Default), value);
    QCOMPARE(ReadIniValue(m_path, "T", "x", Default), other);
    QCOMPARE(listing(m_dir->path()), QStringList{IniBaseName});
}

void TestIniFile::refusesAndKeepsFile_data()
{
    QTest::addColumn<QString>("setup");

    // The write bits count for root as well, so these rows hold for root too.
    QTest::newRow("read-only file") << "file";
    QTest::newRow("read-only folder") << "folder";
    QTest::newRow("unreadable file") << "unreadable";
}

void TestIniFile::refusesAndKeepsFile()
{
    QFETCH(QString, setup);
    if (setup == "unreadable" && ::geteuid() == 0)
        QSKIP("root reads every file");

    const QByteArray original("[S]\r\nk=1\r\n");
    QVERIFY(put(m_path, original));
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC),
                                 QFileDevice::FileModificationTime));
    }
    const QDateTime mtime = QFileInfo(m_path).lastModified();
    if (setup == "file")
        setMode(m_path, 0444);
    else if (setup == "folder")
        setMode(m_dir->path(), 0555);
    else
        setMode(m_path, 0200);

    const FileError::Reason reason = setup == "file"     ? FileError::Reason::ReadOnlyFile
                                     : setup == "folder" ? FileError::Reason::ReadOnlyFolder
                                                         : FileError::Reason::SystemError;
    QVERIFY(isRefusal(errorOf([&] { WriteIniValue(m_path, "S", "k", "2"); }), m_path, reason));
    QVERIFY(isRefusal(errorOf([&] { WriteIniValue(m_path, "New", "k", "2"); }), m_path, reason));

    setMode(m_dir->path(), 0700);
    setMode(m_path, 0600);
    QCOMPARE(bytesOf(m_path), original);
    QCOMPARE(QFileInfo(m_path).lastModified(), mtime);
    QCOMPARE(listing(m_dir->path()), QStringList{IniBaseName});
}

void TestIniFile::refusesWhenFolderIsGone()
{
    const QString folder = m_dir->filePath("gone");
    const QString path = folder + "/" + IniBaseName;
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(QDir(folder).removeRecursively());

    const FileError noFolder(FileError::Action::Write, path, FileError::Reason::NoFolder, ENOENT, folder);
    QCOMPARE(errorOf([&] { WriteIniValue(path, "S", "k", "v"); }), noFolder);
    QCOMPARE(errorOf([&] { CreateDefaultIniFile(path); }), noFolder);
    QVERIFY(!QFileInfo::exists(folder));
}

void TestIniFile::brokenUtf16IsNotRewritten()
{
    // An odd byte count or a lone surrogate cannot come back unchanged.
    for (const QByteArray &broken : {utf16("[S]\r\nk=1\r\n", false) + 'x',
                                     utf16(QStringLiteral("[S]\r\nk=1\r\n; ") + QChar(0xD800), true)}) {
        QVERIFY(put(m_path, broken));
        QCOMPARE(ReadIniValue(m_path, "S", "k", Default), "1");
        QCOMPARE(errorOf([&] { WriteIniValue(m_path, "S", "k", "2"); }),
                 FileError(FileError::Action::Write, m_path, FileError::Reason::InvalidUtf16));
        QCOMPARE(bytesOf(m_path), broken);
    }
}

void TestIniFile::linksWrittenThroughOnlyWhenTrusted_data()
{
    QTest::addColumn<QString>("folderKind"); // "own" (0700) or "shared" (sticky, world-writable)
    QTest::addColumn<bool>("foreignLink");   // the link belongs to another user
    QTest::addColumn<bool>("dangling");
    QTest::addColumn<bool>("written");

    QTest::newRow("own link, own folder") << "own" << false << false << true;
    QTest::newRow("own link, shared folder") << "shared" << false << false << false;
    QTest::newRow("foreign link, shared folder") << "shared" << true << false << false;
    QTest::newRow("foreign link, own folder") << "own" << true << false << false;
    QTest::newRow("own link to nothing") << "own" << false << true << false;
}

void TestIniFile::linksWrittenThroughOnlyWhenTrusted()
{
    QFETCH(QString, folderKind);
    QFETCH(bool, foreignLink);
    QFETCH(bool, dangling);
    QFETCH(bool, written);
    if (foreignLink && !isRoot())
        QSKIP("giving a link to another user needs root");

    const QString folder = m_dir->filePath(folderKind);
    QVERIFY(QDir().mkdir(folder));
    setMode(folder, folderKind == "shared" ? 01777 : 0700);
    const QString target = m_dir->filePath("notes.txt");
    const QByteArray notes("private notes\n");
    if (!dangling) {
        QVERIFY(put(target, notes));
        setMode(target, 0640);
    }
    const QString link = folder + "/site.ini";
    QCOMPARE(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
    if (foreignLink)
        QCOMPARE(::lchown(QFile::encodeName(link).constData(), Nobody, Nobody), 0);

    const std::optional<FileError> error = errorOf([&] { WriteIniValue(link, "PRINTER", "Head", "x"); });
    QVERIFY(QFileInfo(link).isSymLink());
    if (written) {
        QVERIFY(!error);
        QCOMPARE(bytesOf(target), notes + "[PRINTER]\r\nHead=x\r\n");
        QCOMPARE(modeOf(target), 0640);
        QCOMPARE(listing(folder), QStringList{"site.ini"});
        return;
    }
    QVERIFY(isRefusal(error, link, dangling ? FileError::Reason::DanglingLink : FileError::Reason::UntrustedLink));
    QCOMPARE(QFileInfo::exists(target), !dangling);
    if (!dangling)
        QCOMPARE(bytesOf(target), notes);
    QCOMPARE(errorOf([&] { ReplaceFile(link, "x"); }), error);
    QVERIFY(!CreateDefaultIniFile(link));
    QCOMPARE(QFileInfo::exists(target), !dangling);
    QCOMPARE(listing(folder), QStringList{"site.ini"});
}

void TestIniFile::keepsOwnerGroupAndMode()
{
    if (!isRoot())
        QSKIP("giving a file to another user needs root");
    // Root editing a user's file must leave it the user's.
    QVERIFY(put(m_path, "[S]\r\nk=1\r\n"));
    QCOMPARE(::chown(QFile::encodeName(m_path).constData(), Nobody, Nobody), 0);
    setMode(m_path, 0604);
    WriteIniValue(m_path, "S", "k", "2");
    const struct stat st = statOf(m_path);
    QCOMPARE(st.st_uid, Nobody);
    QCOMPARE(st.st_gid, gid_t(Nobody));
    QCOMPARE(int(st.st_mode & 07777), 0604);
    QCOMPARE(bytesOf(m_path), QByteArray("[S]\r\nk=2\r\n"));
}

void TestIniFile::removesStaleTemporaryFiles()
{
    QVERIFY(put(m_path, "[S]\r\nk=1\r\n"));
    const QString stale = m_dir->filePath(".Velmora.ini.velmora-temp-aZ09xY");
    QVERIFY(put(stale, DefaultIniContent()));
    // Not the program's copies of this file: the user's backups, other
    // names, a folder, a link.
    const QStringList others{m_path + ".backup", m_path + ".250101", m_path + ".orig01", m_path + ".aZ09xY",
                             m_path + ".tmp", stale + "z", m_dir->filePath(".Other.ini.velmora-temp-aZ09xY")};
    for (const QString &other : others)
        QVERIFY(put(other, "mine"));
    const QString folder = m_dir->filePath(".Velmora.ini.velmora-temp-Fold3r");
    const QString link = m_dir->filePath(".Velmora.ini.velmora-temp-L1nk00");
    QVERIFY(QDir().mkdir(folder));
    QCOMPARE(::symlink(QFile::encodeName(stale).constData(), QFile::encodeName(link).constData()), 0);
    QString foreign;
    if (isRoot()) {
        foreign = m_dir->filePath(".Velmora.ini.velmora-temp-n0b0dy");
        QVERIFY(put(foreign, "d"));
        QCOMPARE(::chown(QFile::encodeName(foreign).constData(), Nobody, Nobody), 0);
    }

    QCOMPARE(RemoveStaleTemporaryFiles(m_path), 1);
    QVERIFY(!QFileInfo::exists(stale));
    QCOMPARE(bytesOf(m_path), QByteArray("[S]\r\nk=1\r\n"));
    for (const QString &other : others)
        QCOMPARE(bytesOf(other), QByteArray("mine"));
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(QFileInfo(link).isSymLink());
    if (!foreign.isEmpty())
        QVERIFY(QFileInfo::exists(foreign));
}

void TestIniFile::refusesUnstorableCharacter_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("character");

    QTest::newRow("in value") << "S" << "k" << "a中b" << "中";
    QTest::newRow("in key") << "S" << "ključ" << "v" << "č";
    QTest::newRow("in section") << "😀" << "k" << "v" << "😀";
}

void TestIniFile::refusesUnstorableCharacter()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, character);

    const QByteArray original("[S]\r\nk=1\r\n");
    QVERIFY(put(m_path, original));
    const auto unstorable = [&](const QString &path) {
        return FileError(FileError::Action::Write, path, FileError::Reason::UnstorableCharacter, 0, character);
    };
    QCOMPARE(errorOf([&] { WriteIniValue(m_path, section, key, value); }), unstorable(m_path));
    QCOMPARE(bytesOf(m_path), original);

    const QString missing = m_dir->filePath("missing.ini");
    QCOMPARE(errorOf([&] { WriteIniValue(missing, section, key, value); }), unstorable(missing));
    QVERIFY(!QFileInfo::exists(missing));
}

void TestIniFile::permissions_data()
{
    QTest::addColumn<int>("mode"); // -1: no file yet
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("expected");

    QTest::newRow("0600 kept") << 0600 << 022 << 0600;
    QTest::newRow("0640 kept") << 0640 << 077 << 0640;
    QTest::newRow("0606 kept") << 0606 << 022 << 0606;
    QTest::newRow("new, umask 022") << -1 << 022 << 0644;
    QTest::newRow("new, umask 027") << -1 << 027 << 0640;
}

void TestIniFile::permissions()
{
    QFETCH(int, mode);
    QFETCH(int, mask);
    QFETCH(int, expected);

    if (mode >= 0) {
        QVERIFY(put(m_path, "[S]\r\nk=1\r\n"));
        setMode(m_path, mode);
    }
    const mode_t oldMask = ::umask(mode_t(mask));
    const std::optional<FileError> error = errorOf([&] { WriteIniValue(m_path, "S", "k", "2"); });
    ::umask(oldMask);
    QVERIFY(!error);
    QCOMPARE(modeOf(m_path), expected);
}

void TestIniFile::defaultContent()
{
    QByteArray expected = "[Speech]\r\nSpeech=0\r\n";
    for (int n = 0; n <= 36; ++n) {
        expected += "[QVR" + QByteArray::number(n) + "]\r\n";
        for (int k = 1; k <= 10; ++k)
            expected += QByteArray("Qualitaet") + QByteArray::number(k) + "=" + (k < 10 ? "0" : "") + QByteArray::number(k) + "\r\n";
        for (int k = 1; k <= 10; ++k)
            expected += QByteArray("EDV") + QByteArray::number(k) + "=" + (k < 10 ? "0" : "") + QByteArray::number(k) + "\r\n";
    }
    for (int m = 1; m <= 20; ++m) {
        expected += "[PRODUKT" + QByteArray::number(m) + "]\r\n";
        expected += QByteArray("Qualitaet=") + (m < 10 ? "0" : "") + QByteArray::number(m) + "\r\n";
        expected += QByteArray("Name=Produkt ") + (m < 10 ? " " : "") + QByteArray::number(m) + "\r\n";
    }
    expected += "[PRINTER]\r\nModell=00\r\nHead=Deutsche Brantel\r\n";
    expected += "[INTERFACE]\r\nBaudrateRS232=3\r\nParameterRS232=3\r\nBaudrateRS485=3\r\nParameterRS485=3\r\n";

    const QByteArray content = DefaultIniContent();
    QCOMPARE(content, expected);

    const QList<QByteArray> lines = content.split('\n');
    QCOMPARE(std::count_if(lines.begin(), lines.end(), [](const QByteArray &l) { return l.contains('='); }), 787);
    QVERIFY(content.contains("\r\nName=Produkt  1\r\n"));
    const qsizetype qvr36 = content.indexOf("[QVR36]\r\n") + 9;
    QCOMPARE(content.mid(qvr36, content.indexOf('[', qvr36) - qvr36).count("\r\n"), 20);
}

void TestIniFile::defaultContentEqualsSingleWrites()
{
    const QList<Entry> entries = defaultEntries();
    QCOMPARE(entries.size(), 787);
    for (const Entry &e : entries)
        WriteIniValue(m_path, e.section, e.key, e.value);
    QCOMPARE(bytesOf(m_path), DefaultIniContent());
}

void TestIniFile::createDefaultFile()
{
    QVERIFY(CreateDefaultIniFile(m_path));
    QCOMPARE(bytesOf(m_path), DefaultIniContent());
    QCOMPARE(ReadIniValue(m_path, "PRODUKT7", "Name", Default), "Produkt  7");

    QVERIFY(put(m_path, ""));
    QVERIFY(!CreateDefaultIniFile(m_path));
    QCOMPARE(bytesOf(m_path), QByteArray(""));

    QVERIFY(QFile::remove(m_path));
    setMode(m_dir->path(), 0555);
    QCOMPARE(errorOf([&] { CreateDefaultIniFile(m_path); }),
             FileError(FileError::Action::Write, m_path, FileError::Reason::ReadOnlyFolder, 0, m_dir->path()));
    QVERIFY(!QFileInfo::exists(m_path));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
