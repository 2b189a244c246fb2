#include "cli/ProgressBar.h"

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
    step(0, QString());
}

void ProgressBar::step(int value, const QString &step)
{
    if (!m_enabled)
        return;
    constexpr int width = 24;
    const int filled = std::clamp(value * width / m_total, 0, width);
    draw(QStringLiteral("%1 [%2%3] %4/%5 %6")
             .arg(m_label, QString(filled, u'#'), QString(width - filled, u'.'))
             .arg(value)
             .arg(m_total)
             .arg(step));
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
