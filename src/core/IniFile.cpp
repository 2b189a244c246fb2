#include "core/IniFile.h"

#include "core/ConfigLayout.h"
#include "core/Cp1252.h"
#include "core/ProfileFile.h"
#include "core/Texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

IniError::IniError(const QString &text)
    : std::runtime_error(text.toStdString()), m_text(text)
{
}

namespace {

constexpr qsizetype MaxValueLength = 2047;
constexpr int MaxLinkHops = 40;

// How the text of a file is stored, told by its byte-order mark as Windows'
// profile functions tell it. Without a mark the file is Windows-1252, unless
// it is valid UTF-8 with characters beyond ASCII, as a Linux editor saves it.
enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

bool isUtf8BeyondAscii(const QByteArray &content)
{
    const bool beyondAscii = std::any_of(content.begin(), content.end(), [](char c) { return c & 0x80; });
    return beyondAscii && QString::fromUtf8(content).toUtf8() == content;
}

Encoding encodingOf(const QByteArray &content)
{
    if (content.startsWith("\xEF\xBB\xBF") || isUtf8BeyondAscii(content))
        return Encoding::Utf8;
    if (content.startsWith("\xFF\xFE"))
        return Encoding::Utf16Le;
    if (content.startsWith("\xFE\xFF"))
        return Encoding::Utf16Be;
    return Encoding::Ansi;
}

bool isUtf16(Encoding e)
{
    return e == Encoding::Utf16Le || e == Encoding::Utf16Be;
}

// The profile rules work on single bytes or UTF-8; UTF-16 text is handed to
// them as UTF-8 with its mark. `exact` tells whether the way back gives the
// same bytes (an odd byte count or a lone surrogate would not).
QByteArray utf16AsUtf8(const QByteArray &content, bool big, bool *exact)
{
    const qsizetype units = (content.size() - 2) / 2;
    QString text(units, Qt::Uninitialized);
    if (big)
        qFromBigEndian<char16_t>(content.constData() + 2, units, text.data());
    else
        qFromLittleEndian<char16_t>(content.constData() + 2, units, text.data());
    const QByteArray utf8 = text.toUtf8();
    if (exact)
        *exact = content.size() % 2 == 0 && QString::fromUtf8(utf8) == text;
    return QByteArray("\xEF\xBB\xBF") + utf8;
}

QByteArray utf8AsUtf16(const QByteArray &utf8WithBom, bool big)
{
    const QString text = QString::fromUtf8(utf8WithBom.mid(3));
    QByteArray out(2 + text.size() * 2, Qt::Uninitialized);
    out[0] = big ? '\xFE' : '\xFF';
    out[1] = big ? '\xFF' : '\xFE';
    if (big)
        qToBigEndian<char16_t>(text.utf16(), text.size(), out.data() + 2);
    else
        qToLittleEndian<char16_t>(text.utf16(), text.size(), out.data() + 2);
    return out;
}

QByteArray encodedName(const QString &path)
{
    return QFile::encodeName(path);
}

[[noreturn]] void refuse(const QString &fileName)
{
    throw IniError(QStringLiteral("In ") + fileName + QStringLiteral(" kann nicht geschrieben werden"));
}

[[noreturn]] void unreadable(const QString &fileName, const QString &de, const QString &en)
{
    throw IniError(QStringLiteral("%1 kann nicht gelesen werden: %2\n%1 cannot be read: %3")
                       .arg(fileName, de, en));
}

[[noreturn]] void unreadable(const QString &fileName, int error)
{
    unreadable(fileName, ReasonText(error, 0), ReasonText(error, 1));
}

[[noreturn]] void notRegular(const QString &fileName)
{
    unreadable(fileName, QStringLiteral("keine gewöhnliche Datei"), QStringLiteral("not a regular file"));
}

[[noreturn]] void untrustedLink(const QString &fileName)
{
    throw IniError(QStringLiteral("In %1 wird nicht geschrieben: die Datei ist eine Verknüpfung eines anderen "
                                  "Benutzers oder liegt in einem Ordner, in den andere schreiben dürfen.\n"
                                  "%1 is not written: it is a link owned by another user or lies in a folder "
                                  "that others may write to.")
                       .arg(fileName));
}

[[noreturn]] void danglingLink(const QString &fileName)
{
    throw IniError(QStringLiteral("In %1 wird nicht geschrieben: die Verknüpfung zeigt auf keine Datei.\n"
                                  "%1 is not written: it is a link to a file that does not exist.")
                       .arg(fileName));
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    // Closes now and tells whether the close reported an error.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// Writable for this process and not write-protected. The write bits count
// even for root: a read-only working file stays read-only for an
// administrator too.
bool writable(const QString &path)
{
    constexpr auto writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return ::access(encodedName(path).constData(), W_OK) == 0
           && (QFileInfo(path).permissions() & writeBits);
}

// A regular file's bytes through an open descriptor; false on a read error
// (with errno set).
bool readAll(int fd, QByteArray &content)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        content.append(buffer, n);
    }
}

// The kernel's rule for links that others could have planted, made strict:
// the link is this user's own and no one else may write its folder.
bool trustedLink(const QString &link, const struct stat &linkStat)
{
    if (linkStat.st_uid != ::geteuid())
        return false;
    struct stat folder {};
    if (::stat(encodedName(QFileInfo(link).absolutePath()).constData(), &folder) != 0)
        return false;
    return (folder.st_uid == ::geteuid() || folder.st_uid == 0) && !(folder.st_mode & (S_IWGRP | S_IWOTH));
}

// The path that a write of `fileName` replaces: the name itself, or the end
// of its chain of trusted links. Throws for an untrusted or dangling link.
QString writeTarget(const QString &fileName)
{
    QString path = QFileInfo(fileName).absoluteFilePath();
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(encodedName(path).constData(), &st) != 0) {
            if (hops > 0 && (errno == ENOENT || errno == ENOTDIR))
                danglingLink(fileName);
            return path;
        }
        if (!S_ISLNK(st.st_mode))
            return path;
        if (hops >= MaxLinkHops || !trustedLink(path, st))
            untrustedLink(fileName);
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(encodedName(path).constData(), target.data(), size_t(target.size()));
        if (n <= 0 || n >= target.size())
            untrustedLink(fileName);
        target.truncate(n);
        QString next = QFile::decodeName(target);
        if (!next.startsWith(u'/'))
            next = QFileInfo(path).absolutePath() + u'/' + next;
        // Links in the folder part are resolved as the system resolves them.
        const QFileInfo nextInfo(next);
        const QString folder = QFileInfo(nextInfo.absolutePath()).canonicalFilePath();
        if (folder.isEmpty())
            danglingLink(fileName);
        path = (folder == QLatin1String("/") ? folder : folder + u'/') + nextInfo.fileName();
    }
}

// The umask, which a new file's mode honours.
mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Writes `content` to a temporary file beside `target`, gives it the old
// file's owner, group and mode (`old`, when there was one), and renames it
// over `target`. A kill before the rename leaves the old file and a
// complete temporary copy, which the next start removes.
void replaceAtomically(const QString &fileName, const QString &target, const QByteArray &content,
                       const struct stat *old)
{
    QByteArray temporary = encodedName(target) + ".XXXXXX";
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        refuse(fileName);
    const auto fail = [&]() {
        ::unlink(temporary.constData());
        refuse(fileName);
    };
    for (qsizetype done = 0; done < content.size();) {
        const ssize_t n = ::write(fd.get(), content.constData() + done, size_t(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail();
        done += n;
    }
    if (old) {
        // Only root can give a file away; anyone else keeps at least the group.
        if (::fchown(fd.get(), old->st_uid, old->st_gid) != 0)
            (void)::fchown(fd.get(), uid_t(-1), old->st_gid);
        if (::fchmod(fd.get(), old->st_mode & 07777) != 0)
            fail();
    } else if (::fchmod(fd.get(), 0666 & ~currentUmask()) != 0) {
        fail();
    }
    if (::fsync(fd.get()) != 0 || !fd.close())
        fail();
    if (::rename(temporary.constData(), encodedName(target).constData()) != 0)
        fail();
    // The rename itself reaches the disk with the folder.
    Descriptor folder(::open(encodedName(QFileInfo(target).absolutePath()).constData(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        (void)::fsync(folder.get());
}

// The bytes of the file a write replaces, and its status; false when there
// is no file. A file that cannot be read is never replaced.
bool loadForWrite(const QString &fileName, const QString &target, QByteArray &content, struct stat &st)
{
    if (::lstat(encodedName(target).constData(), &st) != 0) {
        if (errno == ENOENT)
            return false;
        refuse(fileName);
    }
    if (!S_ISREG(st.st_mode) || !writable(target))
        refuse(fileName);
    Descriptor fd(::open(encodedName(target).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || !readAll(fd.get(), content))
        refuse(fileName);
    return true;
}

// The first character of `text` that the file's text cannot hold, or an
// empty string. Unicode files hold everything but a lone surrogate.
QString unstorableCharacter(const QString &text, bool unicode)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80)
            continue;
        const bool pair = c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate();
        const QString ch = text.mid(i, pair ? 2 : 1);
        if (pair)
            ++i;
        if (unicode ? (!pair && c.isSurrogate()) : !Cp1252::canEncode(ch))
            return ch;
    }
    return {};
}

void checkStorable(const QString &fileName, bool unicode, std::initializer_list<const QString *> texts)
{
    for (const QString *text : texts) {
        const QString ch = unstorableCharacter(*text, unicode);
        if (ch.isEmpty())
            continue;
        const char32_t cp = ch.size() == 2 ? QChar::surrogateToUcs4(ch.at(0), ch.at(1)) : ch.at(0).unicode();
        const QString code = QStringLiteral("U+%1").arg(uint(cp), 4, 16, QLatin1Char('0')).toUpper();
        throw IniError(QStringLiteral("Das Zeichen „%1“ (%2) kann in %3 nicht gespeichert werden.\n"
                                      "The character „%1“ (%2) cannot be stored in %3.")
                           .arg(ch, code, fileName));
    }
}

QByteArray encodeFor(const QString &text, bool unicode)
{
    return unicode ? text.toUtf8() : Cp1252::encode(text);
}

} // namespace

std::optional<QByteArray> ReadIniFile(const QString &fileName)
{
    const QByteArray name = encodedName(fileName);
    struct stat st {};
    // Looked at before opening: opening a device can already act on it.
    if (::stat(name.constData(), &st) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return std::nullopt;
        unreadable(fileName, error);
    }
    if (!S_ISREG(st.st_mode))
        notRegular(fileName);
    // Non-blocking: a FIFO put in its place meanwhile cannot hang the program.
    Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        const int error = errno;
        if (error == ENOENT)
            return std::nullopt;
        unreadable(fileName, error);
    }
    if (::fstat(fd.get(), &st) != 0)
        unreadable(fileName, errno);
    if (!S_ISREG(st.st_mode))
        notRegular(fileName);
    QByteArray content;
    if (!readAll(fd.get(), content))
        unreadable(fileName, errno);
    return content;
}

void StoreIniFile(const QString &fileName, const QByteArray &content)
{
    const QString target = writeTarget(fileName);
    struct stat st {};
    QByteArray old;
    const bool exists = loadForWrite(fileName, target, old, st);
    if (!writable(QFileInfo(target).absolutePath()))
        refuse(fileName);
    replaceAtomically(fileName, target, content, exists ? &st : nullptr);
}

int RemoveStaleTemporaryFiles(const QString &fileName)
{
    QStringList places{QFileInfo(fileName).absoluteFilePath()};
    try {
        const QString target = writeTarget(fileName);
        if (!places.contains(target))
            places << target;
    } catch (const IniError &) {
        // A link the program never writes through has no copies of ours.
    }
    int removed = 0;
    for (const QString &place : places) {
        const QFileInfo info(place);
        const QRegularExpression pattern(QStringLiteral("^") + QRegularExpression::escape(info.fileName())
                                         + QStringLiteral("\\.[A-Za-z0-9]{6}$"));
        const QDir folder = info.absoluteDir();
        const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &name : names) {
            if (!pattern.match(name).hasMatch())
                continue;
            const QByteArray path = encodedName(folder.filePath(name));
            struct stat st {};
            if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()
                && ::unlink(path.constData()) == 0)
                ++removed;
        }
    }
    return removed;
}

QString ReadIniValue(const QString &fileName, const QString &section, const QString &key,
                     const QString &def)
{
    return IniValueIn(ReadIniFile(fileName), section, key, def);
}

QString IniValueIn(const std::optional<QByteArray> &content, const QString &section, const QString &key,
                   const QString &def)
{
    if (!content)
        return def;
    const Encoding encoding = encodingOf(*content);

    if (encoding != Encoding::Ansi) {
        const QByteArray text = isUtf16(encoding)
                                    ? utf16AsUtf8(*content, encoding == Encoding::Utf16Be, nullptr)
                                    : *content;
        const auto value = ProfileFile::readValue(text, section.toUtf8(), key.toUtf8());
        if (!value)
            return def;
        QString result = QString::fromUtf8(*value);
        if (result.size() > MaxValueLength)
            result.truncate(result.at(MaxValueLength - 1).isHighSurrogate() ? MaxValueLength - 1 : MaxValueLength);
        return result;
    }

    // A name Windows-1252 cannot hold is in no such file; encoding it
    // with '?' could match a different name.
    bool sectionOk = false;
    bool keyOk = false;
    const QByteArray s = Cp1252::encode(section, &sectionOk);
    const QByteArray k = Cp1252::encode(key, &keyOk);
    if (!sectionOk || !keyOk)
        return def;
    const auto value = ProfileFile::readValue(*content, s, k);
    return value ? Cp1252::decode(*value) : def;
}

void WriteIniValue(const QString &fileName, const QString &section, const QString &key,
                   const QString &value)
{
    WriteIniValues(fileName, section, {{key, value}});
}

void WriteIniValues(const QString &fileName, const QString &section, const IniValues &values)
{
    const QString target = writeTarget(fileName);
    struct stat st {};
    QByteArray content;
    const bool exists = loadForWrite(fileName, target, content, st);
    const Encoding encoding = encodingOf(content);
    const bool unicode = encoding != Encoding::Ansi;
    for (const auto &[key, value] : values)
        checkStorable(fileName, unicode, {&section, &key, &value});

    QByteArray updated;
    if (isUtf16(encoding)) {
        const bool big = encoding == Encoding::Utf16Be;
        bool exact = false;
        QByteArray text = utf16AsUtf8(content, big, &exact);
        // Rewriting would change bytes that are not ours to change.
        if (!exact)
            throw IniError(QStringLiteral("%1 ist kein gültiger UTF-16-Text und wird nicht verändert.\n"
                                          "%1 is not valid UTF-16 text and is left unchanged.")
                               .arg(fileName));
        for (const auto &[key, value] : values)
            text = ProfileFile::writeValue(text, section.toUtf8(), key.toUtf8(), value.toUtf8());
        updated = utf8AsUtf16(text, big);
    } else {
        updated = content;
        const QByteArray s = encodeFor(section, unicode);
        for (const auto &[key, value] : values)
            updated = ProfileFile::writeValue(updated, s, encodeFor(key, unicode), encodeFor(value, unicode));
    }
    if (!writable(QFileInfo(target).absolutePath()))
        refuse(fileName);
    replaceAtomically(fileName, target, updated, exists ? &st : nullptr);
}

bool CreateDefaultIniFile(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (info.exists() || info.isSymLink())
        return false;
    StoreIniFile(fileName, DefaultIniContent());
    return true;
}

QString ProgramFolder()
{
    if (QCoreApplication::instance()) {
        const QString exeFolder = QCoreApplication::applicationDirPath();
        // An installed program (under /usr, also when run by root) keeps its
        // file per user, never beside the system's executables.
        const bool installed = exeFolder.startsWith(QLatin1String("/usr/"))
                               || exeFolder == QLatin1String("/bin") || exeFolder == QLatin1String("/sbin");
        if (!exeFolder.isEmpty() && !installed && writable(exeFolder))
            return exeFolder.endsWith(QLatin1Char('/')) ? exeFolder : exeFolder + QLatin1Char('/');
    }
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = base + QStringLiteral("/velmora");
    QDir().mkpath(folder);
    return folder + QLatin1Char('/');
}

