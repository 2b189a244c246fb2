#include "core/TrafficLog.h"

#include "core/Cp1252.h"
#include "core/GatewaySession.h"
#include "core/MonitorLog.h"
#include "core/SafeFile.h"

#include <QTime>

#include <cerrno>
#include <unistd.h>

TrafficLog::TrafficLog(GatewaySession &session, QObject *parent) : QObject(parent)
{
    connect(&session, &GatewaySession::requestSent, this, [this](const QByteArray &frame) {
        write({MonitorSentLine(Cp1252::decode(frame), QTime::currentTime())});
    });
    connect(&session, &GatewaySession::lineReceived, this, [this](const QByteArray &line) {
        write(MonitorReceivedLines(Cp1252::decode(line), QTime::currentTime()));
    });
}

TrafficLog::~TrafficLog()
{
    close();
}

void TrafficLog::open(const QString &path)
{
    close();
    m_error = 0;
    m_fd = ReplaceWithEmptyFile(path);
}

int TrafficLog::close()
{
    // A file system that writes late (over a network) reports its errors here.
    if (m_fd >= 0 && ::close(m_fd) != 0 && m_error == 0)
        m_error = errno;
    m_fd = -1;
    return m_error;
}

void TrafficLog::write(const QStringList &lines)
{
    if (m_fd < 0 || m_error != 0 || lines.isEmpty())
        return;
    const QByteArray bytes = MonitorFileContent(lines.join(u'\n'));
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = n < 0 ? errno : ENOSPC;
            return;
        }
        done += n;
    }
}
