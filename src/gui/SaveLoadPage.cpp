#include "gui/SaveLoadPage.h"

#include "core/GatewaySession.h"
#include "core/IniFile.h"
#include "core/TransferRun.h"
#include "core/WorkingFile.h"
#include "texts/ErrorTexts.h"
#include "texts/Texts.h"
#include "gui/ElidedLabel.h"
#include "gui/ErrorReport.h"
#include "gui/Fonts.h"
#include "gui/Language.h"
#include "gui/WriteComparisonDialog.h"

#include "ui_TabSheet3.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

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

QString choosePath(const FileChooser &chooser, QWidget *parent, bool save)
{
    const QString chosen = chooser ? chooser(parent, save) : chooseWithDialog(parent, save);
    if (chosen.isEmpty())
        return QString();
    return QFileInfo(WithIniExtension(chosen)).absoluteFilePath();
}

// Copies `source` to `target` with the working file's own safe replace:
// neither a half file nor a changed one when it fails, the target's owner
// and mode kept, no foreign link followed. Returns the reason of a failure,
// empty on success.
QString copyFile(const QString &source, const QString &target, Language language)
{
    const QString sourceCanonical = QFileInfo(source).canonicalFilePath();
    if (!sourceCanonical.isEmpty() && sourceCanonical == QFileInfo(target).canonicalFilePath())
        return SaveOntoItselfText(language);
    try {
        const std::optional<QByteArray> bytes = ReadIniFile(source);
        if (!bytes)
            return MissingFileText(source, language);
        ReplaceFile(target, *bytes);
    } catch (const FileError &error) {
        return WindowErrorText(ReportedError(error));
    }
    return QString();
}

} // namespace

QString WithIniExtension(const QString &path)
{
    if (path.isEmpty())
        return path;
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty() || name.contains(u'.'))
        return path;
    return path + QStringLiteral(".ini");
}

SaveLoadPage::SaveLoadPage(GatewaySession &session, const ErrorReport &report, const WindowLanguage &language, QWidget *parent)
    : LazyPage("TabSheet3", parent), m_session(session), m_report(report), m_language(language), m_ui(std::make_unique<Ui::TabSheet3>())
{
    TransferRun &run = m_session.run();
    connect(&run, &TransferRun::started, this, [this](int total) { runStarted(total); });
    connect(&run, &TransferRun::progressed, this, [this](int value, const RecordId &step) { runProgressed(value, step); });
    connect(&run, &TransferRun::finished, this, [this](const RunResult &result) { runFinished(result); });
    connect(&run, &TransferRun::valuesNotTaken, this,
            [this](const QList<ValueDifference> &differences) { m_notTaken = differences; });
    connect(&run, &TransferRun::valuesRefused, this, [this](const QList<ValueProblem> &problems) {
        m_report.show(ValueProblemsText(problems, m_language.current()));
    });
}

void SaveLoadPage::build()
{
    m_ui->setupUi(this);
    SetTextColour(m_ui->Label5, DarkShadow);
    connect(m_ui->Button7, &QPushButton::clicked, this, Guarded(m_report, [this] { openClicked(); }));
    connect(m_ui->Button8, &QPushButton::clicked, this, Guarded(m_report, [this] { saveClicked(); }));
    connect(m_ui->ButtonAlleDatenLesen, &QPushButton::clicked, this,
            Guarded(m_report, [this] { m_session.startRun(TransferRun::Kind::ReadAll); }));
    connect(m_ui->ButtonAlleDatenSchreiben, &QPushButton::clicked, this,
            Guarded(m_report, [this] { writeAllClicked(); }));
}

void SaveLoadPage::catchUp()
{
    ApplyLanguage(this, m_language.current());
    refreshCaptions();
}

void SaveLoadPage::refreshCaptions()
{
    if (!isBuilt())
        return;
    m_ui->ProgressAnzeige->setAccessibleName(RunProgressName(m_language.current()));
}

SaveLoadPage::~SaveLoadPage() = default;

void SaveLoadPage::resetProgress()
{
    ensureBuilt();
    SetWrappedText(m_ui->Label5, QString());
    m_ui->ProgressAnzeige->setValue(0);
    m_ui->ProgressAnzeige->setMaximum(m_session.features().progressTotal);
}

void SaveLoadPage::shown()
{
    ensureBuilt();
    // A run owns the progress display until it ends.
    if (m_session.run().isActive())
        return;
    m_ui->ProgressAnzeige->setValue(0);
    m_ui->ProgressAnzeige->setMaximum(m_session.features().progressTotal);
    m_ui->LabelIniName2->setText(m_session.file().path());
    m_ui->Label5->hide();
    m_ui->ButtonAlleDatenLesen->setEnabled(true);
}

void SaveLoadPage::openClicked()
{
    resetProgress();
    const QString path = choosePath(m_chooser, this, false);
    if (path.isEmpty())
        return;
    // A FIFO would hang every read and a device would be read without end;
    // a name that does not exist yet is fine, the first write creates it.
    const QFileInfo chosen(path);
    if (chosen.exists() && !chosen.isFile()) {
        m_report.show(NotOpenableText(path, m_language.current()));
        return;
    }
    // The chosen file becomes the working file; the pages read it when shown.
    m_session.file().setPath(path);
    m_ui->LabelIniName2->setText(path);
}

void SaveLoadPage::saveClicked()
{
    resetProgress();
    const QString path = choosePath(m_chooser, this, true);
    if (path.isEmpty())
        return;
    const Language language = m_language.current();
    // The copy holds every record received so far.
    m_session.writer().flush();
    const QString reason = copyFile(m_session.file().path(), path, language);
    if (reason.isEmpty())
        return;
    m_report.show(SaveFailedText(path, language) + u'\n' + reason);
}

void SaveLoadPage::writeAllClicked()
{
    WorkingFile::Snapshot file;
    const std::optional<WriteCheck> check = checkForWrite(file);
    if (!check)
        return;
    if (check->vouchedFor()) {
        m_session.startRun(TransferRun::Kind::WriteAll);
        return;
    }
    m_writeAfterRead = true;
    m_session.startRun(TransferRun::Kind::ReadToMemory);
}

std::optional<WriteCheck> SaveLoadPage::checkForWrite(WorkingFile::Snapshot &file)
{
    const Language language = m_language.current();
    WriteCheck check;
    try {
        file = m_session.snapshotForWrite();
        check = CheckWrite(file, m_session.features(), m_session.versionText());
    } catch (const FileError &error) {
        // Said where the run's result shows, and in the error report.
        ensureBuilt();
        SetWrappedText(m_ui->Label5, WindowErrorText(ReportedError(error)));
        m_ui->Label5->setVisible(true);
        throw;
    }
    if (!check.holdsRecords) {
        m_report.show(NoRecordsText(m_session.file().path(), language));
        return std::nullopt;
    }
    if (!check.problems.isEmpty()) {
        m_report.show(ValueProblemsText(check.problems, language));
        return std::nullopt;
    }
    return check;
}

void SaveLoadPage::compareThenWrite(const QList<Record> &gateway)
{
    // The file as it is now: the pages may have stored values while the
    // gateway was read.
    WorkingFile::Snapshot file;
    const std::optional<WriteCheck> check = checkForWrite(file);
    if (!check)
        return;
    const WriteComparison comparison = CompareWrite(file, m_session.features(), *check, gateway);
    const Language language = m_language.current();
    ensureBuilt();
    bool agreed = true;
    if (!comparison.changesNothing()) {
        SetWrappedText(m_ui->Label5, ComparisonSummaryText(comparison, language));
        WriteComparisonDialog dialog(comparison, gateway, language, this);
        agreed = dialog.exec() == QDialog::Accepted;
    }
    // The link may have gone while the question was open.
    if (!agreed || m_session.state() != GatewaySession::State::Online) {
        SetWrappedText(m_ui->Label5, WriteDeclinedText(language));
        return;
    }
    m_session.startRun(TransferRun::Kind::WriteAll, gateway);
}

void SaveLoadPage::runStarted(int total)
{
    m_notTaken.clear();
    ensureBuilt();
    // A disabled button loses the focus to the next control, which would be
    // "Datei öffnen": a second Space would open the file dialog. The focus
    // waits on the progress bar instead, which a screen reader reads out.
    QWidget *focused = focusWidget();
    if (focused && focused->hasFocus()
        && (focused == m_ui->ButtonAlleDatenLesen || focused == m_ui->ButtonAlleDatenSchreiben)) {
        m_focusReturn = focused;
        m_ui->ProgressAnzeige->setFocusPolicy(Qt::TabFocus);
        m_ui->ProgressAnzeige->setFocus(Qt::OtherFocusReason);
    }
    m_ui->ButtonAlleDatenLesen->setEnabled(false);
    m_ui->ButtonAlleDatenSchreiben->setEnabled(false);
    SetWrappedText(m_ui->Label5, QString());
    m_ui->Label5->setVisible(true);
    m_ui->ProgressAnzeige->setMaximum(total);
    m_ui->ProgressAnzeige->setValue(0);
}

void SaveLoadPage::runProgressed(int value, const RecordId &step)
{
    ensureBuilt();
    const QString text = RunStepText(step, m_language.current());
    if (!text.isNull())
        SetWrappedText(m_ui->Label5, text);
    m_ui->ProgressAnzeige->setValue(value);
}

void SaveLoadPage::runFinished(const RunResult &result)
{
    ensureBuilt();
    const TransferRun &run = m_session.run();
    const QString text = RunResultText(result, m_language.current());
    // A read-all cut short leaves new values beside old ones: say how many.
    const bool cut = !result.ok() && run.kind() == TransferRun::Kind::ReadAll;
    SetWrappedText(m_ui->Label5, cut ? text + u' ' + RunStoredText(m_language.current(), run.recordsStored(), run.total())
                              : text);
    m_ui->ButtonAlleDatenLesen->setEnabled(true);
    m_ui->ButtonAlleDatenSchreiben->setEnabled(true);
    if (m_ui->ProgressAnzeige->focusPolicy() != Qt::NoFocus) {
        if (m_ui->ProgressAnzeige->hasFocus() && m_focusReturn)
            m_focusReturn->setFocus(Qt::OtherFocusReason);
        m_ui->ProgressAnzeige->setFocusPolicy(Qt::NoFocus);
    }
    m_focusReturn.clear();
    // A write-all waiting for the gateway's records goes on once this run's
    // signals are done with, so that its question does not wait inside them.
    // A read that did not end well writes nothing.
    if (run.kind() == TransferRun::Kind::ReadToMemory && std::exchange(m_writeAfterRead, false) && result.ok()) {
        QMetaObject::invokeMethod(
            this, Guarded(m_report, [this, gateway = run.recordsRead()] { compareThenWrite(gateway); }),
            Qt::QueuedConnection);
    }
    if (m_notTaken.isEmpty())
        return;
    const QList<ValueDifference> notTaken = std::exchange(m_notTaken, {});
    m_report.show(NotTakenText(notTaken, m_language.current()));
}
