#pragma once
// Progress on standard error: one line redrawn in place on a terminal, with
// the record being handled; nothing when standard error is not a terminal
// (a log or a pipe) or with --quiet.

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

private:
    void draw(const QString &line);

    bool m_enabled;
    bool m_shown = false;
    QString m_label;
    int m_total = 0;
};
