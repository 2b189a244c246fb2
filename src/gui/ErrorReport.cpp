#include "gui/ErrorReport.h"

#include "gui/MessageBox.h"

#include <QApplication>
#include <QDialog>

void ErrorReport::show(const ReportedError &error) const
{
    show(WindowErrorText(error));
}

void ErrorReport::show(const QString &text) const
{
    if (m_handler) {
        m_handler(text);
        return;
    }
    MakeMessageBox(QMessageBox::Critical, text, QApplication::activeWindow())->exec();
}
