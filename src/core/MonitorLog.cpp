#include "core/MonitorLog.h"

#include "core/TextTrim.h"

QString MonitorTimeStamp(const QTime &time)
{
    return time.toString(QStringLiteral("hh:mm:ss:zzz"));
}

QString MonitorSentLine(const QString &request, const QTime &time)
{
    return MonitorTimeStamp(time) + QStringLiteral(" # ") + TrimControl(request);
}

QStringList MonitorReceivedLines(const QString &line, const QTime &time)
{
    const QString trimmed = TrimControl(line);
    if (trimmed.isEmpty())
        return {};
    return {MonitorTimeStamp(time) + QStringLiteral(" # ") + trimmed,
            QString(69, u'-') + u' '};
}

QString MonitorClipboardText(const QString &plainText)
{
    if (plainText.isEmpty())
        return QString();
    QString text = plainText;
    if (text.endsWith(u'\n'))
        text.chop(1);
    QString result;
    result.reserve(text.size() + text.count(u'\n') + 2);
    for (const QStringView line : QStringView(text).split(u'\n')) {
        result += line;
        result += QStringLiteral("\r\n");
    }
    return result;
}

QByteArray MonitorFileContent(const QString &plainText)
{
    if (plainText.isEmpty())
        return QByteArray();
    QByteArray content = plainText.toUtf8();
    if (!content.endsWith('\n'))
        content += '\n';
    return content;
}
