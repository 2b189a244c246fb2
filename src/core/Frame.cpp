#include "core/Frame.h"

namespace {

const char HexDigits[] = "0123456789ABCDEF";

// The gateway sums in 16 bits; only the low byte ends up in a frame.
quint16 ByteSum(const char *data, int count)
{
    quint16 sum = 0;
    for (int i = 0; i < count; ++i)
        sum = quint16(sum + static_cast<unsigned char>(data[i]));
    return sum;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

QByteArray BuildRequestFrame(const QByteArray &command)
{
    QByteArray frame;
    frame.reserve(command.size() + 4);
    frame += '>';
    frame += command;
    frame += '<';
    return frame + HexWord(ByteSum(frame.constData(), int(frame.size()))).mid(2);
}

bool CheckReplyFrame(const QByteArray &line)
{
    QByteArray s = line;
    const qsizetype head = s.indexOf('>');
    if (head > 0)
        s.remove(0, head);
    // Keeps the first "<" and the two characters after it; the gateway's
    // own check removes at most 100 more, so a longer tail survives.
    const qsizetype close = s.indexOf('<');
    const qsizetype keep = close < 0 ? 2 : close + 3;
    if (keep < s.size())
        s.remove(keep, 100);

    if (s.size() < 2)
        return false;
    const int hi = HexValue(s.at(s.size() - 2));
    const int lo = HexValue(s.at(s.size() - 1));
    if (hi < 0 || lo < 0)
        return false;
    const quint16 sum = ByteSum(s.constData(), int(s.size() - 2));
    return (sum & 0xFF) == hi * 16 + lo;
}

QByteArray HexWord(quint16 value)
{
    QByteArray out(4, '0');
    out[0] = HexDigits[(value >> 12) & 15];
    out[1] = HexDigits[(value >> 8) & 15];
    out[2] = HexDigits[(value >> 4) & 15];
    out[3] = HexDigits[value & 15];
    return out;
}

QByteArray PadLeft(const QByteArray &text, int width, char fill)
{
    if (text.size() >= width)
        return text;
    return QByteArray(width - text.size(), fill) + text;
}
