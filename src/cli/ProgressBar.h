#pragma once
// Progress on standard error: one line redrawn in place on a terminal, with
// the share done, the time left and the record being handled; nothing when
// standard error is not a terminal (a log or a pipe) or with --quiet.

#include <QElapsedTimer>
#include <QString>

class ProgressBar
{
public:
    explicit ProgressBar(bool enabled);
    static bool stderrIsTerminal();

    bool enabled() const { return m_enabled; }
    // A line of its own that the next drawing replaces ("Connecting ...").
    void note(const QString &text);
    void start(const QString &label, int total);
    // `value` of the total done; `step` names the record (null for none).
    void step(int value, const QString &step);
    // Removes the line, before a message or at the end.
    void clear();

    // The line for request `value` of `total` (on its way, the ones before
    // it answered) after `elapsedMs`: the bar, the count, the share and,
    // once a record has been answered, the time left at the pace so far
    // ("Reading [######......] 12/46  26%  0:05 left  Device: 3").
    static QString line(const QString &label, int value, int total, qint64 elapsedMs, const QString &step);

private:
    void draw(const QString &line);

    bool m_enabled;
    bool m_shown = false;
    QString m_label;
    int m_total = 0;
    QElapsedTimer m_clock;
};
