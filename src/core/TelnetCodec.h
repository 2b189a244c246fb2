#pragma once
// The telnet side of a network port that speaks the com-port option
// (telnet, RFC 854, with RFC 2217): negotiation of binary mode and the
// com-port option, the line settings sent and their acknowledgements
// checked, the escape byte 0xFF doubled out and undoubled in. What reaches
// the frame reader is the line's bytes alone; commands, option talk and
// the server's notifications stay here. Pure: bytes in, bytes out.

#include <QByteArray>
#include <QtGlobal>

class TelnetCodec
{
public:
    // The line as the gateway needs it: 9600 baud, 8 data bits, no parity,
    // one stop bit.
    struct LineSettings
    {
        quint32 baud = 9600;
        quint8 dataBits = 8;
        quint8 parity = 1;   // the option's code for "none"
        quint8 stopBits = 1; // the option's code for "1"
    };

    enum class Settings {
        Pending,  // not yet all acknowledged
        Accepted, // the server took each setting as sent
        Refused,  // the server refused the option or answered another value
    };

    struct Output
    {
        QByteArray data;  // the line's bytes, for the frame reader
        QByteArray reply; // what goes back to the server (negotiation)
    };

    TelnetCodec() = default;
    explicit TelnetCodec(const LineSettings &settings);

    // What the client says first: binary both ways, the com-port option.
    QByteArray start();
    // The server's bytes, in any split; state carries across calls.
    Output feed(const QByteArray &bytes);
    // The line's bytes as they go on the connection.
    QByteArray encode(const QByteArray &data) const;

    Settings settings() const { return m_settings; }
    bool binaryOut() const { return m_us[Binary]; }
    bool binaryIn() const { return m_him[Binary]; }

    // Option codes and command bytes of the protocol.
    enum : quint8 {
        Iac = 255, Dont = 254, Do = 253, Wont = 252, Will = 251, Sb = 250, Se = 240,
        Binary = 0, SuppressGoAhead = 3, ComPort = 44,
        SetBaudRate = 1, SetDataSize = 2, SetParity = 3, SetStopSize = 4, SetControl = 5,
        ServerOffset = 100,
    };
    // SET-CONTROL values sent with the settings: no flow control, DTR and
    // RTS raised, as on a local line.
    enum : quint8 { NoFlowControl = 1, DtrOn = 8, RtsOn = 11 };

private:
    void option(quint8 verb, quint8 code, QByteArray &reply);
    void subnegotiation();
    QByteArray settingsRequests() const;
    static QByteArray sub(quint8 command, const QByteArray &value);

    enum class Parse { Data, Iac, Verb, Sub, SubIac, AfterCr };

    LineSettings m_wanted;
    Settings m_settings = Settings::Pending;
    bool m_us[256] = {};     // options we perform
    bool m_him[256] = {};    // options the server performs
    bool m_asked[256] = {};  // we sent WILL and await its answer
    bool m_askedHim[256] = {}; // we sent DO and await its answer
    bool m_settingsSent = false;
    int m_acknowledged = 0; // bit per setting 1..4
    Parse m_parse = Parse::Data;
    quint8 m_verb = 0;
    QByteArray m_sub;
};
