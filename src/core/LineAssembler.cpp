#include "core/LineAssembler.h"

QList<QByteArray> LineAssembler::feed(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        const qsizetype end = lf < 0 ? bytes.size() : lf + 1;
        if (!m_skipping) {
            m_line.append(bytes.constData() + start, end - start);
            if (m_line.size() > MaxLine) {
                // Too long to be a reply: drop it and resynchronise at the next LF.
                m_line.clear();
                m_skipping = lf < 0;
            } else if (lf >= 0) {
                lines.append(m_line);
                m_line.clear();
            }
        } else if (lf >= 0) {
            m_skipping = false;
        }
        start = end;
    }
    return lines;
}

void LineAssembler::reset()
{
    m_line.clear();
    m_skipping = false;
}
