// The save/load page on the real main window (offscreen): opening another
// working configuration file, saving a copy, the progress display, and the
// write-all with its comparison.

#include "ModalAnswer.h"
#include "WindowFixture.h"

#include "core/ConfigLayout.h"
#include "core/TransferRun.h"
#include "gui/ErrorReport.h"
#include "gui/PageControl.h"
#include "gui/PointsPage.h"
#include "gui/PrinterPage.h"
#include "gui/SaveLoadPage.h"
#include "gui/WriteComparisonDialog.h"
#include "core/Frame.h"
#include "core/Records.h"
#include "TextFit.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QAccessible>
#include <QScrollBar>
#include <QTableWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Working file content with CR LF, a Windows-1252 umlaut and no final line end.
const QByteArray WorkingBytes("[PRINTER]\r\nModell=2\r\nHead=K\xe4se\r\n[Speech]\r\nSpeech=0");

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// [SOURCE] of a complete read from firmware 3.11: a file written to such a
// gateway as it stands.
const QByteArray ReadFrom311("[SOURCE]\r\nFirmware=3.11\r\nComplete=yes\r\n");

// The working file of a gateway holding the recording port's records
// (firmware 3.11), without [SOURCE].
QByteArray gatewayFile()
{
    const FirmwareFeatures features = FeaturesForVersion(311);
    QByteArray out;
    for (const RecordId &id : ConfigLayout::records(features)) {
        Record record;
        const QByteArray line = BuildRequestFrame(FixedRecordReply(ReadRequest(id))) + "\r\n";
        if (Record::fromReply(line, features, &record) != Record::Reply::Valid)
            qFatal("no gateway record for %s", qPrintable(ConfigLayout::section(id)));
        out += '[' + record.section.toLatin1() + "]\r\n";
        for (const auto &[key, value] : record.values)
            out += key.toLatin1() + '=' + value.toLatin1() + "\r\n";
    }
    return out;
}

// The commands of the requests among `frames` that start with `kind`
// ("C0": reads, "C1": writes).
QList<QByteArray> commandsOf(const QList<QByteArray> &frames, const char *kind)
{
    QList<QByteArray> commands;
    for (const QByteArray &frame : frames) {
        const QByteArray command = frame.mid(1, frame.indexOf('<') - 1);
        if (command.startsWith(kind))
            commands << command;
    }
    return commands;
}

// Each row of `table` as its cells joined by "|".
QStringList tableRows(const QTableWidget *table)
{
    QStringList rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << (table->item(r, c) ? table->item(r, c)->text() : QStringLiteral("<none>"));
        rows << cells.join(u'|');
    }
    return rows;
}

// Types a name into the file dialog's name field, as the user would.
void typeFileName(QFileDialog *dialog, const QString &name)
{
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setText(name);
}

} // namespace

class TestSaveLoad : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;
    QString m_chosen;

    QString path(const QString &name) const { return f->dir.path() + u'/' + name; }
    QString iniPath() const { return f->iniPath(); }

    // Starts the window on a working file holding `content`: written before
    // the window opens it, never behind its back.
    void start(const QByteArray &content = WorkingBytes)
    {
        writeFile(iniPath(), content);
        f->start();
        f->window->setFileChooser([this](QWidget *, bool) { return m_chosen; });
        f->activate();
        f->window->setEditorPagesVisible(true);
    }

    void showPage(QWidget *page) { f->showPage(page); }

    template <class T = QWidget>
    T *child(const char *name) const
    {
        return f->child<T>(name);
    }

    // The state a finished run leaves on the page.
    void leaveRunDisplay()
    {
        child<QLabel>("Label5")->setText(QStringLiteral("OK"));
        child<QLabel>("Label5")->show();
        child<QProgressBar>("ProgressAnzeige")->setMaximum(46);
        child<QProgressBar>("ProgressAnzeige")->setValue(46);
    }

    void verifyDisplayReset() const
    {
        QCOMPARE(child<QLabel>("Label5")->text(), QString());
        QCOMPARE(child<QProgressBar>("ProgressAnzeige")->value(), 0);
        QCOMPARE(child<QProgressBar>("ProgressAnzeige")->maximum(), f->window->session().features().progressTotal);
    }

private slots:
    void init()
    {
        f = std::make_unique<WindowFixture>();
        QVERIFY(f->dir.isValid());
        m_chosen.clear();
    }

    void cleanup()
    {
        f.reset();
    }

    void iniExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no extension") << "/tmp/a/site" << "/tmp/a/site.ini";
        QTest::newRow("ini kept") << "/tmp/a/site.ini" << "/tmp/a/site.ini";
        QTest::newRow("other extension kept") << "/tmp/a/site.cfg" << "/tmp/a/site.cfg";
        QTest::newRow("dot only in folder") << "/tmp/a.d/site" << "/tmp/a.d/site.ini";
    }
    void iniExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QCOMPARE(WithIniExtension(typed), expected);
    }

    void openMakesChosenFileTheWorkingFile_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("with extension") << "other.ini" << "other.ini";
        QTest::newRow("without extension") << "other" << "other.ini";
    }
    void openMakesChosenFileTheWorkingFile()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        start();
        writeFile(path(expected), QByteArray("[PRINTER]\r\nModell=1\r\nHead=Other head\r\n"));
        leaveRunDisplay();
        m_chosen = path(typed);
        QTest::mouseClick(child<QPushButton>("Button7"), Qt::LeftButton);

        QCOMPARE(f->window->workingFile().path(), path(expected));
        QCOMPARE(child<QLabel>("LabelIniName2")->text(), path(expected));
        verifyDisplayReset();

        // The pages now read and write the opened file; the old one stays as it was.
        showPage(f->window->printerPage());
        auto *head = child<QLineEdit>("eKopfzeiledrucker");
        QCOMPARE(head->text(), QStringLiteral("Other head"));
        head->setFocus();
        head->setText(QStringLiteral("Edited"));
        child("cbDruckerModell")->setFocus();
        QCOMPARE(bytesOf(path(expected)), QByteArray("[PRINTER]\r\nModell=1\r\nHead=Edited\r\n"));
        QCOMPARE(bytesOf(iniPath()), WorkingBytes);
        showPage(f->window->pointsPage());
        QCOMPARE(child<QLabel>("LabelIniName1")->text(), path(expected));
        QVERIFY(f->errors.isEmpty());
    }

    void openMissingFileCreatesItOnFirstWrite()
    {
        start();
        m_chosen = path(QStringLiteral("new"));
        QTest::mouseClick(child<QPushButton>("Button7"), Qt::LeftButton);
        QCOMPARE(f->window->workingFile().path(), path(QStringLiteral("new.ini")));
        QVERIFY(!QFile::exists(f->window->workingFile().path()));
        f->window->workingFile().write(QStringLiteral("PRINTER"), QStringLiteral("Head"), QStringLiteral("X"));
        QCOMPARE(f->window->workingFile().read(QStringLiteral("PRINTER"), QStringLiteral("Head"), QString()),
                 QStringLiteral("X"));
        QCOMPARE(bytesOf(iniPath()), WorkingBytes);
    }

    // A FIFO would hang every read, a device would be read without end.
    void openRefusesWhatIsNotARegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("link to a device") << "device";
    }
    void openRefusesWhatIsNotARegularFile()
    {
        QFETCH(QString, kind);
        start();
        const QString chosen = path(QStringLiteral("chosen.ini"));
        const QByteArray name = QFile::encodeName(chosen);
        if (kind == "fifo")
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(chosen));
        else
            QCOMPARE(::symlink("/dev/zero", name.constData()), 0);
        m_chosen = chosen;
        QTest::mouseClick(child<QPushButton>("Button7"), Qt::LeftButton);

        QCOMPARE(f->window->workingFile().path(), iniPath());
        QCOMPARE(f->errors,
                 QStringList{QStringLiteral("%1 ist keine gewöhnliche Datei und kann nicht geöffnet werden.").arg(chosen)});
        showPage(f->window->saveLoadPage());
        QCOMPARE(child<QLabel>("LabelIniName2")->text(), iniPath());
    }

    void saveThroughLinks_data()
    {
        QTest::addColumn<bool>("shared");  // the link lies in a sticky world-writable folder
        QTest::addColumn<bool>("foreign"); // the link belongs to another user
        QTest::addColumn<bool>("dangling");
        QTest::addColumn<bool>("saved");
        QTest::newRow("own link, own folder") << false << false << false << true;
        QTest::newRow("own link, shared folder") << true << false << false << false;
        QTest::newRow("foreign link, shared folder") << true << true << false << false;
        QTest::newRow("own link to nothing") << false << false << true << false;
    }
    void saveThroughLinks()
    {
        QFETCH(bool, shared);
        QFETCH(bool, foreign);
        QFETCH(bool, dangling);
        QFETCH(bool, saved);
        if (foreign && ::geteuid() != 0)
            QSKIP("giving a link to another user needs root");
        start();
        const QString folder = path(QStringLiteral("folder"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), shared ? 01777 : 0700) == 0);
        const QString target = path(QStringLiteral("notes.txt"));
        if (!dangling)
            writeFile(target, "notes");
        const QString link = folder + QStringLiteral("/site.ini");
        QCOMPARE(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
        if (foreign)
            QCOMPARE(::lchown(QFile::encodeName(link).constData(), 65534, 65534), 0);
        m_chosen = link;
        QTest::mouseClick(child<QPushButton>("Button8"), Qt::LeftButton);

        QVERIFY(QFileInfo(link).isSymLink());
        if (saved) {
            QVERIFY(f->errors.isEmpty());
            QCOMPARE(bytesOf(target), WorkingBytes);
            return;
        }
        QCOMPARE(f->errors.size(), 1);
        QVERIFY2(f->errors.constFirst().contains(link + QStringLiteral(" is not written")), qPrintable(f->errors.constFirst()));
        QCOMPARE(bytesOf(target), dangling ? QByteArray("<missing>") : QByteArray("notes"));
    }

    void cancelChangesNothingButTheDisplay_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("open") << "Button7";
        QTest::newRow("save") << "Button8";
    }
    void cancelChangesNothingButTheDisplay()
    {
        QFETCH(QString, button);
        start();
        leaveRunDisplay();
        QTest::mouseClick(child<QPushButton>(qPrintable(button)), Qt::LeftButton);
        verifyDisplayReset();
        QCOMPARE(f->window->workingFile().path(), iniPath());
        QCOMPARE(QDir(f->dir.path()).entryList(QDir::Files), QStringList{"Velmora.ini"});
        QCOMPARE(bytesOf(iniPath()), WorkingBytes);
        QVERIFY(f->errors.isEmpty());
    }

    void saveCopiesTheWorkingFile_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("new file") << "copy.ini" << "copy.ini" << QByteArray();
        QTest::newRow("without extension") << "copy" << "copy.ini" << QByteArray();
        QTest::newRow("existing file replaced")
            << "copy.ini" << "copy.ini" << QByteArray(4096, 'x');
    }
    void saveCopiesTheWorkingFile()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(QByteArray, before);
        start();
        if (!before.isEmpty())
            writeFile(path(expected), before);
        leaveRunDisplay();
        m_chosen = path(typed);
        QTest::mouseClick(child<QPushButton>("Button8"), Qt::LeftButton);

        QCOMPARE(bytesOf(path(expected)), WorkingBytes);
        QCOMPARE(f->window->workingFile().path(), iniPath());
        QCOMPARE(bytesOf(iniPath()), WorkingBytes);
        verifyDisplayReset();
        QVERIFY(f->errors.isEmpty());

        // Editing goes on in the working file; the copy is a snapshot.
        f->window->workingFile().write(QStringLiteral("PRINTER"), QStringLiteral("Head"), QStringLiteral("Later"));
        QCOMPARE(bytesOf(path(expected)), WorkingBytes);
    }

    void failedSaveIsReported_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("removeWorkingFile");
        QTest::addColumn<QString>("headline");
        const QString german = QStringLiteral("Die Konfiguration konnte nicht nach %1 gespeichert werden.");
        const QString english = QStringLiteral("The configuration could not be saved to %1.");
        QTest::newRow("folder gone, German") << 0 << "gone/copy.ini" << false << german;
        QTest::newRow("folder gone, English") << 1 << "gone/copy.ini" << false << english;
        QTest::newRow("own target, German") << 0 << "Velmora.ini" << false << german;
        QTest::newRow("own target, English") << 1 << "Velmora.ini" << false << english;
        QTest::newRow("own target through folder detour")
            << 1 << "gone/../Velmora.ini" << false << english;
        QTest::newRow("working file missing") << 1 << "copy.ini" << true << english;
    }
    void failedSaveIsReported()
    {
        QFETCH(int, language);
        QFETCH(QString, target);
        QFETCH(bool, removeWorkingFile);
        QFETCH(QString, headline);
        start();
        if (target.startsWith(QLatin1String("gone/..")))
            QVERIFY(QDir(f->dir.path()).mkdir(QStringLiteral("gone")));
        f->window->setLanguage(language);
        if (removeWorkingFile)
            QVERIFY(QFile::remove(iniPath()));
        const QStringList filesBefore = QDir(f->dir.path()).entryList(QDir::Files);
        m_chosen = path(target);
        QTest::mouseClick(child<QPushButton>("Button8"), Qt::LeftButton);

        const QString shownPath = QFileInfo(path(target)).absoluteFilePath();
        QVERIFY(!f->errors.isEmpty());
        const QStringList lines = f->errors.constFirst().split(u'\n');
        QCOMPARE(lines.constFirst(), headline.arg(shownPath));
        QVERIFY2(lines.size() > 1 && !lines.at(1).isEmpty(), "the reason follows the headline");
        QCOMPARE(f->window->workingFile().path(), iniPath());
        QCOMPARE(QDir(f->dir.path()).entryList(QDir::Files), filesBefore);
        if (!removeWorkingFile)
            QCOMPARE(bytesOf(iniPath()), WorkingBytes);
    }

    void failedSaveShowsBoxWithCaption()
    {
        start();
        f->window->setErrorReporter({});
        m_chosen = path(QStringLiteral("gone/copy.ini"));
        QString caption;
        QString text;
        onNextModal<QMessageBox>([&](QMessageBox *box) {
            caption = box->windowTitle();
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        QTest::mouseClick(child<QPushButton>("Button8"), Qt::LeftButton);
        QCOMPARE(caption, QStringLiteral("PC / Velmora"));
        QVERIFY(text.startsWith(QStringLiteral("Die Konfiguration konnte nicht nach ")));
    }

    void realSaveDialogAsksBeforeReplacing_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<int>("language");
        // Qt's own texts of the dialog and its prompt: file name label, save
        // button, the prompt and its buttons.
        QTest::addColumn<QStringList>("texts");
        const QStringList german{"Datei&name:", "S&peichern",
                                 "Die Datei %1 existiert bereits.\nSoll sie überschrieben werden?",
                                 "&Ja", "&Nein"};
        const QStringList english{"File &name:", "Save",
                                  "%1 already exists.\nDo you want to replace it?", "&Yes", "&No"};
        QTest::newRow("German, confirmed") << QMessageBox::Yes << true << 0 << german;
        QTest::newRow("German, declined") << QMessageBox::No << false << 0 << german;
        QTest::newRow("English, confirmed") << QMessageBox::Yes << true << 1 << english;
    }
    void realSaveDialogAsksBeforeReplacing()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, replaced);
        QFETCH(int, language);
        QFETCH(QStringList, texts);
        start();
        f->window->setLanguage(language);
        f->window->setFileChooser({});
        const QByteArray before("old copy");
        writeFile(path(QStringLiteral("copy.ini")), before);

        QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
        QString objectName, title, suffix;
        QStringList filters;
        bool confirms = false, ownDialog = false, prompted = false;
        QStringList shown;
        onNextModal<QFileDialog>([&](QFileDialog *dialog) {
            if (auto *label = dialog->findChild<QLabel *>(QStringLiteral("fileNameLabel")))
                shown << label->text();
            if (auto *box = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox")))
                shown << box->button(QDialogButtonBox::Save)->text();
            objectName = dialog->objectName();
            mode = dialog->acceptMode();
            title = dialog->windowTitle();
            suffix = dialog->defaultSuffix();
            filters = dialog->nameFilters();
            confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            ownDialog = dialog->testOption(QFileDialog::DontUseNativeDialog);
            onNextModal<QMessageBox>([&, answer](QMessageBox *box) {
                prompted = true;
                shown << box->text() << box->button(QMessageBox::Yes)->text()
                      << box->button(QMessageBox::No)->text();
                box->button(answer)->click();
            });
            typeFileName(dialog, path(QStringLiteral("copy.ini")));
            static_cast<QDialog *>(dialog)->accept();
            if (dialog->isVisible())
                dialog->reject();
        });
        QTest::mouseClick(child<QPushButton>("Button8"), Qt::LeftButton);

        QCOMPARE(objectName, QStringLiteral("SaveDialog"));
        QCOMPARE(mode, QFileDialog::AcceptSave);
        QCOMPARE(title, QStringLiteral("Zum bearbeiten speichern unter"));
        QCOMPARE(suffix, QStringLiteral("ini"));
        QCOMPARE(filters, QStringList{"ini (*.ini)"});
        QVERIFY(confirms);
        QVERIFY(ownDialog);
        QVERIFY(prompted);
        texts[2] = texts[2].arg(QStringLiteral("copy.ini"));
        QCOMPARE(shown, texts);
        QCOMPARE(bytesOf(path(QStringLiteral("copy.ini"))), replaced ? WorkingBytes : before);
        QCOMPARE(f->window->workingFile().path(), iniPath());
        QVERIFY(f->errors.isEmpty());
    }

    void realOpenDialogAddsExtension()
    {
        start();
        f->window->setFileChooser({});
        QString objectName, suffix;
        QStringList filters;
        QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
        onNextModal<QFileDialog>([&](QFileDialog *dialog) {
            objectName = dialog->objectName();
            mode = dialog->acceptMode();
            suffix = dialog->defaultSuffix();
            filters = dialog->nameFilters();
            typeFileName(dialog, path(QStringLiteral("other")));
            static_cast<QDialog *>(dialog)->accept();
            if (dialog->isVisible())
                dialog->reject();
        });
        QTest::mouseClick(child<QPushButton>("Button7"), Qt::LeftButton);
        QCOMPARE(objectName, QStringLiteral("OpenDialog"));
        QCOMPARE(mode, QFileDialog::AcceptOpen);
        QCOMPARE(suffix, QStringLiteral("ini"));
        QCOMPARE(filters, QStringList{"ini (*.ini)"});
        QCOMPARE(f->window->workingFile().path(), path(QStringLiteral("other.ini")));
    }

    void pageShownLeavesRunDisplayAlone_data()
    {
        QTest::addColumn<bool>("readAll");
        QTest::newRow("read-all run") << true;
        QTest::newRow("write-all run") << false;
    }
    void pageShownLeavesRunDisplayAlone()
    {
        QFETCH(bool, readAll);
        start(DefaultIniContent() + ReadFrom311);
        f->goOnline("311");
        showPage(f->window->saveLoadPage());
        // A run under way: the gateway has not answered its first request yet.
        QTest::mouseClick(child<QPushButton>(readAll ? "ButtonAlleDatenLesen" : "ButtonAlleDatenSchreiben"),
                          Qt::LeftButton);
        const TransferRun &run = f->window->session().run();
        QVERIFY(run.isActive());
        QCOMPARE(run.kind(), readAll ? TransferRun::Kind::ReadAll : TransferRun::Kind::WriteAll);
        child<QLabel>("Label5")->setText(QStringLiteral("12 / 46"));
        child<QLabel>("Label5")->show();
        child<QProgressBar>("ProgressAnzeige")->setMaximum(46);
        child<QProgressBar>("ProgressAnzeige")->setValue(12);
        child<QPushButton>("ButtonAlleDatenLesen")->setEnabled(false);
        showPage(f->window->saveLoadPage());

        QCOMPARE(child<QLabel>("Label5")->text(), QStringLiteral("12 / 46"));
        QVERIFY(!child<QLabel>("Label5")->isHidden());
        QCOMPARE(child<QProgressBar>("ProgressAnzeige")->value(), 12);
        QCOMPARE(child<QProgressBar>("ProgressAnzeige")->maximum(), 46);
        QVERIFY(!child<QPushButton>("ButtonAlleDatenLesen")->isEnabled());
    }

    // Write-all sends nothing from a file with a value that does not fit or
    // with no settings at all. A file the tool cannot vouch for is compared
    // with the gateway's records, read first, and written only when that
    // changes nothing or the user agrees; the keys it lacks keep the
    // gateway's values.
    void writeAllChecksTheFileFirst_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("answer");       // to the comparison; 0: none shown
        QTest::addColumn<QString>("reason");   // among the comparison's reasons
        QTest::addColumn<QStringList>("row");  // among the comparison's table rows
        QTest::addColumn<int>("silent");       // the run's request left unanswered; -1: none
        QTest::addColumn<QString>("report");   // in the one error report; empty: none
        QTest::addColumn<int>("reads");        // read requests sent
        QTest::addColumn<int>("writes");       // write requests sent
        QTest::addColumn<QByteArray>("request"); // among the write requests; empty: none looked for
        QTest::addColumn<QString>("result");   // the page's result line; empty: not looked at
        const QByteArray clean = DefaultIniContent();
        QByteArray badQuality = clean;
        badQuality.replace("[QVR0]\r\nQualitaet1=01", "[QVR0]\r\nQualitaet1=123");
        QByteArray badBaud = clean;
        badBaud.replace("BaudrateRS232=3", "BaudrateRS232=12");
        QByteArray lacksEdv1 = clean + ReadFrom311;
        lacksEdv1.remove(lacksEdv1.indexOf("EDV1=01\r\n", lacksEdv1.indexOf("[QVR8]")), 9);
        QByteArray typedAsUtf8 = clean + ReadFrom311 + "Encoding=windows-1252\r\n";
        typedAsUtf8.replace("Head=Deutsche Brantel", "Head=K\xc3\xa4se");
        const int all = 46; // records of firmware 3.11
        const int yes = QDialogButtonBox::Yes;
        const int no = QDialogButtonBox::No;
        const QString noSource = QStringLiteral("Die Konfiguration nennt keine Firmware");
        const QStringList qualityChanged{"QVR0", "Qualitaet1", "\"11\"", "\"01\"", ""};
        const QString declined = QStringLiteral("Nichts übertragen");
        const QString refused = QStringLiteral("Nichts wurde zum Velmora übertragen");
        const QString noSettings = QStringLiteral("Velmora.ini enthält keine Einstellungen");
        QTest::newRow("vouched for") << clean + ReadFrom311 << 0 << QString() << QStringList() << -1 << QString()
                                     << 0 << all << QByteArray() << "OK";
        QTest::newRow("quality too long") << badQuality << 0 << QString() << QStringList() << -1 << refused << 0
                                          << 0 << QByteArray() << QString();
        QTest::newRow("baud index 12") << badBaud << 0 << QString() << QStringList() << -1 << refused << 0 << 0
                                       << QByteArray() << QString();
        QTest::newRow("empty file") << QByteArray("") << 0 << QString() << QStringList() << -1 << noSettings << 0
                                    << 0 << QByteArray() << QString();
        QTest::newRow("unrelated text") << QByteArray("root:x:0:0:root:/root:/bin/bash\n") << 0 << QString()
                                        << QStringList() << -1 << noSettings << 0 << 0 << QByteArray() << QString();
        QTest::newRow("no source, declined") << clean << no << noSource << qualityChanged << -1 << QString() << all
                                             << 0 << QByteArray() << declined;
        QTest::newRow("no source, agreed") << clean << yes << noSource << qualityChanged << -1 << QString() << all
                                           << all << QByteArray() << "OK";
        QTest::newRow("EDV1 missing, agreed")
            << lacksEdv1 << yes << "Ihr fehlt 1 Wert; der Velmora behält dafür seinen eigenen."
            << QStringList{"QVR8", "EDV1", "\"21\"", "(fehlt)", "der Velmora behält seinen Wert"} << -1 << QString()
            << all << all << QByteArray("C1Z80102030421020304050506060707080809091010") << "OK";
        QTest::newRow("other firmware, agreed")
            << clean + "[SOURCE]\r\nFirmware=1.06\r\n" << yes
            << "Die Konfiguration wurde von Firmware 1.06 gelesen, der Velmora hat Firmware 3.11." << qualityChanged
            << -1 << QString() << all << all << QByteArray() << "OK";
        QTest::newRow("read cut short, declined")
            << clean + "[SOURCE]\r\nFirmware=3.11\r\nComplete=no\r\nRecords=12\r\n" << no
            << "Das Lesen, aus dem sie stammt, wurde abgebrochen (12 Datensätze gespeichert)." << qualityChanged << -1
            << QString() << all << 0 << QByteArray() << declined;
        QTest::newRow("typed in another encoding, declined")
            << typedAsUtf8 << no << "1 Wert sieht aus, als wäre er in einer anderen Zeichenkodierung"
            << QStringList{"PRINTER", "Head", '"' + QString(40, u'h') + '"', QStringLiteral("\"KÃ¤se\""),
                           QStringLiteral("sieht nach UTF-8 aus (\"Käse\") in einer Windows-1252-Datei")}
            << -1 << QString() << all << 0 << QByteArray() << declined;
        QTest::newRow("values as the gateway's") << gatewayFile() << 0 << QString() << QStringList() << -1
                                                 << QString() << all << all << QByteArray() << "OK";
        QTest::newRow("comparison read without reply")
            << clean << 0 << QString() << QStringList() << 5 << QString() << 6 << 0 << QByteArray()
            << QStringLiteral("Keine Antwort vom Velmora \u2013 Übertragung abgebrochen");
    }
    void writeAllChecksTheFileFirst()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, answer);
        QFETCH(QString, reason);
        QFETCH(QStringList, row);
        QFETCH(int, silent);
        QFETCH(QString, report);
        QFETCH(int, reads);
        QFETCH(int, writes);
        QFETCH(QByteArray, request);
        QFETCH(QString, result);
        start(content);
        f->goOnline("311");
        f->port->answer = true;
        showPage(f->window->saveLoadPage());
        QString shown;
        QString reasons;
        QStringList rows;
        QString summary;
        QStringList clipped;
        // An answer not given in this row goes with it.
        QObject answerOwner;
        if (answer != 0) {
            onNextModal<WriteComparisonDialog>([&](WriteComparisonDialog *dialog) {
                // The page's result line sums the comparison up meanwhile.
                summary = child<QLabel>("Label5")->text();
                clipped = textfit::clippedTexts(f->window->saveLoadPage());
                shown = dialog->objectName() + u'|' + dialog->windowTitle();
                reasons = dialog->findChild<QLabel *>(QStringLiteral("LabelReasons"))->text();
                rows = tableRows(dialog->findChild<QTableWidget *>(QStringLiteral("TableChanges")));
                dialog->findChild<QDialogButtonBox *>(QStringLiteral("ButtonsComparison"))
                    ->button(QDialogButtonBox::StandardButton(answer))
                    ->click();
            }, &answerOwner);
        }
        const int before = f->port->written.size();
        if (silent >= 0)
            f->port->silentAfter = before + silent;
        QTest::mouseClick(child<QPushButton>("ButtonAlleDatenSchreiben"), Qt::LeftButton);
        if (!result.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>("Label5")->text(), result, 30000);
        QVERIFY(!f->window->session().run().isActive());

        QCOMPARE(shown, answer != 0 ? QStringLiteral("WriteComparison|PC / Velmora") : QString());
        if (answer != 0)
            QVERIFY2(summary.startsWith(QStringLiteral("Die Übertragung ändert ")), qPrintable(summary));
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u'\n')));
        QVERIFY2(reasons.contains(reason), qPrintable(reasons));
        if (!row.isEmpty())
            QVERIFY2(rows.contains(row.join(u'|')), qPrintable(rows.mid(0, 5).join(u'\n')));
        const QList<QByteArray> sent = f->port->written.mid(before);
        QCOMPARE(commandsOf(sent, "C0").size(), reads);
        QCOMPARE(commandsOf(sent, "C1").size(), writes);
        if (!request.isEmpty())
            QVERIFY(commandsOf(sent, "C1").contains(request));
        QCOMPARE(f->errors.size(), report.isEmpty() ? 0 : 1);
        if (!report.isEmpty())
            QVERIFY2(f->errors.constFirst().contains(report), qPrintable(f->errors.constFirst()));
        if (report.startsWith(QStringLiteral("Nichts")))
            QVERIFY(f->errors.constFirst().contains(content.contains("=123") ? "[QVR0] Qualitaet1: \"123\""
                                                                              : "[INTERFACE] BaudrateRS232: \"12\""));
        QVERIFY(child<QPushButton>("ButtonAlleDatenSchreiben")->isEnabled());
        QVERIFY(child<QPushButton>("ButtonAlleDatenLesen")->isEnabled());
    }

    // The comparison read runs as a read-all does on the page; when the user
    // closes the link or the port goes during it, it ends there and nothing
    // is written, and the next write-all compares again.
    void linkGoneDuringTheComparisonRead_data()
    {
        QTest::addColumn<bool>("unplugged"); // else the user disconnects
        QTest::addColumn<QString>("result");
        QTest::newRow("disconnected") << false << "Abgebrochen";
        QTest::newRow("port lost") << true << "Die Verbindung zum Velmora ist unterbrochen";
    }
    void linkGoneDuringTheComparisonRead()
    {
        QFETCH(bool, unplugged);
        QFETCH(QString, result);
        start(DefaultIniContent());
        f->goOnline("311");
        showPage(f->window->saveLoadPage());
        const int before = f->port->written.size();
        QTest::mouseClick(child<QPushButton>("ButtonAlleDatenSchreiben"), Qt::LeftButton);
        const TransferRun &run = f->window->session().run();
        QVERIFY(run.isActive());
        QCOMPARE(run.kind(), TransferRun::Kind::ReadToMemory);
        for (int i = 0; i < 3; ++i)
            f->port->answerRequest(f->port->written.last());
        QCOMPARE(child<QLabel>("Label5")->text(), QStringLiteral("Zapfstelle: 3"));
        QCOMPARE(child<QProgressBar>("ProgressAnzeige")->value(), 4);
        QCOMPARE(child<QProgressBar>("ProgressAnzeige")->maximum(), 46);
        QVERIFY(!child<QPushButton>("ButtonAlleDatenSchreiben")->isEnabled());
        QVERIFY(!child<QPushButton>("ButtonAlleDatenLesen")->isEnabled());
        if (unplugged)
            f->port->unplug();
        else
            QTest::mouseClick(child<QPushButton>("Button1"), Qt::LeftButton);

        QVERIFY(!run.isActive());
        QVERIFY(!run.isTimerActive());
        QVERIFY2(child<QLabel>("Label5")->text().startsWith(result), qPrintable(child<QLabel>("Label5")->text()));
        QVERIFY(child<QPushButton>("ButtonAlleDatenSchreiben")->isEnabled());
        QTest::qWait(2 * WindowFixture::ReplyTimeoutMs);
        QCOMPARE(commandsOf(f->port->written.mid(before), "C1").size(), 0);
        QCOMPARE(f->errors.size(), unplugged ? 1 : 0);

        f->goOnline("311");
        showPage(f->window->saveLoadPage());
        QTest::mouseClick(child<QPushButton>("ButtonAlleDatenSchreiben"), Qt::LeftButton);
        QVERIFY(run.isActive());
        QCOMPARE(run.kind(), TransferRun::Kind::ReadToMemory);
    }

    // However many values change, the question fits the screen: its table
    // scrolls inside, its texts wrap, and it is read and answered from the
    // keyboard in the window's language; Enter and Escape write nothing.
    void comparisonFitsTheScreen_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("changes");
        QTest::addColumn<int>("key");     // pressed to answer
        QTest::addColumn<bool>("onYes");  // ... with the focus on "Yes", else in the table
        QTest::newRow("German, 500 values, Escape") << 0 << 500 << int(Qt::Key_Escape) << false;
        QTest::newRow("English, 500 values, Enter") << 1 << 500 << int(Qt::Key_Return) << false;
        QTest::newRow("German, one value, Enter") << 0 << 1 << int(Qt::Key_Return) << false;
        QTest::newRow("German, one value, Enter on Yes") << 0 << 1 << int(Qt::Key_Return) << true;
    }
    void comparisonFitsTheScreen()
    {
        QFETCH(int, language);
        QFETCH(int, changes);
        QFETCH(int, key);
        QFETCH(bool, onYes);
        start();
        f->window->setLanguage(language);
        WriteComparison comparison;
        comparison.check.recordedFirmware = QStringLiteral("1.06");
        comparison.check.recordedComplete = true;
        comparison.check.gatewayFirmware = QStringLiteral("3.11");
        comparison.check.missing << ValueProblem{"QVR8", "EDV1", {}, ValueForm::TwoCharacters, Misfit::Missing, {}};
        comparison.check.doubts << ValueProblem{"QVR8", "EDV1", "", ValueForm::TwoCharacters, Misfit::NotTwoDigits, {}}
                                << ValueProblem{"QVR9", "EDV2", "7", ValueForm::TwoCharacters, Misfit::NotTwoDigits, {}}
                                << ValueProblem{"PRINTER", "Head", "K\u00c3\u00a4se", ValueForm::Header,
                                                Misfit::TypedAsUtf8, {}};
        for (int a = 10; a < 24; ++a)
            comparison.check.skipped << QStringLiteral("QVR%1").arg(a);
        for (int i = 0; i < changes; ++i)
            comparison.changes << ValueDifference{QStringLiteral("QVR%1").arg(i / 20 % 24),
                                                  QStringLiteral("Qualitaet%1").arg(i % 10 + 1), "11", "01"};
        comparison.changes << ValueDifference{"PRINTER", "Head", QString(40, u'h'), "K\u00c3\u00a4se"};
        comparison.changedRecords = std::min(changes, 45) + 1;
        comparison.records = 46;
        QList<Record> gateway(1);
        gateway[0].section = QStringLiteral("QVR8");
        gateway[0].values = {{"EDV1", "21"}};

        WriteComparisonDialog dialog(comparison, gateway, LanguageOfIndex(language), f->window.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));

        const QRect screen = dialog.screen()->availableGeometry();
        QVERIFY2(screen.contains(dialog.frameGeometry()),
                 qPrintable(QStringLiteral("%1x%2 on %3x%4")
                                .arg(dialog.frameGeometry().width())
                                .arg(dialog.frameGeometry().height())
                                .arg(screen.width())
                                .arg(screen.height())));
        auto *table = dialog.findChild<QTableWidget *>(QStringLiteral("TableChanges"));
        QCOMPARE(table->rowCount(), changes + 3);
        if (changes > 100)
            QVERIFY(table->verticalScrollBar()->maximum() > 0);
        const QStringList clipped = textfit::clippedTexts(&dialog);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u'\n')));
        // The key the file lacks (no doubt about its missing value) and the
        // doubtful values come first, set apart, the changed one first; the
        // other changes follow in the write's order.
        const QStringList rows = tableRows(table);
        QCOMPARE(rows.at(0), language == 0
                                 ? QStringLiteral("QVR8|EDV1|\"21\"|(fehlt)|der Velmora behält seinen Wert")
                                 : QStringLiteral("QVR8|EDV1|\"21\"|(missing)|the Velmora keeps its value"));
        QCOMPARE(rows.at(1), QStringLiteral("PRINTER|Head|\"%1\"|\"K\u00c3\u00a4se\"|").arg(QString(40, u'h'))
                                 + (language == 0 ? "sieht nach UTF-8 aus (\"Käse\") in einer Windows-1252-Datei"
                                                  : "looks typed as UTF-8 (\"Käse\") in a Windows-1252 file"));
        QCOMPARE(rows.at(2), language == 0 ? QStringLiteral("QVR9|EDV2||\"7\"|ist nicht zweistellig (00 bis 99)")
                                           : QStringLiteral("QVR9|EDV2||\"7\"|is not two digits (00 to 99)"));
        QCOMPARE(rows.at(3), QStringLiteral("QVR0|Qualitaet1|\"11\"|\"01\"|"));
        for (int r = 0; r < 4; ++r)
            QCOMPARE(table->item(r, 3)->font().italic(), r < 3);

        // A screen reader meets the table by its name and reads each cell
        // with its column.
        QCOMPARE(table->accessibleName(), language == 0 ? QStringLiteral("Änderungen") : QStringLiteral("Changes"));
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(table);
        QVERIFY(face && face->tableInterface());
        QCOMPARE(face->tableInterface()->columnDescription(3), language == 0 ? "Datei" : "File");
        QCOMPARE(face->tableInterface()->cellAt(3, 2)->text(QAccessible::Name), QStringLiteral("\"11\""));

        auto *buttons = dialog.findChild<QDialogButtonBox *>(QStringLiteral("ButtonsComparison"));
        QPushButton *no = buttons->button(QDialogButtonBox::No);
        QPushButton *yes = buttons->button(QDialogButtonBox::Yes);
        QCOMPARE(yes->text(), language == 0 ? "&Ja" : "&Yes");
        QCOMPARE(QApplication::focusWidget(), no);
        QVERIFY(no->isDefault());
        // Tab reaches the table, whose cells the arrows walk, and the buttons.
        const auto tabTo = [](QWidget *target) {
            for (int i = 0; i < 4 && QApplication::focusWidget() != target; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            return QApplication::focusWidget() == target;
        };
        QVERIFY(tabTo(table));
        QTest::keyClick(table, Qt::Key_Down);
        QCOMPARE(table->currentRow(), 1);
        if (onYes)
            QVERIFY(tabTo(yes));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(onYes ? QDialog::Accepted : QDialog::Rejected));
    }

    // A gateway that ignores the writes and echoes its old records: no "OK",
    // one box listing what it did not take, and the file keeps the user's values.
    void writeAllReportsValuesNotTaken()
    {
        start(DefaultIniContent() + ReadFrom311);
        f->goOnline("311");
        f->window->workingFile().write("QVR3", "EDV2", "77");
        f->port->answer = true;
        f->port->echoWrites = false;
        showPage(f->window->saveLoadPage());
        QTest::mouseClick(child<QPushButton>("ButtonAlleDatenSchreiben"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!f->window->session().run().isActive(), 30000);
        QCOMPARE(child<QLabel>("Label5")->text(), QStringLiteral("Nicht alle Werte übernommen"));
        QCOMPARE(f->errors.size(), 1);
        QVERIFY(f->errors.constFirst().startsWith(QStringLiteral("Der Velmora hat diese Werte nicht übernommen")));
        QVERIFY(f->errors.constFirst().contains(QStringLiteral("[QVR3] EDV2: gesendet \"77\", der Velmora hat \"22\"")));
        QCOMPARE(f->stored("QVR3", "EDV2"), QStringLiteral("77"));
        QVERIFY(child<QPushButton>("ButtonAlleDatenSchreiben")->isEnabled());
    }

    // A read-all records where the values came from; the rest of the file
    // is the gateway's records.
    void readAllRecordsItsSource()
    {
        start(DefaultIniContent());
        f->goOnline("311");
        f->port->answer = true;
        showPage(f->window->saveLoadPage());
        QTest::mouseClick(child<QPushButton>("ButtonAlleDatenLesen"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>("Label5")->text(), QStringLiteral("OK"), 30000);
        QCOMPARE(f->stored("SOURCE", "Firmware"), QStringLiteral("3.11"));
        QCOMPARE(f->stored("SOURCE", "Port"), QStringLiteral("COM3 (/dev/pts/77)"));
        QVERIFY(QDateTime::fromString(f->stored("SOURCE", "Date"), Qt::ISODate).isValid());
        QVERIFY(f->errors.isEmpty());
    }

    void pageShownWhileIdleResetsDisplay()
    {
        start();
        // The handshake's run length, until the gateway names its firmware.
        f->goOnline();
        QCOMPARE(f->window->session().features().progressTotal, 27);
        leaveRunDisplay();
        child<QPushButton>("ButtonAlleDatenLesen")->setEnabled(false);
        showPage(f->window->saveLoadPage());
        QCOMPARE(child<QProgressBar>("ProgressAnzeige")->value(), 0);
        QCOMPARE(child<QProgressBar>("ProgressAnzeige")->maximum(), 27);
        QVERIFY(child<QLabel>("Label5")->isHidden());
        QVERIFY(child<QPushButton>("ButtonAlleDatenLesen")->isEnabled());
        QCOMPARE(child<QLabel>("LabelIniName2")->text(), iniPath());
    }
};

QTEST_MAIN(TestSaveLoad)
#include "tst_saveload.moc"
