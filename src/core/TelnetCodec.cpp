#include "core/TelnetCodec.h"

#include <initializer_list>

namespace {

QByteArray bytes(std::initializer_list<char> values)
{
    return QByteArray(values.begin(), qsizetype(values.size()));
}

// Longest subnegotiation kept: the com-port option's are a few bytes; a
// longer one (a signature, a server gone wrong) is cut, never grown.
constexpr int SubLimit = 64;

QByteArray command(quint8 verb, quint8 code)
{
    return bytes({char(TelnetCodec::Iac), char(verb), char(code)});
}

} // namespace

TelnetCodec::TelnetCodec(const LineSettings &settings) : m_wanted(settings) {}

QByteArray TelnetCodec::start()
{
    m_asked[Binary] = m_askedHim[Binary] = m_asked[ComPort] = true;
    return command(Will, Binary) + command(Do, Binary) + command(Will, ComPort);
}

QByteArray TelnetCodec::sub(quint8 commandCode, const QByteArray &value)
{
    QByteArray out = bytes({char(Iac), char(Sb), char(ComPort), char(commandCode)});
    for (char c : value) {
        out += c;
        if (quint8(c) == Iac)
            out += c;
    }
    out += char(Iac);
    out += char(Se);
    return out;
}

QByteArray TelnetCodec::settingsRequests() const
{
    const QByteArray baud = bytes({char(m_wanted.baud >> 24), char(m_wanted.baud >> 16), char(m_wanted.baud >> 8),
                                   char(m_wanted.baud)});
    return sub(SetBaudRate, baud) + sub(SetDataSize, QByteArray(1, char(m_wanted.dataBits)))
           + sub(SetParity, QByteArray(1, char(m_wanted.parity)))
           + sub(SetStopSize, QByteArray(1, char(m_wanted.stopBits)))
           + sub(SetControl, QByteArray(1, char(NoFlowControl))) + sub(SetControl, QByteArray(1, char(DtrOn)))
           + sub(SetControl, QByteArray(1, char(RtsOn)));
}

void TelnetCodec::option(quint8 verb, quint8 code, QByteArray &reply)
{
    const bool ours = code == Binary || code == ComPort;       // we perform these
    const bool his = code == Binary || code == SuppressGoAhead; // the server may
    switch (verb) {
    case Do:
        if (!ours) {
            reply += command(Wont, code);
        } else if (!m_us[code]) {
            m_us[code] = true;
            if (!m_asked[code])
                reply += command(Will, code);
            m_asked[code] = false;
            if (code == ComPort && !m_settingsSent) {
                m_settingsSent = true;
                reply += settingsRequests();
            }
        }
        break;
    case Dont:
        if (m_us[code] && !m_asked[code])
            reply += command(Wont, code);
        m_us[code] = false;
        m_asked[code] = false;
        if (code == ComPort && m_settings == Settings::Pending)
            m_settings = Settings::Refused;
        break;
    case Will:
        if (!his) {
            reply += command(Dont, code);
        } else if (!m_him[code]) {
            m_him[code] = true;
            if (!m_askedHim[code])
                reply += command(Do, code);
            m_askedHim[code] = false;
        }
        break;
    case Wont:
        if (m_him[code] && !m_askedHim[code])
            reply += command(Dont, code);
        m_him[code] = false;
        m_askedHim[code] = false;
        break;
    default:
        break;
    }
}

void TelnetCodec::subnegotiation()
{
    // Of the server's com-port answers only those to our settings matter;
    // line and modem notifications, flow-control notes and the rest are
    // the server's own business.
    if (m_sub.size() < 2 || quint8(m_sub.at(0)) != ComPort || m_settings != Settings::Pending)
        return;
    const int answer = quint8(m_sub.at(1)) - ServerOffset;
    const QByteArray value = m_sub.mid(2);
    bool matches = false;
    switch (answer) {
    case SetBaudRate:
        matches = value.size() == 4
                  && ((quint32(quint8(value[0])) << 24) | (quint32(quint8(value[1])) << 16)
                      | (quint32(quint8(value[2])) << 8) | quint32(quint8(value[3])))
                         == m_wanted.baud;
        break;
    case SetDataSize:
        matches = value.size() == 1 && quint8(value[0]) == m_wanted.dataBits;
        break;
    case SetParity:
        matches = value.size() == 1 && quint8(value[0]) == m_wanted.parity;
        break;
    case SetStopSize:
        matches = value.size() == 1 && quint8(value[0]) == m_wanted.stopBits;
        break;
    default:
        return;
    }
    if (!matches) {
        m_settings = Settings::Refused;
        return;
    }
    m_acknowledged |= 1 << answer;
    if (m_acknowledged == ((1 << SetBaudRate) | (1 << SetDataSize) | (1 << SetParity) | (1 << SetStopSize)))
        m_settings = Settings::Accepted;
}

TelnetCodec::Output TelnetCodec::feed(const QByteArray &bytes)
{
    Output out;
    out.data.reserve(bytes.size());
    for (const char ch : bytes) {
        const quint8 b = quint8(ch);
        switch (m_parse) {
        case Parse::AfterCr:
            // Outside binary mode a CR travels as CR NUL.
            m_parse = Parse::Data;
            if (b == 0)
                break;
            [[fallthrough]];
        case Parse::Data:
            if (b == Iac) {
                m_parse = Parse::Iac;
            } else {
                out.data += ch;
                if (b == '\r' && !m_him[Binary])
                    m_parse = Parse::AfterCr;
            }
            break;
        case Parse::Iac:
            if (b == Iac) {
                out.data += ch;
                m_parse = Parse::Data;
            } else if (b == Will || b == Wont || b == Do || b == Dont) {
                m_verb = b;
                m_parse = Parse::Verb;
            } else if (b == Sb) {
                m_sub.clear();
                m_parse = Parse::Sub;
            } else {
                // NOP, data mark, go ahead, break, a stray SE ...: no data.
                m_parse = Parse::Data;
            }
            break;
        case Parse::Verb:
            option(m_verb, b, out.reply);
            m_parse = Parse::Data;
            break;
        case Parse::Sub:
            if (b == Iac)
                m_parse = Parse::SubIac;
            else if (m_sub.size() < SubLimit)
                m_sub += ch;
            break;
        case Parse::SubIac:
            if (b == Se) {
                subnegotiation();
                m_parse = Parse::Data;
            } else if (b == Iac) {
                // IAC IAC is a 0xFF of the value.
                if (m_sub.size() < SubLimit)
                    m_sub += ch;
                m_parse = Parse::Sub;
            } else {
                // A malformed subnegotiation ends without taking its bytes.
                m_sub.clear();
                m_parse = Parse::Data;
            }
            break;
        }
    }
    return out;
}

QByteArray TelnetCodec::encode(const QByteArray &data) const
{
    QByteArray out;
    out.reserve(data.size() + 8);
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char ch = data.at(i);
        out += ch;
        if (quint8(ch) == Iac)
            out += ch;
        else if (ch == '\r' && !m_us[Binary] && (i + 1 == data.size() || data.at(i + 1) != '\n'))
            out += '\0';
    }
    return out;
}
