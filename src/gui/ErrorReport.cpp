#include "gui/ErrorReport.h"

#include "gui/MessageBox.h"

#include <QApplication>
#include <QDialog>

void ErrorReport::show(const QString &text) const
{
    if (m_handler) {
        m_handler(text);
        return;
    }
    MakeMessageBox(QMessageBox::Critical, text, QApplication::activeWindow())->exec();
}
