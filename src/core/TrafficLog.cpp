#include "core/TrafficLog.h"

#include "core/Cp1252.h"
#include "core/GatewaySession.h"
#include "core/MonitorLog.h"

#include <QTime>

TrafficLog::TrafficLog(GatewaySession &session, QObject *parent) : QObject(parent)
{
    connect(&session, &GatewaySession::requestSent, this, [this](const QByteArray &frame) {
        write({MonitorSentLine(Cp1252::decode(frame), QTime::currentTime())});
    });
    connect(&session, &GatewaySession::lineReceived, this, [this](const QByteArray &line) {
        write(MonitorReceivedLines(Cp1252::decode(line), QTime::currentTime()));
    });
}

bool TrafficLog::open(const QString &path, QString *reason)
{
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return true;
    if (reason)
        *reason = m_file.errorString();
    return false;
}

void TrafficLog::write(const QStringList &lines)
{
    if (!m_file.isOpen() || !m_error.isEmpty() || lines.isEmpty())
        return;
    const QByteArray bytes = MonitorFileContent(lines.join(u'\n'));
    if (m_file.write(bytes) != bytes.size())
        m_error = m_file.errorString();
}
