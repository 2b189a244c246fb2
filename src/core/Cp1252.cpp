#include "core/Cp1252.h"

namespace {

// 0x80..0x9F; the rest of the upper half is Latin-1. The five undefined bytes
// keep the control character of their own code.
constexpr char16_t High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

// The byte of `c`, or -1 when Windows-1252 has none.
int byteOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int i = 0; i < 32; ++i) {
        if (High[i] == c)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

namespace Cp1252 {

QString decode(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? High[b - 0x80] : char16_t(b));
    }
    return text;
}

QByteArray encode(const QString &text, bool *lossless)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    bool all = true;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 0x80) {
            bytes.append(char(u));
            continue;
        }
        // A surrogate pair is one character and becomes one '?'.
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text.at(i + 1).unicode()))
            ++i;
        const int b = byteOf(u);
        if (b < 0)
            all = false;
        bytes.append(b < 0 ? '?' : char(b));
    }
    if (lossless)
        *lossless = all;
    return bytes;
}

bool canEncode(const QString &text)
{
    for (const QChar c : text) {
        if (byteOf(c.unicode()) < 0)
            return false;
    }
    return true;
}

} // namespace Cp1252
