// libFuzzer target: arbitrary bytes as a working file in each encoding the
// tool reads (Windows-1252, UTF-16 with its mark in either byte order, UTF-8
// with its mark), one value written into it, then read back: the value must
// read back, no other value may change but the encoding mark of [SOURCE],
// and a refused write must leave the file byte for byte.

#include "core/ConfigLayout.h"
#include "core/Cp1252.h"
#include "core/IniFile.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

// The file's text as the tool would read it.
QString textOf(const QByteArray &content)
{
    if (content.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE)(content.mid(2));
    if (content.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE)(content.mid(2));
    if (content.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(content.mid(3));
    return Cp1252::decode(content);
}

// Every section and key name the text could hold: each key-like line under
// the header before it. Names that are none read as missing before and after.
QList<QPair<QString, QString>> candidates(const QString &text)
{
    QList<QPair<QString, QString>> out;
    QString section;
    for (QString line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            section = line.mid(1).section(u']', 0, 0);
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0)
            out.append({section, line.left(eq).trimmed()});
    }
    return out;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0 || a.toCaseFolded() == b.toCaseFolded();
}

const char *const Sections[] = {"QVR3", "qvr3", "PRODUKT7", "PRINTER", "INTERFACE", "Speech", "Neu", "S"};
const char *const Keys[] = {"Qualitaet1", "EDV10", "Name", "Head", "BaudrateRS232", "key", "k", "Speech"};
// Characters every encoding holds and the reader gives back as written.
const QString Alphabet = QStringLiteral("abcXYZ0129 -_.,;:!#äöüÄÖÜß€é");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("Velmora.ini"));
    if (size < 3)
        return 0;

    // First byte: encoding; second: section and key; third: value length.
    const int encoding = data[0] & 3;
    const QString section = QLatin1String(Sections[data[1] & 7]);
    const QString key = QLatin1String(Keys[(data[1] >> 3) & 7]);
    const size_t valueLength = std::min<size_t>(data[2] % 48, size - 3);
    QString value;
    for (size_t i = 0; i < valueLength; ++i)
        value += Alphabet.at(data[3 + i] % Alphabet.size());
    value = value.trimmed();
    const QByteArray body(reinterpret_cast<const char *>(data) + 3 + valueLength, qsizetype(size - 3 - valueLength));
    static const char *const Marks[] = {"", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"};
    const QByteArray content = QByteArray(Marks[encoding]) + body;
    put(path, content);

    QList<QPair<QString, QString>> others;
    for (const auto &name : candidates(textOf(content))) {
        if (!(sameName(name.first, section) && sameName(name.second, key)))
            others.append(name);
    }
    const QString missing = QStringLiteral("\x01missing");
    QStringList before;
    for (const auto &[s, k] : others)
        before << ReadIniValue(path, s, k, missing);

    try {
        WriteIniValue(path, section, key, value);
    } catch (const FileError &) {
        if (bytesOf(path) != content)
            std::abort();
        return 0;
    }
    if (ReadIniValue(path, section, key, missing) != value)
        std::abort();
    for (qsizetype i = 0; i < others.size(); ++i) {
        const QString after = ReadIniValue(path, others.at(i).first, others.at(i).second, missing);
        // The one value a write may change besides its own: the encoding
        // mark of a Windows-1252 file whose bytes now form UTF-8.
        const bool marked = sameName(others.at(i).first, QLatin1String(ConfigLayout::SourceSection))
                            && sameName(others.at(i).second, QLatin1String(ConfigLayout::SourceEncodingKey))
                            && after == QLatin1String(ConfigLayout::Windows1252Name);
        if (after != before.at(i) && !marked)
            std::abort();
    }
    return 0;
}
