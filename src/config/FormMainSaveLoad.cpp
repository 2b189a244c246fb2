// Save/load page of the main window: opens another working configuration
// file, saves a copy of the working file, and shows the progress of runs.

#include "shell/F_FormMain.h"

#include "config/SaveLoad.h"
#include "core/IniFile.h"
#include "link/F_FormVerbindung.h"
#include "gui/ErrorReport.h"

#include "ui_TabSheet3.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

FileChooser &chooser()
{
    static FileChooser hook;
    return hook;
}

QString chooseWithDialog(QWidget *parent, bool save)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(save ? QStringLiteral("SaveDialog") : QStringLiteral("OpenDialog"));
    // The toolkit's own dialog, so that it behaves the same on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setNameFilter(QStringLiteral("ini (*.ini)"));
    dialog.setDefaultSuffix(QStringLiteral("ini"));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setWindowTitle(QStringLiteral("Zum bearbeiten speichern unter"));
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // Any name is accepted: a missing file reads as defaults and is
        // created by the first write.
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString choosePath(QWidget *parent, bool save)
{
    const QString chosen = chooser() ? chooser()(parent, save) : chooseWithDialog(parent, save);
    if (chosen.isEmpty())
        return QString();
    return QFileInfo(WithIniExtension(chosen)).absoluteFilePath();
}

// Copies `source` to `target` with the working file's own safe replace:
// neither a half file nor a changed one when it fails, the target's owner
// and mode kept, no foreign link followed. Returns the reason of a failure,
// empty on success.
QString copyFile(const QString &source, const QString &target, int language)
{
    const QString sourceCanonical = QFileInfo(source).canonicalFilePath();
    if (!sourceCanonical.isEmpty() && sourceCanonical == QFileInfo(target).canonicalFilePath())
        return language == 0 ? QStringLiteral("Das Ziel ist die geöffnete Konfiguration selbst.")
                             : QStringLiteral("The target is the opened configuration itself.");
    try {
        const std::optional<QByteArray> bytes = ReadIniFile(source);
        if (!bytes)
            return language == 0 ? QStringLiteral("%1 gibt es nicht.").arg(source)
                                 : QStringLiteral("%1 does not exist.").arg(source);
        StoreIniFile(target, *bytes);
    } catch (const IniError &error) {
        return error.text();
    }
    return QString();
}

} // namespace

void SetFileChooser(FileChooser hook)
{
    chooser() = std::move(hook);
}

QString WithIniExtension(const QString &path)
{
    if (path.isEmpty())
        return path;
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty() || name.contains(u'.'))
        return path;
    return path + QStringLiteral(".ini");
}

void TFormMain::SetupSaveLoadPage()
{
    connect(ui3->Button7, &QPushButton::clicked, this, Guarded([this] { Button7Click(); }));
    connect(ui3->Button8, &QPushButton::clicked, this, Guarded([this] { Button8Click(); }));
}

void TFormMain::ResetSaveLoadProgress()
{
    ui3->Label5->setText(QString());
    ui3->ProgressAnzeige->setValue(0);
    ui3->ProgressAnzeige->setMaximum(ProgressTotal);
    ui3->ProgressAnzeige->repaint();
}

void TFormMain::TabSheet3Show()
{
    // A run owns the progress display until it ends.
    if (FormVerbindung && (FormVerbindung->WriteAllActive || FormVerbindung->ReadAllActive))
        return;
    ui3->ProgressAnzeige->setValue(0);
    ui3->ProgressAnzeige->setMaximum(ProgressTotal);
    ui3->ProgressAnzeige->repaint();
    ui3->LabelIniName2->setText(IniFileName);
    ui3->Label5->hide();
    ui3->ButtonAlleDatenLesen->setEnabled(true);
}

void TFormMain::Button7Click()
{
    ResetSaveLoadProgress();
    const QString path = choosePath(this, false);
    if (path.isEmpty())
        return;
    // A FIFO would hang every read and a device would be read without end;
    // a name that does not exist yet is fine, the first write creates it.
    const QFileInfo chosen(path);
    if (chosen.exists() && !chosen.isFile()) {
        ShowErrorReport(Language == 0
                            ? QStringLiteral("%1 ist keine gewöhnliche Datei und kann nicht geöffnet werden.").arg(path)
                            : QStringLiteral("%1 is not a regular file and cannot be opened.").arg(path));
        return;
    }
    // The chosen file becomes the working file; the pages read it when shown.
    IniFileName = path;
    ui3->LabelIniName2->setText(IniFileName);
    ui3->LabelIniName2->repaint();
}

void TFormMain::Button8Click()
{
    ResetSaveLoadProgress();
    const QString path = choosePath(this, true);
    if (path.isEmpty())
        return;
    const QString reason = copyFile(IniFileName, path, Language);
    if (reason.isEmpty())
        return;
    const QString text = Language == 0
        ? QStringLiteral("Die Konfiguration konnte nicht nach %1 gespeichert werden.").arg(path)
        : QStringLiteral("The configuration could not be saved to %1.").arg(path);
    ShowErrorReport(text + u'\n' + reason);
}
