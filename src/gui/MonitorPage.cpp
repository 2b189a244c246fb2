#include "gui/MonitorPage.h"

#include "core/Cp1252.h"
#include "core/MonitorLog.h"
#include "gui/ErrorReport.h"
#include "gui/Fonts.h"

#include "ui_TabSheetMonitor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTime>

MonitorPage::MonitorPage(QWidget *parent)
    : LazyPage("TabSheetMonitor", parent), m_ui(std::make_unique<Ui::TabSheetMonitor>())
{
}

void MonitorPage::build()
{
    m_ui->setupUi(this);
    m_ui->MemoDebug->setMaximumBlockCount(MonitorLineLimit);
    connect(m_ui->ButtonDebugCopy, &QPushButton::clicked, this, Guarded([this] { copyToClipboard(); }));
    connect(m_ui->ButtonDebugClear, &QPushButton::clicked, this, Guarded([this] { clear(); }));
    connect(m_ui->ButtonDebugClose, &QPushButton::clicked, this, [this] { emit closeRequested(); });
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
