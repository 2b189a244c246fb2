#pragma once

#include "gui/ErrorReport.h"

#include <QApplication>

// The application object: the last line of defence that turns an exception
// escaping any event into the general error report instead of an abort.
class VelmoraApplication : public QApplication
{
public:
    VelmoraApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

private:
    ErrorReport m_errorReport;
};
