#pragma once
// Cuts the received byte stream into reply lines, each ending with its LF.

#include <QByteArray>
#include <QList>

class LineAssembler
{
public:
    // A line longer than this without LF is dropped up to the next LF: the
    // longest regular reply is 50 bytes.
    static constexpr qsizetype MaxLine = 1024;

    // Appends `bytes` and returns the lines completed by them, LF included.
    QList<QByteArray> feed(const QByteArray &bytes);
    // Forgets a line begun but not finished.
    void reset();

private:
    QByteArray m_line;
    bool m_skipping = false;
};
