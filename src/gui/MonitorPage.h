#pragma once
// The monitor page: a time-stamped log of the serial traffic, kept while its
// tab is shown, with copy, clear, close and save.

#include "gui/LazyPage.h"

#include <QWidget>
#include <functional>
#include <memory>

class ErrorReport;

namespace Ui {
class TabSheetMonitor;
}

// Asks where to save the log; an empty name cancels.
using LogFileChooser = std::function<QString(QWidget *parent)>;

class MonitorPage : public LazyPage
{
    Q_OBJECT
public:
    explicit MonitorPage(const ErrorReport &report, QWidget *parent = nullptr);
    ~MonitorPage() override;

    // Lines are logged only while recording (the tab is shown).
    void setRecording(bool recording) { m_recording = recording; }
    bool recording() const { return m_recording; }
    void logSent(const QByteArray &frame);
    void logReceived(const QByteArray &line);
    void shown() override;
    void copyToClipboard();
    void clear();
    // Asks for a file and writes the log into it as plain text, the lines
    // as shown.
    void saveToFile();
    // Stands in for the save dialog (tests hand in theirs); empty shows the dialog.
    void setLogFileChooser(LogFileChooser chooser) { m_chooser = std::move(chooser); }

signals:
    void closeRequested();

protected:
    void build() override;
    void catchUp() override;

private:
    void append(const QString &line);

    const ErrorReport &m_report;
    LogFileChooser m_chooser;
    std::unique_ptr<Ui::TabSheetMonitor> m_ui;
    bool m_recording = false;
};
