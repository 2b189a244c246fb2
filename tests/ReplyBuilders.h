#pragma once
// Reply lines of the gateway, without their frame, as the session, window
// and benchmark tests feed them to the tool.

#include <QByteArray>

// A points record for the address letter `address` with `points` points:
// qualities 11..14 and EDV numbers 21..24 for the first four, then quality
// 30 + k and EDV number 40 + k for point k.
inline QByteArray PointsReply(char address, int points)
{
    QByteArray record = "cZ" + QByteArray(1, address) + "1112131421222324";
    for (int k = 5; k <= points; ++k)
        record += QByteArray::number(30 + k) + QByteArray::number(40 + k);
    return record;
}

// A product record: number and quality as two digits each, the name
// right-aligned in its ten characters.
inline QByteArray ProductReply(int product, int quality, const QByteArray &name)
{
    return "cP" + QByteArray::number(product).rightJustified(2, '0')
           + QByteArray::number(quality).rightJustified(2, '0') + name.rightJustified(10, ' ');
}

// What a gateway answers the connect poll with: its product 1.
inline QByteArray PollReply()
{
    return ProductReply(1, 1, "Produkt  1");
}

// A printer record: the model as two digits, the header filled with blanks
// to its 40 characters.
inline QByteArray PrinterReply(int model, const QByteArray &header)
{
    return "cD" + QByteArray::number(model).rightJustified(2, '0') + header.leftJustified(40, ' ');
}

// The record a gateway with `points` points per address (10: firmware
// 3.11) holds, as its reply to a read or write `command` ("C0Z" + address
// letter, "C1P" + two digits, "C0I", "C0D"); empty for a command of any
// other kind.
inline QByteArray FixedRecordReply(const QByteArray &command, int points = 10)
{
    const QByteArray kind = command.mid(1, 2);
    if (kind == "0Z" || kind == "1Z")
        return PointsReply(command.size() > 3 ? command.at(3) : '?', points);
    if (kind == "0P" || kind == "1P")
        return "cP" + command.mid(3, 2) + "77" + "    Answer";
    if (kind == "0I" || kind == "1I")
        return "cI0123";
    if (kind == "0D" || kind == "1D")
        return "cD01" + QByteArray(40, 'h');
    return {};
}
