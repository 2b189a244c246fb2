#include "core/TextEncoding.h"

#include "core/Cp1252.h"

#include <QtEndian>

#include <algorithm>

bool IsUtf8BeyondAscii(const QByteArray &content)
{
    const bool beyondAscii = std::any_of(content.begin(), content.end(), [](char c) { return c & 0x80; });
    return beyondAscii && QString::fromUtf8(content).toUtf8() == content;
}

TextEncoding EncodingOf(const QByteArray &content)
{
    if (content.startsWith("\xEF\xBB\xBF") || IsUtf8BeyondAscii(content))
        return TextEncoding::Utf8;
    if (content.startsWith("\xFF\xFE"))
        return TextEncoding::Utf16Le;
    if (content.startsWith("\xFE\xFF"))
        return TextEncoding::Utf16Be;
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
