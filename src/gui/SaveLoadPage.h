#pragma once
// The save/load page: the read-all and write-all runs with their progress,
// opening another configuration file as the working file, and saving a copy
// of the working file.

#include <QString>
#include "core/Records.h"
#include "core/WorkingFile.h"
#include "gui/LazyPage.h"
#include "gui/WindowLanguage.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class ErrorReport;
class GatewaySession;
struct RunResult;

namespace Ui {
class TabSheet3;
}

// Returns the chosen path for opening (save = false) or saving, empty when
// cancelled.
using FileChooser = std::function<QString(QWidget *parent, bool save)>;

// A file name typed without an extension gets ".ini", as the dialogs do.
QString WithIniExtension(const QString &path);

class SaveLoadPage : public LazyPage
{
    Q_OBJECT
public:
    SaveLoadPage(GatewaySession &session, const ErrorReport &report, const WindowLanguage &language, QWidget *parent = nullptr);
    ~SaveLoadPage() override;

    void shown() override;
    void refreshCaptions();
    // Makes a chosen file the working file.
    void openClicked();
    // Saves a copy of the working file under a chosen name.
    void saveClicked();
    // Starts the write-all run once the working file's values fit their
    // fields. A file the tool cannot vouch for is compared with the
    // gateway's records first, read into memory; the user sees what would
    // change and agrees before anything is written.
    void writeAllClicked();
    // Stands in for the file dialogs (tests hand in theirs); empty shows the dialogs.
    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

protected:
    void build() override;
    void catchUp() override;

private:
    void resetProgress();
    void runStarted(int total);
    void runProgressed(int value, const RecordId &step);
    void runFinished(const RunResult &result);
    // The working file's check before a write, of `file`, the snapshot it
    // takes; none when it may not be written at all (said to the user).
    std::optional<WriteCheck> checkForWrite(WorkingFile::Snapshot &file);
    // After the comparison read: the write-all with `gateway` standing for
    // the keys the file lacks, at once when it changes nothing, else once
    // the user agrees.
    void compareThenWrite(const QList<Record> &gateway);

    GatewaySession &m_session;
    const ErrorReport &m_report;
    const WindowLanguage &m_language;
    FileChooser m_chooser;
    std::unique_ptr<Ui::TabSheet3> m_ui;
    // The values the gateway did not take in the run under way.
    QList<ValueDifference> m_notTaken;
    // The read to memory under way was started by a write-all, which goes
    // on once it ends.
    bool m_writeAfterRead = false;
    // The run button that had the focus when its run started: the focus
    // waits on the progress bar while the button is disabled, and returns.
    QPointer<QWidget> m_focusReturn;
};
