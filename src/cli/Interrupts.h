#pragma once
// Ctrl-C, a closed SSH session or a kill while a run is under way: the
// signal ends the wait in the event loop, so that the run stops, the
// temporary copies are removed and FILE stays as it was; the program then
// ends with 128 + the signal's number, as a shell reports it (130 for
// Ctrl-C). Should it be held in a call that no signal ends (a pipe nobody
// reads), it ends with that status a few seconds later all the same; what
// it leaves behind then, the next run removes. A second signal ends the
// program at once.

#include <QObject>

class Interrupts : public QObject
{
    Q_OBJECT
public:
    // How long the program may take to end after a signal.
    static constexpr unsigned GraceSeconds = 5;

    // Catches SIGINT, SIGTERM and SIGHUP from now on.
    static Interrupts &install();
    static Interrupts *instance();
    bool raised() const;
    // The signal that came (SIGINT for Ctrl-C), 0 while none has.
    int signal() const;

signals:
    void interrupted();

private:
    Interrupts();
};
