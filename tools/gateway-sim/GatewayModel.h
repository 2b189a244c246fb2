#pragma once
// The simulated gateway's records and how it answers a request: its state
// in memory, laid out for the chosen firmware on its own terms, not through
// the tool's layout, so that the two check each other. It knows nothing of
// terminals, pacing or faults, and a test can use it in-process.

#include <QByteArray>

namespace GatewaySim {

// The character of each terminal address, from address 0.
inline constexpr char AddressChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// `n` in two decimal digits with a leading zero.
QByteArray two(int n);

// The terminal address of an address character; -1 for any other.
int addressOf(char ch);

struct Gateway
{
    int firmware = 311;
    QByteArray quality[36][10];
    QByteArray edv[36][10];
    QByteArray productQuality[21];
    QByteArray productName[21]; // ten characters, right-aligned
    QByteArray printerModel = "02";
    QByteArray printerHead = "Simulierte Kopfzeile";
    QByteArray interface = "4125";

    bool hasPoint5() const { return firmware >= 110 && firmware != 208; }
    bool hasTenPoints() const { return firmware > 310; }

    // State that differs from the tool's defaults, so that a read shows.
    Gateway();

    QByteArray pointsRecord(int a) const;
    QByteArray productRecord(int m) const;
    QByteArray printerRecord() const;

    // The reply record to a request command (without its frame), or nothing
    // for a request that the gateway does not accept.
    QByteArray answer(const QByteArray &c) const;
    // Takes the values of a write request; any other request changes nothing.
    void store(const QByteArray &c);
    // New values for the record that read request `c` asks for, different
    // in each `round`, each within its field's form.
    void vary(const QByteArray &c, int round);
};

} // namespace GatewaySim
