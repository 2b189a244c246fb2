#pragma once
// The device link: owns the link state and the polling timer and offers the
// operations that talk to the gateway. Created hidden after the main window
// and never shown.

#include <QObject>
#include <QString>
#include <QTimer>

class TFormVerbindung : public QObject
{
    Q_OBJECT
public:
    explicit TFormVerbindung(QObject *parent = nullptr);

    // Leaves the connecting state and stops polling.
    void ClosePort();

    QTimer TimerPolling;
    QString LastRequestLine;
    bool Connecting = false;
    int NextIndex = 0;
    bool ReadAllActive = false;
    bool WriteAllActive = false;
};
