// The main window on the offscreen platform, against a temporary program folder.

#include "core/IniFile.h"
#include "link/F_FormVerbindung.h"
#include "gui/ErrorReport.h"
#include "shell/F_FormMain.h"
#include "core/MonitorLog.h"
#include "gui/PageControl.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

QString captionOf(const QObject *object)
{
    if (auto *label = qobject_cast<const QLabel *>(object))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(object))
        return button->text();
    if (auto *group = qobject_cast<const QGroupBox *>(object))
        return group->title();
    return QString();
}

struct SeenBox
{
    bool seen = false;
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Answers the next modal message box with `button` and records what it showed.
void answerNextMessageBox(QMessageBox::StandardButton button, std::shared_ptr<SeenBox> seen)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, button, seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen->seen = true;
        seen->caption = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        for (QAbstractButton *b : box->buttons())
            seen->buttons << b->text();
        seen->buttons.sort();
        timer->stop();
        timer->deleteLater();
        box->button(button)->click();
    });
    timer->start();
}

struct TaggedCaption
{
    const char *object;
    int tag;
    const char *german;
    const char *english;
};

const TaggedCaption TaggedCaptions[] = {
    {"Button1", 1, "Verbinden", "Connect"},
    {"Label1", 2, "COM Port auswählen:", "Select COM port:"},
    {"Label58", 3, "QVR Adresse", "QVR address"},
    {"Label61", 4, "Zapfpunkt", "Point of disp."},
    {"Label62", 5, "Produktqualität", "Product quality"},
    {"Label63", 6, "EDV Nummer", "EDP number"},
    {"ButtonKonfigurationLesen", 7, "Lesen", "read"},
    {"Button2", 7, "Lesen", "read"},
    {"ButtonReadInterface", 7, "Lesen", "read"},
    {"ButtonDruckerAuslesen", 7, "Lesen", "read"},
    {"ButtonAlleDatenLesen", 7, "Lesen", "read"},
    {"ButtonKonfigurationSchreiben", 8, "Schreiben", "write"},
    {"Button5", 8, "Schreiben", "write"},
    {"ButtonWriteInterface", 8, "Schreiben", "write"},
    {"ButtonDruckerSchreiben", 8, "Schreiben", "write"},
    {"ButtonAlleDatenSchreiben", 8, "Schreiben", "write"},
    {"Label6", 9, "Produkt Nr", "Product no"},
    {"Label44", 10, "Qualität", "quality"},
    {"Label45", 11, "Produktname", "product name"},
    {"Label47", 12, "( max. 10 Zeichen )", "( max. 10 characters )"},
    {"Label2", 13, "Alle Daten aus dem Velmora zum Bearbeiten auslesen:",
     "Get all data to edit from the Velmora:"},
    {"Label3", 14, "Eine gespeicherte Konfiguration zum Bearbeiten laden:",
     "Load a stored configuration to edit:"},
    {"Label4", 15, "Die aktuell geöffnete Konfiguration speichern:",
     "Save the currently opened configuration:"},
    {"Button7", 16, "Datei öffnen", "Open file"},
    {"Button8", 17, "Datei speichern", "Save file"},
    {"Label17", 18, "Die geöffnete, aktuell angezeigte Konfiguration zum Velmora übertragen:",
     "Send the actual opened configuration to the Velmora:"},
    {"Label16", 19, "Konfiguration", "Configuration"},
    {"Label15", 20, "Daten übertragen", "Transfer data"},
    {"Label18", 21, "Druckermodell", "Printer model"},
    // Captions that follow the language without a tag.
    {"GroupBoxPrinter", 0, "Drucker", "Printer"},
    {"LabelBaudrate232", 0, "Baudrate RS232 - EDV", "Baud rate RS232 - EDV"},
    {"LabelBaudrate485", 0, "Baudrate RS485 - QVR", "Baud rate RS485 - QVR"},
    {"LabelDruckerKopfzeile", 0, "Kopfzeile für Ausdruck", "Headline for printout"},
    {"LabelDruckerFusszeile", 0, "(max. 40 Zeichen)", "(max. 40 characters)"},
    {"GroupBoxProduktName", 0, "Produkt", "Product"},
    // Captions that stay the same in both languages.
    {"GroupBox4", 0, "RS 232", "RS 232"},
    {"GroupBox9", 0, "RS485 - QVR", "RS485 - QVR"},
    {"Label22", 0, "Parameter RS232 - EDV", "Parameter RS232 - EDV"},
    {"ButtonDebugCopy", 0, "copy", "copy"},
};

} // namespace

class TestFormMain : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TFormMain> m_form;
    std::unique_ptr<TFormVerbindung> m_link;
    QStringList m_errors;

    QString folder() const { return m_dir->path() + u'/'; }
    QString iniPath() const { return folder() + QStringLiteral("Velmora.ini"); }

    void writeIni(const QByteArray &bytes)
    {
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    void start(const QString &programFolder = QString())
    {
        m_form = std::make_unique<TFormMain>(programFolder.isEmpty() ? folder() : programFolder);
        m_link = std::make_unique<TFormVerbindung>(m_form.get());
        m_form->SetFormVerbindung(m_link.get());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    template <class T = QWidget>
    T *child(const char *name) const
    {
        T *found = m_form->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qWarning("no control %s", name);
        return found;
    }

    QString tabText(QWidget *page) const
    {
        return m_form->PageControl1->tabText(m_form->PageControl1->indexOf(page));
    }

    void pressOn(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        target->setFocus();
        QTest::keyClick(target, key, modifiers);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_errors.clear();
        SetErrorReportHandler([this](const QString &text) { m_errors << text; });
    }

    void cleanup()
    {
        m_form.reset();
        m_link.reset();
        SetErrorReportHandler({});
    }

    void startShowsFirstPageOfflineWithDefaults()
    {
        start();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("PC / Velmora 1.1.1"));
        QCOMPARE(m_form->size(), QSize(750, 500));
        QCOMPARE(m_form->minimumSize(), QSize(750, 500));
        QCOMPARE(m_form->maximumSize(), QSize(750, 500));
        QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
        // The packaged icon, carried inside the program.
        const QImage icon = m_form->windowIcon().pixmap(64, 64).toImage();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 QImage(QStringLiteral(VELMORA_SOURCE_DIR "/packaging/velmora.png"))
                     .convertToFormat(QImage::Format_ARGB32_Premultiplied));
        QCOMPARE(child<QLabel>("LabelTitel")->text(), QStringLiteral("PC / Velmora 1.1.1"));
        QCOMPARE(child<QLabel>("LabelTitel")->palette().color(QPalette::WindowText), QColor(188, 207, 19));

        QCOMPARE(m_form->PageControl1->currentWidget(), m_form->TabSheet1);
        QCOMPARE(tabText(m_form->TabSheet1), QStringLiteral("PC / Velmora"));
        QCOMPARE(m_form->PageControl1->tabBar()->tabRect(0).width(), 130);
        QVERIFY(m_form->IsPageVisible(m_form->TabSheet1));
        for (QWidget *page : {m_form->TabSheet2, m_form->TabSheet3, m_form->TabSheet4,
                              m_form->TabSheetInterface, m_form->TabSheetMonitor})
            QVERIFY(!m_form->IsPageVisible(page));

        QCOMPARE(m_form->StatusText(2), QStringLiteral("OFFLINE"));
        QVERIFY(!m_form->StatusText(0).isEmpty());
        QVERIFY(m_form->StatusText(1).isEmpty());
        QVERIFY(!m_form->StatusText(4).isEmpty());
        QVERIFY(m_form->TimerUhrzeit.isActive());
        QCOMPARE(child<QLabel>("lVERSION")->text(), QStringLiteral("---"));
        QVERIFY(child<QPushButton>("Button1")->hasFocus());

        QCOMPARE(m_form->MonitorActive, 0);
        QCOMPARE(m_form->ProductCount, 20);
        QCOMPARE(m_form->ProgressTotal, 37);
        QCOMPARE(m_form->IniFileName, iniPath());
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), DefaultIniContent());
        QVERIFY(m_errors.isEmpty());
    }

    void interfaceItemsFilledAtCreation()
    {
        start();
        const QStringList bauds{"1200 Baud", "2400 Baud", "4800 Baud", "9600 Baud (default)",
                                "19200 Baud", "38400 Baud"};
        const QStringList formats{"7-N-1", "7_E-1", "7-O-1", "8-N-1 (default)", "8-E-1", "8-O-1"};
        for (const char *name : {"RadioGroupBaudrateRS232", "RadioGroupBaudrateRS485"}) {
            const auto buttons = child(name)->findChildren<QAbstractButton *>();
            QStringList texts;
            for (auto *b : buttons)
                texts << b->text();
            QCOMPARE(texts, bauds);
        }
        for (const char *name : {"RadioGroupParameterRS232", "RadioGroupParameterRS485"}) {
            const auto buttons = child(name)->findChildren<QAbstractButton *>();
            QStringList texts;
            for (auto *b : buttons) {
                texts << b->text();
                QVERIFY(!b->isChecked());
            }
            QCOMPARE(texts, formats);
        }
    }

    void storedLanguageApplies_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("language");
        QTest::newRow("German") << QByteArray("[Speech]\r\nSpeech=0\r\n") << 0;
        QTest::newRow("English") << QByteArray("[Speech]\r\nSpeech=1\r\n") << 1;
        QTest::newRow("other number") << QByteArray("[Speech]\r\nSpeech=7\r\n") << 1;
        QTest::newRow("not a number") << QByteArray("[Speech]\r\nSpeech=x\r\n") << 0;
        QTest::newRow("empty file") << QByteArray() << 0;
    }
    void storedLanguageApplies()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, language);
        writeIni(file);
        start();
        QCOMPARE(m_form->Language, language);
        QCOMPARE(child<QPushButton>("Button1")->text(),
                 language == 0 ? QStringLiteral("Verbinden") : QStringLiteral("Connect"));
        QCOMPARE(child<QLabel>("Label1")->text(),
                 language == 0 ? QStringLiteral("COM Port auswählen:") : QStringLiteral("Select COM port:"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"),
                 language == 0 ? QStringLiteral("Suchen in:") : QStringLiteral("Look in:"));
        // An existing file is used as it is, however few keys it holds.
        QFile f(iniPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), file);
    }

    void captionsFollowLanguage()
    {
        start();
        QMap<QString, int> expectedTags;
        for (const TaggedCaption &c : TaggedCaptions) {
            if (c.tag != 0)
                expectedTags.insert(QString::fromLatin1(c.object), c.tag);
        }
        QMap<QString, int> tags;
        for (QObject *object : m_form->findChildren<QObject *>()) {
            const int tag = object->property("tag").toInt();
            if (tag != 0)
                tags.insert(object->objectName(), tag);
        }
        QCOMPARE(tags, expectedTags);

        const QString text22 = QStringLiteral("Kopfzeile für Ausdruck (max. 40 Zeichen)");
        const QString text1022 = QStringLiteral("Headline for the printout (max. 40 characters)");
        for (int language : {0, 1, 0}) {
            if (m_form->Language != language)
                pressOn(child("cb_COM_Port"), Qt::Key_F12, Qt::AltModifier);
            QCOMPARE(m_form->Language, language);
            for (const TaggedCaption &c : TaggedCaptions) {
                QObject *object = child<QObject>(c.object);
                QVERIFY2(object, c.object);
                QCOMPARE(captionOf(object), QString::fromUtf8(language == 0 ? c.german : c.english));
            }
            QCOMPARE(tabText(m_form->TabSheet2), language == 0 ? QStringLiteral("Konfiguration")
                                                                : QStringLiteral("Configuration"));
            QCOMPARE(tabText(m_form->TabSheet3), language == 0 ? QStringLiteral("Speichern / Laden")
                                                                : QStringLiteral("Save / Load"));
            QCOMPARE(tabText(m_form->TabSheet4),
                     language == 0 ? QStringLiteral("Drucker") : QStringLiteral("Printer"));
            QCOMPARE(tabText(m_form->TabSheetInterface), QStringLiteral("Interface"));
            QCOMPARE(tabText(m_form->TabSheetMonitor), QStringLiteral("Monitor"));
            for (QObject *object : m_form->findChildren<QObject *>()) {
                const QString caption = captionOf(object);
                QVERIFY2(caption != text22 && caption != text1022, qPrintable(object->objectName()));
            }
        }
        // Alt+F12 does not store the language.
        QCOMPARE(ReadIniValue(iniPath(), "Speech", "Speech", "?"), QStringLiteral("0"));
    }

    void connectButtonFollowsLinkState()
    {
        start();
        m_form->SetStatusText(2, QStringLiteral("ONLINE"));
        m_form->SetLanguage(1);
        QCOMPARE(child<QPushButton>("Button1")->text(), QStringLiteral("Disconnect"));
        m_form->SetLanguage(0);
        QCOMPARE(child<QPushButton>("Button1")->text(), QStringLiteral("Trennen"));
        m_form->SetStatusText(2, QStringLiteral("OFFLINE"));
        m_form->SetLanguage(1);
        QCOMPARE(child<QPushButton>("Button1")->text(), QStringLiteral("Connect"));
    }

    void hotKeysNeedTheirExactModifiers_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("monitor");
        QTest::addColumn<bool>("pages");
        QTest::addColumn<int>("language");
        const int none = Qt::NoModifier, alt = Qt::AltModifier, shift = Qt::ShiftModifier,
                  ctrl = Qt::ControlModifier;
        QTest::newRow("Alt+F5") << int(Qt::Key_F5) << alt << true << false << 0;
        QTest::newRow("F5") << int(Qt::Key_F5) << none << false << false << 0;
        QTest::newRow("Ctrl+F5") << int(Qt::Key_F5) << ctrl << false << false << 0;
        QTest::newRow("Shift+Alt+F5") << int(Qt::Key_F5) << (shift | alt) << false << false << 0;
        QTest::newRow("Shift+Enter") << int(Qt::Key_Return) << shift << false << true << 0;
        QTest::newRow("Shift+keypad Enter")
            << int(Qt::Key_Enter) << (shift | int(Qt::KeypadModifier)) << false << true << 0;
        QTest::newRow("Enter") << int(Qt::Key_Return) << none << false << false << 0;
        QTest::newRow("Ctrl+Shift+Enter") << int(Qt::Key_Return) << (ctrl | shift) << false << false << 0;
        QTest::newRow("Alt+F12") << int(Qt::Key_F12) << alt << false << false << 1;
        QTest::newRow("Alt+Shift+F12") << int(Qt::Key_F12) << (alt | shift) << false << false << 0;
        QTest::newRow("Ctrl+Alt+F12") << int(Qt::Key_F12) << (ctrl | alt) << false << false << 0;
    }
    void hotKeysNeedTheirExactModifiers()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, monitor);
        QFETCH(bool, pages);
        QFETCH(int, language);
        start();
        m_form->PageControl1->setCurrentWidget(m_form->TabSheet1);
        // Sent to a control that has the focus: the window sees the keys first.
        pressOn(child("cb_COM_Port"), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(m_form->MonitorActive == 1, monitor);
        QCOMPARE(m_form->IsPageVisible(m_form->TabSheetMonitor), monitor);
        for (QWidget *page : {m_form->TabSheet2, m_form->TabSheet3, m_form->TabSheet4,
                              m_form->TabSheetInterface})
            QCOMPARE(m_form->IsPageVisible(page), pages);
        QCOMPARE(m_form->Language, language);
        QCOMPARE(m_form->PageControl1->currentWidget(), m_form->TabSheet1);
        QVERIFY(m_form->isVisible());
    }

    void shiftEnterSwitchesToFirstPage()
    {
        start();
        pressOn(child("cb_COM_Port"), Qt::Key_F5, Qt::AltModifier);
        m_form->PageControl1->setCurrentWidget(m_form->TabSheetMonitor);
        pressOn(child("MemoDebug"), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(m_form->PageControl1->currentWidget(), m_form->TabSheet1);
        QVERIFY(m_form->IsPageVisible(m_form->TabSheet3));
        // The log did not take the key.
        QVERIFY(child<QPlainTextEdit>("MemoDebug")->toPlainText().isEmpty());
    }

    void escapeAsksBeforeClosing_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("buttons");
        const QString german = QStringLiteral("Möchten Sie das Programm jetzt beenden ?");
        const QStringList ja{"&Ja", "&Nein"};
        QTest::newRow("German, No") << 0 << false << german << ja;
        QTest::newRow("German, Yes") << 0 << true << german << ja;
        QTest::newRow("English, Yes") << 1 << true << QStringLiteral("Quit application now ?")
                                      << QStringList{"&No", "&Yes"};
    }
    void escapeAsksBeforeClosing()
    {
        QFETCH(int, language);
        QFETCH(bool, yes);
        QFETCH(QString, question);
        QFETCH(QStringList, buttons);
        start();
        // Switched at run time, away from the language of the start.
        m_form->SetLanguage(1 - language);
        m_form->SetLanguage(language);
        m_link->Connecting = true;
        m_link->TimerPolling.start();
        auto seen = std::make_shared<SeenBox>();
        answerNextMessageBox(yes ? QMessageBox::Yes : QMessageBox::No, seen);
        pressOn(child("eKopfzeiledrucker"), Qt::Key_Escape, Qt::NoModifier);
        QTRY_VERIFY(seen->seen);
        QCOMPARE(seen->caption, QStringLiteral("PC / Velmora"));
        QCOMPARE(seen->text, question);
        QCOMPARE(seen->icon, QMessageBox::Warning);
        QCOMPARE(seen->buttons, buttons);
        QTRY_COMPARE(m_form->isVisible(), !yes);
        QCOMPARE(m_form->TimerUhrzeit.isActive(), !yes);
        QCOMPARE(m_link->Connecting, !yes);
        QCOMPARE(m_link->TimerPolling.isActive(), !yes);
    }

    void titleBarCloseAsksToo()
    {
        start();
        auto seen = std::make_shared<SeenBox>();
        answerNextMessageBox(QMessageBox::No, seen);
        QVERIFY(!m_form->close());
        QVERIFY(seen->seen);
        QVERIFY(m_form->isVisible());
    }

    void monitorLogsOnlyWhileShown()
    {
        start();
        auto *memo = child<QPlainTextEdit>("MemoDebug");
        m_form->LogSentRequest(QStringLiteral(">C0P01<9E\r\n"));
        QVERIFY(memo->toPlainText().isEmpty());

        m_form->ImageDblClick();
        QCOMPARE(m_form->MonitorActive, 1);
        QVERIFY(m_form->IsPageVisible(m_form->TabSheetMonitor));
        QCOMPARE(m_form->PageControl1->tabBar()->tabRect(0).width(), 115);
        QCOMPARE(m_form->PageControl1->currentWidget(), m_form->TabSheet1); // not switched to

        m_form->LogSentRequest(QStringLiteral(">C0P01<9E\r\n"));
        m_form->LogReceivedLine(QStringLiteral("  \r\n"));
        m_form->LogReceivedLine(QStringLiteral(">P0101Produkt  1<3A\r\n"));
        QStringList lines = memo->toPlainText().split(u'\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d # >C0P01<9E$"))
                    .match(lines[0]).hasMatch());
        QVERIFY(lines[1].endsWith(QStringLiteral(" # >P0101Produkt  1<3A")));
        QCOMPARE(lines[2], QString(69, u'-') + u' ');

        // Closing keeps the lines; nothing is logged while closed.
        QTest::mouseClick(child<QPushButton>("ButtonDebugClose"), Qt::LeftButton);
        QCOMPARE(m_form->MonitorActive, 0);
        QVERIFY(!m_form->IsPageVisible(m_form->TabSheetMonitor));
        QCOMPARE(m_form->PageControl1->tabBar()->tabRect(0).width(), 130);
        m_form->LogSentRequest(QStringLiteral(">S0V<xx\r\n"));
        m_form->ImageDblClick();
        QCOMPARE(memo->toPlainText().split(u'\n').size(), 3);

        // Copy puts every line with CR LF on the clipboard, user text included.
        memo->appendPlainText(QStringLiteral("note"));
        QTest::mouseClick(child<QPushButton>("ButtonDebugCopy"), Qt::LeftButton);
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY(copied.endsWith(QString(69, u'-') + QStringLiteral(" \r\nnote\r\n")));
        QCOMPARE(copied.count(QStringLiteral("\r\n")), 4);

        QTest::mouseClick(child<QPushButton>("ButtonDebugClear"), Qt::LeftButton);
        QVERIFY(memo->toPlainText().isEmpty());
        QTest::mouseClick(child<QPushButton>("ButtonDebugCopy"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    }

    void monitorKeepsOnlyTheMostRecentLines()
    {
        start();
        m_form->ImageDblClick();
        auto *memo = child<QPlainTextEdit>("MemoDebug");
        // A stream of garbage lines, each logged with its separator.
        for (int i = 0; i < MonitorLineLimit / 2 + 5; ++i)
            m_form->LogReceivedLine(QStringLiteral("garbage %1\r\n").arg(i));
        QCOMPARE(memo->blockCount(), MonitorLineLimit);
        QVERIFY(memo->document()->lastBlock().previous().text().endsWith(
            QStringLiteral(" # garbage %1").arg(MonitorLineLimit / 2 + 4)));
        QVERIFY(!memo->document()->firstBlock().text().endsWith(QStringLiteral(" # garbage 0")));
    }

    void monitorToggleFromItsOwnPageAndFromTheLogo()
    {
        start();
        QTest::mouseDClick(child("Image"), Qt::LeftButton);
        QCOMPARE(m_form->MonitorActive, 1);
        m_form->AppendMonitorLine(QStringLiteral("a"));
        m_form->AppendMonitorLine(QStringLiteral("b"));
        m_form->PageControl1->setCurrentWidget(m_form->TabSheetMonitor);
        auto *memo = child<QPlainTextEdit>("MemoDebug");
        QVERIFY(memo->hasFocus());
        QVERIFY(memo->textCursor().atEnd());

        pressOn(memo, Qt::Key_F5, Qt::AltModifier);
        QCOMPARE(m_form->MonitorActive, 0);
        QVERIFY(m_form->PageControl1->currentWidget() != m_form->TabSheetMonitor);
        QTest::mouseDClick(child("Image"), Qt::LeftButton);
        QCOMPARE(m_form->MonitorActive, 1);
    }

    void refusedCreationIsReportedAndStartsGerman()
    {
        writeIni("[Speech]\r\nSpeech=1\r\n"); // not the program folder used below
        const QString gone = folder() + QStringLiteral("missing/");
        start(gone);
        QTRY_COMPARE(m_errors.size(), 1);
        QCOMPARE(m_errors[0],
                 QStringLiteral("In ") + gone + QStringLiteral("Velmora.ini kann nicht geschrieben werden"));
        QCOMPARE(m_form->Language, 0);
        QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("COM Port auswählen:"));
        QVERIFY(m_form->isVisible());
    }

    // A write killed before its rename leaves a complete copy; the next start
    // removes it, and only it. An unreadable file is said once, in German.
    void startRemovesStaleCopiesAndReportsUnreadableFile()
    {
        QVERIFY(QDir().mkdir(iniPath()));
        const QString stale = iniPath() + QStringLiteral(".Xy12Ab");
        const QString other = folder() + QStringLiteral("Other.ini.Xy12Ab");
        for (const QString &path : {stale, other}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        start();
        QVERIFY(!QFileInfo::exists(stale));
        QVERIFY(QFileInfo::exists(other));
        QTRY_COMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors[0].startsWith(iniPath() + QStringLiteral(" kann nicht gelesen werden: ")), qPrintable(m_errors[0]));
        QCOMPARE(m_form->Language, 0);
    }

    void errorsOfHandlersAreReportedAndTheProgramGoesOn()
    {
        start();
        QVERIFY(QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::ReadUser));
        const QByteArray before = DefaultIniContent();
        RunGuarded([&] { m_form->WriteIniValue("PRINTER", "Head", "x"); });
        QCOMPARE(m_errors, QStringList{QStringLiteral("In ") + iniPath()
                                       + QStringLiteral(" kann nicht geschrieben werden")});
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QVERIFY(m_form->isVisible());
    }
};

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
