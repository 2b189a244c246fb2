#include "gui/ErrorReport.h"

#include <QApplication>
#include <QMessageBox>

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
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(AppCaption), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}
