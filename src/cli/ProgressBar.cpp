#include "cli/ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

ProgressBar::ProgressBar(bool enabled) : m_enabled(enabled) {}

bool ProgressBar::stderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

void ProgressBar::note(const QString &text)
{
    draw(text);
}

void ProgressBar::start(const QString &label, int total)
{
    m_label = label;
    m_total = std::max(total, 1);
    m_clock.start();
    step(0, QString());
}

namespace {

// "0:05", "12:40", "1:02:03": minutes and seconds, hours only when needed.
QString duration(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const QString minutesSeconds = QStringLiteral("%1:%2")
                                       .arg(hours > 0 ? QString::number(seconds / 60 % 60).rightJustified(2, u'0')
                                                      : QString::number(seconds / 60))
                                       .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QString::number(hours) + u':' + minutesSeconds : minutesSeconds;
}

} // namespace

QString ProgressBar::line(const QString &label, int value, int total, qint64 elapsedMs, const QString &step)
{
    constexpr int width = 24;
    total = std::max(total, 1);
    value = std::clamp(value, 0, total);
    const int filled = value * width / total;
    QString text = QStringLiteral("%1 [%2%3] %4/%5 %6%")
                       .arg(label, QString(filled, u'#'), QString(width - filled, u'.'))
                       .arg(value)
                       .arg(total)
                       .arg(value * 100 / total, 3);
    // The records answered so far set the pace for the rest, the one on
    // its way included, rounded up to a second.
    const int answered = value - 1;
    if (answered > 0) {
        const qint64 leftMs = std::max<qint64>(elapsedMs, 0) * (total - answered) / answered;
        text += QStringLiteral("  %1 left").arg(duration((leftMs + 999) / 1000));
    }
    if (!step.isEmpty())
        text += QStringLiteral("  ") + step;
    return text;
}

void ProgressBar::step(int value, const QString &step)
{
    if (!m_enabled)
        return;
    draw(line(m_label, value, m_total, m_clock.isValid() ? m_clock.elapsed() : 0, step));
}

void ProgressBar::draw(const QString &line)
{
    if (!m_enabled)
        return;
    winsize size{};
    int columns = 80;
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 10)
        columns = size.ws_col;
    // One character short of the width, so that the terminal never wraps.
    const QByteArray text = line.left(columns - 1).toUtf8();
    std::fprintf(stderr, "\r%s\033[K", text.constData());
    std::fflush(stderr);
    m_shown = true;
}

void ProgressBar::clear()
{
    if (!m_shown)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_shown = false;
}
