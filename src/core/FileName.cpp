#include "core/FileName.h"

#include <QStringView>

namespace {

// The length of the valid UTF-8 sequence that starts at `i` of `bytes`, or 0
// for a byte that starts none.
int validUtf8Length(const QByteArray &bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes.at(k)); };
    const unsigned char lead = at(i);
    if (lead < 0x80)
        return 1;
    int length = 0;
    char32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        const unsigned char c = at(i + k);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QByteArray EncodeFileName(const QString &path)
{
    QByteArray out;
    out.reserve(path.size());
    qsizetype start = 0;
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = path.at(i).unicode();
        const bool kept = c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !path.at(i - 1).isHighSurrogate());
        if (!kept)
            continue;
        out += QStringView(path).mid(start, i - start).toUtf8();
        out += char(c - 0xDC00);
        start = i + 1;
    }
    out += QStringView(path).mid(start).toUtf8();
    return out;
}

QString DecodeFileName(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = validUtf8Length(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        out += QString::fromUtf8(bytes.constData() + start, i - start);
        out += QChar(char16_t(0xDC00 + static_cast<unsigned char>(bytes.at(i))));
        start = ++i;
    }
    out += QString::fromUtf8(bytes.constData() + start, bytes.size() - start);
    return out;
}
