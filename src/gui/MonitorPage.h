#pragma once
// The monitor page: a time-stamped log of the serial traffic, kept while its
// tab is shown, with copy, clear, close and save.

#include "gui/LazyPage.h"

#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class TabSheetMonitor;
}

// Asks where to save the log; an empty name cancels. Tests replace the
// dialog with a hook; an empty hook restores it.
using LogFileChooser = std::function<QString(QWidget *parent)>;
void SetLogFileChooser(LogFileChooser chooser);

class MonitorPage : public LazyPage
{
    Q_OBJECT
public:
    explicit MonitorPage(QWidget *parent = nullptr);
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

signals:
    void closeRequested();

protected:
    void build() override;
    void catchUp() override;

private:
    void append(const QString &line);

    std::unique_ptr<Ui::TabSheetMonitor> m_ui;
    bool m_recording = false;
};
