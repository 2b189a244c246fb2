#include "gui/MonitorPage.h"

#include "core/Cp1252.h"
#include "core/IniFile.h"
#include "core/MonitorLog.h"
#include "gui/ErrorReport.h"
#include "gui/Fonts.h"

#include "ui_TabSheetMonitor.h"

#include <QClipboard>
#include <QDateTime>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTime>

namespace {

QString chooseWithDialog(QWidget *parent)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("SaveLogDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setNameFilter(QStringLiteral("txt (*.txt)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(QStringLiteral("velmora-monitor-%1.txt")
                          .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"))));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

MonitorPage::MonitorPage(const ErrorReport &report, QWidget *parent)
    : LazyPage("TabSheetMonitor", parent), m_report(report), m_ui(std::make_unique<Ui::TabSheetMonitor>())
{
}

void MonitorPage::build()
{
    m_ui->setupUi(this);
    m_ui->MemoDebug->setMaximumBlockCount(MonitorLineLimit);
    connect(m_ui->ButtonDebugCopy, &QPushButton::clicked, this, Guarded(m_report, [this] { copyToClipboard(); }));
    connect(m_ui->ButtonDebugClear, &QPushButton::clicked, this, Guarded(m_report, [this] { clear(); }));
    connect(m_ui->ButtonDebugClose, &QPushButton::clicked, this, [this] { emit closeRequested(); });
    connect(m_ui->ButtonDebugSave, &QPushButton::clicked, this, Guarded(m_report, [this] { saveToFile(); }));
}

void MonitorPage::catchUp()
{
    // The page's buttons carry no language.
}

MonitorPage::~MonitorPage() = default;

void MonitorPage::append(const QString &line)
{
    ensureBuilt();
    m_ui->MemoDebug->appendPlainText(line);
}

void MonitorPage::logSent(const QByteArray &frame)
{
    if (m_recording)
        append(MonitorSentLine(Cp1252::decode(frame), QTime::currentTime()));
}

void MonitorPage::logReceived(const QByteArray &line)
{
    if (!m_recording)
        return;
    for (const QString &logLine : MonitorReceivedLines(Cp1252::decode(line), QTime::currentTime()))
        append(logLine);
}

void MonitorPage::shown()
{
    ensureBuilt();
    QPlainTextEdit *memo = m_ui->MemoDebug;
    memo->moveCursor(QTextCursor::End);
    memo->ensureCursorVisible();
    memo->setFocus();
}

void MonitorPage::copyToClipboard()
{
    ensureBuilt();
    QGuiApplication::clipboard()->setText(MonitorClipboardText(m_ui->MemoDebug->toPlainText()));
}

void MonitorPage::clear()
{
    ensureBuilt();
    m_ui->MemoDebug->clear();
}

void MonitorPage::saveToFile()
{
    ensureBuilt();
    const QString path = m_chooser ? m_chooser(this) : chooseWithDialog(this);
    if (path.isEmpty())
        return;
    // The working file's safe replace: a failed save leaves no half file
    // and never replaces a file through another user's link.
    ReplaceFile(path, MonitorFileContent(m_ui->MemoDebug->toPlainText()));
}
