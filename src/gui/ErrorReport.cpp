#include "gui/ErrorReport.h"

#include <QApplication>
#include <QMessageBox>

namespace {
std::function<void(const QString &)> &handler()
{
    static std::function<void(const QString &)> h;
    return h;
}
} // namespace

void SetErrorReportHandler(std::function<void(const QString &)> h)
{
    handler() = std::move(h);
}

void ShowErrorReport(const QString &text)
{
    if (handler()) {
        handler()(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(AppCaption), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}
