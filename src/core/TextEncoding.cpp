#include "core/TextEncoding.h"

#include "core/ConfigLayout.h"
#include "core/Cp1252.h"
#include "core/ProfileFile.h"

#include <QtEndian>

#include <cstring>
#include <string_view>

namespace {

// The length of the well-formed UTF-8 sequence that starts at `p`, a byte
// beyond ASCII, or 0 when none starts there: overlong forms, surrogates and
// code points beyond U+10FFFF are none.
int sequenceLength(const unsigned char *p, const unsigned char *end)
{
    const unsigned char lead = *p;
    int length = 0;
    // The second byte's range, narrower after the leads where it decides.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (end - p < length || p[1] < low || p[1] > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// `p` moved past the ASCII bytes that start at it, eight at a time.
const unsigned char *pastAscii(const unsigned char *p, const unsigned char *end)
{
    constexpr quint64 HighBits = 0x8080808080808080ULL;
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & HighBits)
            break;
    }
    while (p < end && *p < 0x80)
        ++p;
    return p;
}

const unsigned char *bytesOf(const QByteArray &bytes)
{
    return reinterpret_cast<const unsigned char *>(bytes.constData());
}

// Whether the first section named SOURCE says the file is Windows-1252.
bool markedWindows1252(const QByteArray &content)
{
    // The name holds "-1252" in any case. '-' is rare in these files, so
    // looking for it is quick, and nearly every UTF-8 file is read no further.
    if (std::string_view(content.constData(), size_t(content.size())).find("-1252") == std::string_view::npos)
        return false;
    const auto value = ProfileFile::readValue(content, ConfigLayout::SourceSection, ConfigLayout::SourceEncodingKey);
    return value && value->compare(ConfigLayout::Windows1252Name, Qt::CaseInsensitive) == 0;
}

} // namespace

bool IsUtf8BeyondAscii(const QByteArray &content)
{
    const unsigned char *p = bytesOf(content);
    const unsigned char *const end = p + content.size();
    bool beyondAscii = false;
    while ((p = pastAscii(p, end)) < end) {
        const int length = sequenceLength(p, end);
        if (length == 0)
            return false;
        beyondAscii = true;
        p += length;
    }
    return beyondAscii;
}

bool LooksLikeUtf8(const QByteArray &bytes)
{
    const unsigned char *const begin = bytesOf(bytes);
    const unsigned char *const end = begin + bytes.size();
    for (const unsigned char *p = begin; p < end; ++p) {
        if (*p >= 0xC2 && sequenceLength(p, end) > 0)
            return true;
    }
    return false;
}

TextEncoding EncodingOf(const QByteArray &content)
{
    if (content.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8;
    if (content.startsWith("\xFF\xFE"))
        return TextEncoding::Utf16Le;
    if (content.startsWith("\xFE\xFF"))
        return TextEncoding::Utf16Be;
    // [SOURCE] is looked at only where the bytes alone would mislead.
    if (IsUtf8BeyondAscii(content) && !markedWindows1252(content))
        return TextEncoding::Utf8;
    return TextEncoding::Ansi;
}

bool IsUtf16(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
}

QByteArray Utf16AsUtf8(const QByteArray &content, bool big, bool *exact)
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

QByteArray Utf8AsUtf16(const QByteArray &utf8WithBom, bool big)
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

QString UnstorableCharacter(const QString &text, bool unicode)
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

QByteArray EncodeFor(const QString &text, bool unicode)
{
    return unicode ? text.toUtf8() : Cp1252::encode(text);
}
