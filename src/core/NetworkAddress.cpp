#include "core/NetworkAddress.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace {

const QLatin1String Rfc2217Scheme("rfc2217://");
const QLatin1String TcpScheme("tcp://");

} // namespace

bool NetworkAddress::looksLikeAddress(const QString &text)
{
    const QString t = text.trimmed();
    return t.startsWith(Rfc2217Scheme, Qt::CaseInsensitive) || t.startsWith(TcpScheme, Qt::CaseInsensitive);
}

std::optional<NetworkAddress> NetworkAddress::parse(const QString &text)
{
    const QString t = text.trimmed();
    NetworkAddress address;
    QString rest;
    if (t.startsWith(Rfc2217Scheme, Qt::CaseInsensitive)) {
        address.kind = Kind::Rfc2217;
        rest = t.mid(Rfc2217Scheme.size());
    } else if (t.startsWith(TcpScheme, Qt::CaseInsensitive)) {
        address.kind = Kind::RawTcp;
        rest = t.mid(TcpScheme.size());
    } else {
        return std::nullopt;
    }
    // HOST:PORT, or [IPv6]:PORT; a host name of letters, digits, dots,
    // hyphens and underscores, nothing after the port but an optional "/".
    static const QRegularExpression form(
        QStringLiteral("^(?:\\[([0-9A-Fa-f:.]+)\\]|([A-Za-z0-9._-]+)):(\\d{1,5})/?$"));
    const QRegularExpressionMatch m = form.match(rest);
    if (!m.hasMatch())
        return std::nullopt;
    const QString v6 = m.captured(1);
    address.host = v6.isEmpty() ? m.captured(2) : v6;
    if (!v6.isEmpty() && QHostAddress(v6).protocol() != QAbstractSocket::IPv6Protocol)
        return std::nullopt;
    const int port = m.captured(3).toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    address.port = quint16(port);
    return address;
}

QString NetworkAddress::toString() const
{
    const QString host = this->host.contains(u':') ? u'[' + this->host + u']' : this->host;
    return (kind == Kind::Rfc2217 ? QString(Rfc2217Scheme) : QString(TcpScheme)) + host + u':'
           + QString::number(port);
}
