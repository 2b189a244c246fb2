// The main window on the offscreen platform, against a temporary program folder.

#include "ModalAnswer.h"
#include "WindowFixture.h"

#include "core/ConfigLayout.h"
#include "core/IniFile.h"
#include "core/MonitorLog.h"
#include "gui/ErrorReport.h"
#include "gui/FirstPage.h"
#include "gui/InterfacePage.h"
#include "gui/MonitorPage.h"
#include "gui/PageControl.h"
#include "gui/PointsPage.h"
#include "gui/PrinterPage.h"
#include "gui/SaveLoadPage.h"

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
    {"ButtonDebugSave", 0, "save", "save"},
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;

    QString folder() const { return f->folder(); }
    QString iniPath() const { return f->iniPath(); }
    void writeIni(const QByteArray &bytes) { f->writeIni(bytes); }
    void start(const QString &programFolder = QString()) { f->start(true, programFolder); }

    template <class T = QWidget>
    T *child(const char *name) const
    {
        return f->child<T>(name);
    }

    QString tabText(QWidget *page) const
    {
        return f->window->pageControl()->tabText(f->window->pageControl()->indexOf(page));
    }

    // The editor pages, in tab order.
    QList<QWidget *> editorPages() const
    {
        MainWindow *w = f->window.get();
        return {w->pointsPage(), w->saveLoadPage(), w->printerPage(), w->interfacePage()};
    }

    void pressOn(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        target->setFocus();
        QTest::keyClick(target, key, modifiers);
    }

private slots:
    void init()
    {
        f = std::make_unique<WindowFixture>();
        QVERIFY(f->dir.isValid());
    }

    void cleanup()
    {
        f.reset();
    }

    void startShowsFirstPageOfflineWithDefaults()
    {
        start();
        QCOMPARE(f->window->windowTitle(), QStringLiteral("PC / Velmora 1.1.1"));
        QCOMPARE(f->window->size(), QSize(750, 500));
        QCOMPARE(f->window->minimumSize(), QSize(750, 500));
        QCOMPARE(f->window->maximumSize(), QSize(750, 500));
        QVERIFY(!(f->window->windowFlags() & Qt::WindowMaximizeButtonHint));
        // The packaged icon, carried inside the program.
        const QImage icon = f->window->windowIcon().pixmap(64, 64).toImage();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 QImage(QStringLiteral(VELMORA_SOURCE_DIR "/packaging/velmora.png"))
                     .convertToFormat(QImage::Format_ARGB32_Premultiplied));
        QCOMPARE(child<QLabel>("LabelTitel")->text(), QStringLiteral("PC / Velmora 1.1.1"));
        QCOMPARE(child<QLabel>("LabelTitel")->palette().color(QPalette::WindowText), QColor(188, 207, 19));

        QCOMPARE(f->window->pageControl()->currentWidget(), f->window->firstPage());
        QCOMPARE(tabText(f->window->firstPage()), QStringLiteral("PC / Velmora"));
        QCOMPARE(f->window->pageControl()->tabBar()->tabRect(0).width(), 130);
        QVERIFY(f->window->isPageVisible(f->window->firstPage()));
        QVERIFY(!f->window->isPageVisible(f->window->monitorPage()));
        for (QWidget *page : editorPages())
            QVERIFY(!f->window->isPageVisible(page));

        QCOMPARE(f->window->statusText(MainWindow::LinkStatePanel), QStringLiteral("OFFLINE"));
        QVERIFY(!f->window->statusText(MainWindow::MakerPanel).isEmpty());
        QVERIFY(f->window->statusText(MainWindow::PortPanel).isEmpty());
        QVERIFY(!f->window->statusText(MainWindow::ClockPanel).isEmpty());
        // The clock goes on.
        f->window->setStatusText(MainWindow::ClockPanel, QString());
        QTRY_VERIFY(!f->window->statusText(MainWindow::ClockPanel).isEmpty());
        QCOMPARE(child<QLabel>("lVERSION")->text(), QStringLiteral("---"));
        QVERIFY(child<QPushButton>("Button1")->hasFocus());

        QVERIFY(!f->window->monitorShown());
        QCOMPARE(f->window->session().features().productCount, 20);
        QCOMPARE(f->window->session().features().progressTotal, 37);
        QCOMPARE(f->window->workingFile().path(), iniPath());
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), DefaultIniContent());
        QVERIFY(f->errors.isEmpty());
    }

    void interfaceItemsFilledWhenThePageIsBuilt()
    {
        start();
        // The hidden pages cost the start nothing; they are built before
        // their tabs are shown.
        QVERIFY(!f->window->findChild<QWidget *>("RadioGroupBaudrateRS232"));
        QVERIFY(!f->window->findChild<QWidget *>("MemoDebug"));
        f->window->setEditorPagesVisible(true);
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
        QCOMPARE(f->window->language(), language);
        QCOMPARE(child<QPushButton>("Button1")->text(),
                 language == 0 ? QStringLiteral("Verbinden") : QStringLiteral("Connect"));
        QCOMPARE(child<QLabel>("Label1")->text(),
                 language == 0 ? QStringLiteral("COM Port auswählen:") : QStringLiteral("Select COM port:"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"),
                 language == 0 ? QStringLiteral("Suchen in:") : QStringLiteral("Look in:"));
        // An existing file is used as it is, however few keys it holds.
        QFile stored(iniPath());
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), file);
    }

    void captionsFollowLanguage()
    {
        start();
        f->window->setEditorPagesVisible(true);
        f->window->toggleMonitor();
        QMap<QString, int> expectedTags;
        for (const TaggedCaption &c : TaggedCaptions) {
            if (c.tag != 0)
                expectedTags.insert(QString::fromLatin1(c.object), c.tag);
        }
        QMap<QString, int> tags;
        for (QObject *object : f->window->findChildren<QObject *>()) {
            const int tag = object->property("tag").toInt();
            if (tag != 0)
                tags.insert(object->objectName(), tag);
        }
        QCOMPARE(tags, expectedTags);

        const QString text22 = QStringLiteral("Kopfzeile für Ausdruck (max. 40 Zeichen)");
        const QString text1022 = QStringLiteral("Headline for the printout (max. 40 characters)");
        for (int language : {0, 1, 0}) {
            if (f->window->language() != language)
                pressOn(child("cb_COM_Port"), Qt::Key_F12, Qt::AltModifier);
            QCOMPARE(f->window->language(), language);
            for (const TaggedCaption &c : TaggedCaptions) {
                QObject *object = child<QObject>(c.object);
                QVERIFY2(object, c.object);
                QCOMPARE(captionOf(object), QString::fromUtf8(language == 0 ? c.german : c.english));
            }
            QCOMPARE(tabText(f->window->pointsPage()), language == 0 ? QStringLiteral("Konfiguration")
                                                                : QStringLiteral("Configuration"));
            QCOMPARE(tabText(f->window->saveLoadPage()), language == 0 ? QStringLiteral("Speichern / Laden")
                                                                : QStringLiteral("Save / Load"));
            QCOMPARE(tabText(f->window->printerPage()),
                     language == 0 ? QStringLiteral("Drucker") : QStringLiteral("Printer"));
            QCOMPARE(tabText(f->window->interfacePage()), QStringLiteral("Interface"));
            QCOMPARE(tabText(f->window->monitorPage()), QStringLiteral("Monitor"));
            for (QObject *object : f->window->findChildren<QObject *>()) {
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
        f->goOnline();
        QCOMPARE(f->window->statusText(MainWindow::LinkStatePanel), QStringLiteral("ONLINE"));
        f->window->setLanguage(1);
        QCOMPARE(child<QPushButton>("Button1")->text(), QStringLiteral("Disconnect"));
        f->window->setLanguage(0);
        QCOMPARE(child<QPushButton>("Button1")->text(), QStringLiteral("Trennen"));
        QTest::mouseClick(child<QPushButton>("Button1"), Qt::LeftButton);
        QCOMPARE(f->window->statusText(MainWindow::LinkStatePanel), QStringLiteral("OFFLINE"));
        f->window->setLanguage(1);
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
        f->window->pageControl()->setCurrentWidget(f->window->firstPage());
        // Sent to a control that has the focus: the window sees the keys first.
        pressOn(child("cb_COM_Port"), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(f->window->monitorShown(), monitor);
        QCOMPARE(f->window->isPageVisible(f->window->monitorPage()), monitor);
        for (QWidget *page : editorPages())
            QCOMPARE(f->window->isPageVisible(page), pages);
        QCOMPARE(f->window->language(), language);
        QCOMPARE(f->window->pageControl()->currentWidget(), f->window->firstPage());
        QVERIFY(f->window->isVisible());
    }

    void shiftEnterSwitchesToFirstPage()
    {
        start();
        pressOn(child("cb_COM_Port"), Qt::Key_F5, Qt::AltModifier);
        f->window->pageControl()->setCurrentWidget(f->window->monitorPage());
        pressOn(child("MemoDebug"), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(f->window->pageControl()->currentWidget(), f->window->firstPage());
        QVERIFY(f->window->isPageVisible(f->window->saveLoadPage()));
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
        f->window->setLanguage(1 - language);
        f->window->setLanguage(language);
        f->connectToCom3();
        GatewaySession &session = f->window->session();
        QVERIFY(session.isConnecting());
        QVERIFY(session.isPolling());
        auto seen = answerNextMessageBox(yes ? QMessageBox::Yes : QMessageBox::No);
        pressOn(child("cb_COM_Port"), Qt::Key_Escape, Qt::NoModifier);
        QTRY_VERIFY(seen->seen);
        QCOMPARE(seen->caption, QStringLiteral("PC / Velmora"));
        QCOMPARE(seen->text, question);
        QCOMPARE(seen->icon, QMessageBox::Warning);
        QCOMPARE(seen->buttons, buttons);
        QTRY_COMPARE(f->window->isVisible(), !yes);
        QCOMPARE(session.isConnecting(), !yes);
        QCOMPARE(session.isPolling(), !yes);
        QCOMPARE(f->window->clockRunning(), !yes);
        if (!yes) {
            // The clock goes on.
            f->window->setStatusText(MainWindow::ClockPanel, QString());
            QTRY_VERIFY(!f->window->statusText(MainWindow::ClockPanel).isEmpty());
        }
    }

    void titleBarCloseAsksToo()
    {
        start();
        auto seen = answerNextMessageBox(QMessageBox::No);
        QVERIFY(!f->window->close());
        QVERIFY(seen->seen);
        QVERIFY(f->window->isVisible());
    }

    void monitorLogsOnlyWhileShown()
    {
        start();
        f->window->monitorPage()->logSent(">C0P01<9E\r\n");
        // Nothing logged, so the hidden page was not even built.
        QVERIFY(!f->window->findChild<QPlainTextEdit *>("MemoDebug"));

        f->window->toggleMonitor();
        auto *memo = child<QPlainTextEdit>("MemoDebug");
        QVERIFY(memo->toPlainText().isEmpty());
        QVERIFY(f->window->monitorShown());
        QVERIFY(f->window->isPageVisible(f->window->monitorPage()));
        QCOMPARE(f->window->pageControl()->tabBar()->tabRect(0).width(), 115);
        QCOMPARE(f->window->pageControl()->currentWidget(), f->window->firstPage()); // not switched to

        f->window->monitorPage()->logSent(">C0P01<9E\r\n");
        f->window->monitorPage()->logReceived("  \r\n");
        f->window->monitorPage()->logReceived(">P0101Produkt  1<3A\r\n");
        QStringList lines = memo->toPlainText().split(u'\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d # >C0P01<9E$"))
                    .match(lines[0]).hasMatch());
        QVERIFY(lines[1].endsWith(QStringLiteral(" # >P0101Produkt  1<3A")));
        QCOMPARE(lines[2], QString(69, u'-') + u' ');

        // Closing keeps the lines; nothing is logged while closed.
        QTest::mouseClick(child<QPushButton>("ButtonDebugClose"), Qt::LeftButton);
        QVERIFY(!f->window->monitorShown());
        QVERIFY(!f->window->isPageVisible(f->window->monitorPage()));
        QCOMPARE(f->window->pageControl()->tabBar()->tabRect(0).width(), 130);
        f->window->monitorPage()->logSent(">S0V<xx\r\n");
        f->window->toggleMonitor();
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

    // The clock's date speaks German in the German window whatever the
    // system's language, from the moment of the switch.
    void clockDateFollowsTheLanguageSwitch()
    {
        writeIni("[Speech]\r\nSpeech=1\r\n");
        start();
        f->window->setLanguage(0);
        const QString date = f->window->statusText(MainWindow::ClockPanel).section(QStringLiteral("   "), 0, 0);
        QCOMPARE(date, QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    }

    // "save" writes the log as shown, the user's own lines included, as
    // plain UTF-8 text; it sits beside the three buttons, which keep their
    // places.
    void monitorSavesTheLinesAsShown_data()
    {
        QTest::addColumn<QString>("target"); // empty: the dialog is cancelled
        QTest::addColumn<bool>("traffic");
        QTest::addColumn<bool>("saved");
        QTest::newRow("traffic and a note") << "monitor.txt" << true << true;
        QTest::newRow("empty log") << "empty.txt" << false << true;
        QTest::newRow("cancelled") << "" << true << false;
        QTest::newRow("a folder is refused") << "folder" << true << false;
    }
    void monitorSavesTheLinesAsShown()
    {
        QFETCH(QString, target);
        QFETCH(bool, traffic);
        QFETCH(bool, saved);
        start();
        f->window->toggleMonitor();
        f->window->pageControl()->setCurrentWidget(f->window->monitorPage());
        auto *memo = child<QPlainTextEdit>("MemoDebug");
        if (traffic) {
            f->window->monitorPage()->logSent(">C0P01<9E\r\n");
            f->window->monitorPage()->logReceived(">P0101Produkt\xE4 1<3A\r\n");
            memo->appendPlainText(QStringLiteral("Zapfsäule 3 meldet nichts"));
        }
        const QString path = target.isEmpty() ? QString() : QDir(folder()).filePath(target);
        QVERIFY(QDir(folder()).mkpath(QStringLiteral("folder")));
        f->window->setLogFileChooser([&path](QWidget *) { return path; });
        QTest::mouseClick(child<QPushButton>("ButtonDebugSave"), Qt::LeftButton);

        if (saved) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray content = file.readAll();
            QCOMPARE(content, traffic ? (memo->toPlainText() + u'\n').toUtf8() : QByteArray());
            if (traffic)
                QVERIFY(content.contains(" # >P0101Produkt\xC3\xA4 1<3A\n"));
            QCOMPARE(f->errors, QStringList());
        } else {
            QCOMPARE(f->errors.size(), target.isEmpty() ? 0 : 1);
            QVERIFY(QFileInfo(QDir(folder()).filePath(QStringLiteral("folder"))).isDir());
        }

        const char *buttons[] = {"ButtonDebugCopy", "ButtonDebugClear", "ButtonDebugClose", "ButtonDebugSave"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(child(buttons[i])->geometry(), QRect(8 + 136 * i, 11, 97, 25));
    }

    void monitorKeepsOnlyTheMostRecentLines()
    {
        start();
        f->window->toggleMonitor();
        auto *memo = child<QPlainTextEdit>("MemoDebug");
        // A stream of garbage lines, each logged with its separator.
        for (int i = 0; i < MonitorLineLimit / 2 + 5; ++i)
            f->window->monitorPage()->logReceived("garbage " + QByteArray::number(i) + "\r\n");
        QCOMPARE(memo->blockCount(), MonitorLineLimit);
        QVERIFY(memo->document()->lastBlock().previous().text().endsWith(
            QStringLiteral(" # garbage %1").arg(MonitorLineLimit / 2 + 4)));
        QVERIFY(!memo->document()->firstBlock().text().endsWith(QStringLiteral(" # garbage 0")));
    }

    void monitorToggleFromItsOwnPageAndFromTheLogo()
    {
        start();
        QTest::mouseDClick(child("Image"), Qt::LeftButton);
        QVERIFY(f->window->monitorShown());
        f->window->monitorPage()->logReceived("a\r\n");
        f->window->monitorPage()->logReceived("b\r\n");
        f->window->pageControl()->setCurrentWidget(f->window->monitorPage());
        auto *memo = child<QPlainTextEdit>("MemoDebug");
        QVERIFY(memo->hasFocus());
        QVERIFY(memo->textCursor().atEnd());

        pressOn(memo, Qt::Key_F5, Qt::AltModifier);
        QVERIFY(!f->window->monitorShown());
        QVERIFY(f->window->pageControl()->currentWidget() != f->window->monitorPage());
        QTest::mouseDClick(child("Image"), Qt::LeftButton);
        QVERIFY(f->window->monitorShown());
    }

    void refusedCreationIsReportedAndStartsGerman()
    {
        writeIni("[Speech]\r\nSpeech=1\r\n"); // not the program folder used below
        const QString gone = folder() + QStringLiteral("missing/");
        start(gone);
        QTRY_COMPARE(f->errors.size(), 1);
        QCOMPARE(f->errors[0],
                 QStringLiteral("In ") + gone + QStringLiteral("Velmora.ini kann nicht geschrieben werden"));
        QCOMPARE(f->window->language(), 0);
        QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("COM Port auswählen:"));
        QVERIFY(f->window->isVisible());
    }

    // A write killed before its rename leaves a complete copy; the next start
    // removes it, and only it: the user's files named like it stay. An
    // unreadable file is said once, in German.
    void startRemovesStaleCopiesAndReportsUnreadableFile()
    {
        QVERIFY(QDir().mkdir(iniPath()));
        const QString stale = folder() + QStringLiteral(".Velmora.ini.velmora-temp-Xy12Ab");
        const QStringList others{folder() + QStringLiteral(".Other.ini.velmora-temp-Xy12Ab"),
                                 iniPath() + QStringLiteral(".backup"), iniPath() + QStringLiteral(".250101"),
                                 iniPath() + QStringLiteral(".orig01"), iniPath() + QStringLiteral(".Xy12Ab")};
        for (const QString &path : QStringList{stale} + others) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        start();
        QVERIFY(!QFileInfo::exists(stale));
        for (const QString &other : others)
            QVERIFY2(QFileInfo::exists(other), qPrintable(other));
        QTRY_COMPARE(f->errors.size(), 1);
        QVERIFY2(f->errors[0].startsWith(iniPath() + QStringLiteral(" kann nicht gelesen werden: ")), qPrintable(f->errors[0]));
        QCOMPARE(f->window->language(), 0);
    }

    void errorsOfHandlersAreReportedAndTheProgramGoesOn()
    {
        start();
        QVERIFY(QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::ReadUser));
        const QByteArray before = DefaultIniContent();
        RunGuarded(f->window->errorReport(), [&] { f->window->workingFile().write("PRINTER", "Head", "x"); });
        QCOMPARE(f->errors, QStringList{QStringLiteral("In ") + iniPath()
                                       + QStringLiteral(" kann nicht geschrieben werden")});
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QVERIFY(f->window->isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
