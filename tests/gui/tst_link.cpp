// What the window shows of the device link, with a recording port in place
// of the serial port: the connect button and port list, the status bar, the
// editor pages and their firmware layout, the page buttons' requests, the
// status lights, the run's progress and the lost port.

#include "ReplyBuilders.h"
#include "ModalAnswer.h"
#include "TextFit.h"
#include "WindowFixture.h"

#include "core/Frame.h"
#include "core/TransferRun.h"
#include "gui/ElidedLabel.h"
#include "gui/InterfacePage.h"
#include "gui/PointsPage.h"
#include "gui/PrinterPage.h"
#include "gui/RadioGroup.h"
#include "gui/SaveLoadPage.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>
#include <memory>

#include <unistd.h>

class TestLink : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;

    MainWindow &window() const { return *f->window; }
    RecordingPort &port() const { return *f->port; }
    QPushButton *connectButton() const { return f->child<QPushButton>("Button1"); }
    QComboBox *portList() const { return f->child<QComboBox>("cb_COM_Port"); }
    bool lit(const char *light) const { return f->child(light)->property("lit").toBool(); }
    void click(const char *button) const { QTest::mouseClick(f->child<QPushButton>(button), Qt::LeftButton); }

    // A reply outside a run, once the writer has stored its record.
    void replyStored(const QByteArray &record)
    {
        port().reply(record);
        window().session().writer().drain();
    }

    void goOnline(const QByteArray &version = QByteArray())
    {
        f->goOnline(version);
        QCOMPARE(window().statusText(MainWindow::LinkStatePanel), QStringLiteral("ONLINE"));
    }

private slots:
    void init()
    {
        f = std::make_unique<WindowFixture>();
        f->start();
    }

    void cleanup() { f.reset(); }

    void connectPollsUntilTheProductReply()
    {
        f->connectToCom3();
        QCOMPARE(port().device, QStringLiteral("/dev/pts/77"));
        QVERIFY(window().session().isConnecting());
        QCOMPARE(window().statusText(MainWindow::PortPanel), QStringLiteral("COM3"));
        QCOMPARE(window().statusText(MainWindow::LinkStatePanel), QStringLiteral("OFFLINE"));
        QVERIFY(!portList()->isEnabled());
        QCOMPARE(connectButton()->text(), QStringLiteral("Trennen"));
        QVERIFY(window().session().isPolling());

        window().toggleMonitor(); // the log records from here on
        const QString blinkBefore = window().statusText(MainWindow::ExchangePanel);
        window().session().pollOnce();
        const QString first = window().statusText(MainWindow::ExchangePanel);
        window().session().pollOnce();
        const QString second = window().statusText(MainWindow::ExchangePanel);
        QCOMPARE(QSet<QString>({first, second}), QSet<QString>({QStringLiteral("ping"), QString()}));
        QVERIFY(blinkBefore.isEmpty() ? first == "ping" : first.isEmpty());

        // A good line of another kind only says "ok" while connecting.
        port().reply("cV311");
        QCOMPARE(window().statusText(MainWindow::ExchangePanel), QStringLiteral("ok"));
        QCOMPARE(window().statusText(MainWindow::LinkStatePanel), QStringLiteral("OFFLINE"));

        port().reply(PollReply());
        QCOMPARE(window().statusText(MainWindow::LinkStatePanel), QStringLiteral("ONLINE"));
        for (QWidget *page : {static_cast<QWidget *>(window().pointsPage()),
                              static_cast<QWidget *>(window().saveLoadPage()),
                              static_cast<QWidget *>(window().printerPage()),
                              static_cast<QWidget *>(window().interfacePage())})
            QVERIFY(window().isPageVisible(page));
        QCOMPARE(window().statusText(MainWindow::ExchangePanel), QStringLiteral("S0V"));
        const QString log = f->child("MemoDebug")->property("plainText").toString();
        QVERIFY(log.contains(QStringLiteral(" # >C0P01<9E\n")));
        QVERIFY(log.endsWith(QStringLiteral(" # >S0V<53")));
    }

    void versionSetsFirmwareLayout_data()
    {
        QTest::addColumn<QByteArray>("digits");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("point5");
        QTest::addColumn<bool>("ten");
        QTest::newRow("106") << QByteArray("106") << "1.06" << false << false;
        QTest::newRow("107") << QByteArray("107") << "1.07" << false << false;
        QTest::newRow("109") << QByteArray("109") << "1.09" << false << false;
        QTest::newRow("110") << QByteArray("110") << "1.10" << true << false;
        QTest::newRow("207") << QByteArray("207") << "2.07" << true << false;
        QTest::newRow("208") << QByteArray("208") << "2.08" << false << false;
        QTest::newRow("209") << QByteArray("209") << "2.09" << true << false;
        QTest::newRow("310") << QByteArray("310") << "3.10" << true << false;
        QTest::newRow("311") << QByteArray("311") << "3.11" << true << true;
        QTest::newRow("999") << QByteArray("999") << "9.99" << true << true;
        QTest::newRow("not a number") << QByteArray("3x1") << "3.x1" << false << false;
    }
    void versionSetsFirmwareLayout()
    {
        QFETCH(QByteArray, digits);
        QFETCH(QString, text);
        QFETCH(bool, point5);
        QFETCH(bool, ten);
        goOnline(digits);
        QCOMPARE(window().session().versionText(), text);
        QCOMPARE(window().isPageVisible(window().interfacePage()), ten);
        QWidget *page = window().pointsPage();
        for (const char *name : {"Label9", "ComboBox2", "ComboBox3"})
            QCOMPARE(f->child(name)->isVisibleTo(page), point5);
        for (const char *name : {"LabelAnzeigeZP6", "ComboBoxQualityZP8", "ComboBoxEdvZP10"})
            QCOMPARE(f->child(name)->isVisibleTo(page), ten);
        for (int k = 5; k <= 10; ++k) {
            const bool shown = k == 5 ? point5 : ten;
            QCOMPARE(window().pointsPage()->pointList(k, false)->isVisibleTo(page), shown);
            QCOMPARE(window().pointsPage()->pointList(k, true)->isVisibleTo(page), shown);
        }
        QCOMPARE(f->child("ButtonKonfigurationLesen")->y(), ten ? 340 : 212);
        QCOMPARE(f->child("ButtonKonfigurationSchreiben")->y(), ten ? 340 : 212);
        QCOMPARE(f->child("StatusLightQualitaet")->y(), ten ? 346 : 218);
        // The first page shows the version as soon as it is known, not at
        // the clock's next tick.
        QCOMPARE(f->child<QLabel>("lVERSION")->text(), text);
    }

    // Until a version reply sets the layout all ten rows are shown, with the
    // buttons below them: offline with the pages shown by Shift+Enter, and
    // online before the version.
    void allTenRowsUntilTheVersionReply_data()
    {
        QTest::addColumn<bool>("online");
        QTest::newRow("offline") << false;
        QTest::newRow("online, no version yet") << true;
    }
    void allTenRowsUntilTheVersionReply()
    {
        QFETCH(bool, online);
        if (online)
            goOnline();
        else
            QTest::keyClick(&window(), Qt::Key_Return, Qt::ShiftModifier);
        f->showPage(window().pointsPage());
        QWidget *page = window().pointsPage();
        for (int k = 1; k <= 10; ++k) {
            QVERIFY(window().pointsPage()->pointList(k, false)->isVisibleTo(page));
            QVERIFY(window().pointsPage()->pointList(k, true)->isVisibleTo(page));
        }
        for (const char *name : {"Label9", "LabelAnzeigeZP6", "LabelAnzeigeZP10"})
            QVERIFY(f->child(name)->isVisibleTo(page));
        QCOMPARE(f->child("ButtonKonfigurationLesen")->y(), 340);
        QCOMPARE(f->child("StatusLightQualitaet")->y(), 346);
        if (!online)
            return;
        port().reply("cV106");
        QVERIFY(!window().pointsPage()->pointList(6, false)->isVisibleTo(page));
        QCOMPARE(f->child("ButtonKonfigurationLesen")->y(), 212);
    }

    // Losing the port hides the editor pages; no page is shown on the way,
    // so nothing is stored and the working file stays byte for byte.
    void portLossLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("points") << "points";
        QTest::newRow("interface") << "interface";
        QTest::newRow("printer") << "printer";
        QTest::newRow("save/load") << "save/load";
    }
    void portLossLeavesTheFileAsItWas()
    {
        QFETCH(QString, page);
        f->writeIni("[INTERFACE]\r\nBaudrateRS232=9\r\nParameterRS485=7\r\n[PRINTER]\r\nModell=7\r\n");
        goOnline("311");
        QWidget *const pages[] = {window().pointsPage(), window().interfacePage(), window().printerPage(),
                                  window().saveLoadPage()};
        const QStringList names{"points", "interface", "printer", "save/load"};
        f->showPage(pages[names.indexOf(page)]);
        const QByteArray before = f->iniBytes();
        port().unplug();
        QCOMPARE(window().statusText(MainWindow::LinkStatePanel), QStringLiteral("OFFLINE"));
        QCOMPARE(window().pageControl()->currentWidget(), window().firstPage());
        QCOMPARE(f->iniBytes(), before);
        QCOMPARE(f->stored("INTERFACE", "BaudrateRS232"), QStringLiteral("9"));
        QCOMPARE(f->stored("INTERFACE", "ParameterRS485"), QStringLiteral("7"));
    }

    void disconnectAndConnectAgain()
    {
        goOnline("311");
        click("Button1");
        QVERIFY(!port().opened);
        QVERIFY(!window().session().isConnecting());
        QCOMPARE(window().statusText(MainWindow::PortPanel), QString());
        QCOMPARE(window().statusText(MainWindow::LinkStatePanel), QStringLiteral("OFFLINE"));
        QCOMPARE(window().session().versionText(), QStringLiteral("---"));
        QVERIFY(portList()->isEnabled());
        QCOMPARE(connectButton()->text(), QStringLiteral("Verbinden"));
        QVERIFY(!window().isPageVisible(window().pointsPage()));
        QVERIFY(!window().isPageVisible(window().interfacePage()));

        click("Button1");
        QVERIFY(window().session().isConnecting());
        QCOMPARE(window().statusText(MainWindow::PortPanel), QStringLiteral("COM3"));
        port().reply(PollReply());
        QCOMPARE(port().written.last(), QByteArray(">S0V<53\r\n"));
        QCOMPARE(window().statusText(MainWindow::LinkStatePanel), QStringLiteral("ONLINE"));
        QCOMPARE(window().session().features().progressTotal, 27);
    }

    void silentPortExplainsItselfUntilTheGatewayAnswers_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("gateway answers") << "answer";
        QTest::newRow("user disconnects") << "disconnect";
        QTest::newRow("user switches language first") << "language";
    }
    void silentPortExplainsItselfUntilTheGatewayAnswers()
    {
        QFETCH(QString, ending);
        QStatusBar *bar = window().statusBar();
        // The hint's whole text, empty when it is not shown.
        auto *label = f->child<ElidedLabel>("StatusHint");
        const auto hint = [&] { return label->isVisibleTo(bar) ? label->fullText() : QString(); };
        f->connectToCom3();
        for (int poll = 1; poll < GatewaySession::UnansweredPollLimit; ++poll)
            window().session().pollOnce();
        QCOMPARE(hint(), QString());
        // A valid line of another kind is an answer too: the count starts again.
        port().reply("cV311");
        for (int poll = 1; poll < GatewaySession::UnansweredPollLimit; ++poll)
            window().session().pollOnce();
        QCOMPARE(hint(), QString());
        window().session().pollOnce();
        const QString message = hint();
        QVERIFY2(message.startsWith(QStringLiteral("Keine Antwort vom Velmora an COM3 (/dev/pts/77)")),
                 qPrintable(message));
        QVERIFY(message.contains(QStringLiteral("Kabel")));
        QVERIFY(window().session().isPolling());
        // Port, link state, the polls' "ping" and the clock stay in view
        // beside it.
        for (int panel : {1, 2, 3, 4})
            QVERIFY(f->child(QStringLiteral("StatusPanel%1").arg(panel))->isVisibleTo(bar));
        // The polls' "ping" blinks: shown at every other poll.
        const QString exchange = window().statusText(MainWindow::ExchangePanel);
        window().session().pollOnce();
        QCOMPARE(window().statusText(MainWindow::ExchangePanel) + exchange, QStringLiteral("ping"));
        // What does not fit is left out of the display only: the tooltip and
        // a screen reader have the whole text.
        QVERIFY(label->isElided());
        QVERIFY(label->text().endsWith(QChar(0x2026)));
        QVERIFY(message.startsWith(label->text().chopped(1)));
        QCOMPARE(label->toolTip(), message);
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), message);
        QVERIFY2(textfit::clippedTexts(bar).isEmpty(), qPrintable(textfit::clippedTexts(bar).join(u'\n')));
        QCOMPARE(window().statusText(MainWindow::PortPanel), QStringLiteral("COM3"));
        QCOMPARE(window().statusText(MainWindow::LinkStatePanel), QStringLiteral("OFFLINE"));
        QCOMPARE(bar->currentMessage(), QString());
        if (ending == QLatin1String("language")) {
            window().setLanguage(1);
            QVERIFY(hint().startsWith(QStringLiteral("No answer from the Velmora on COM3")));
            port().reply(PollReply());
        } else if (ending == QLatin1String("answer")) {
            port().reply(PollReply());
        } else {
            click("Button1");
        }
        QCOMPARE(hint(), QString());
    }

    void portNameWithoutNumberIsAConversionError()
    {
        portList()->clear();
        click("Button1");
        QCOMPARE(f->errors, QStringList{QStringLiteral("'' ist kein gültiger Integerwert")});
        portList()->addItem(QStringLiteral("COMx"));
        click("Button1");
        QCOMPARE(f->errors.last(), QStringLiteral("'x' ist kein gültiger Integerwert"));
        QVERIFY(!port().opened);
        QVERIFY(port().device.isNull());
        QVERIFY(portList()->isEnabled());
    }

    void portThatDoesNotOpenIsReported()
    {
        port().opens = false;
        auto seen = answerNextMessageBox();
        f->connectToCom3();
        QVERIFY(seen->seen);
        QCOMPARE(seen->objectName, QStringLiteral("OpenPortFailed"));
        const QString shown = seen->text;
        QVERIFY(shown.startsWith(QStringLiteral("Der COM Port lässt sich nicht öffnen !")));
        QVERIFY(shown.contains(QStringLiteral("Keine Berechtigung")));
        QVERIFY(!window().session().isConnecting());
        QVERIFY(!window().session().isPolling());
        QVERIFY(portList()->isEnabled());
        QCOMPARE(connectButton()->text(), QStringLiteral("Verbinden"));
        QCOMPARE(window().statusText(MainWindow::PortPanel), QString());
        QVERIFY(f->errors.isEmpty());
    }

    void pointsReplyIsShown_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<int>("points");
        QTest::newRow("four points (208)") << QByteArray("208") << 4;
        QTest::newRow("five points (310)") << QByteArray("310") << 5;
        QTest::newRow("ten points (311)") << QByteArray("311") << 10;
    }
    void pointsReplyIsShown()
    {
        QFETCH(QByteArray, version);
        QFETCH(int, points);
        goOnline(version);
        f->showPage(window().pointsPage()); // fills the lists
        PointsPage *page = window().pointsPage();
        for (int step = 0; step < 11; ++step)
            page->stepAddress(true);
        QCOMPARE(f->child<QLabel>("Label59")->text(), QStringLiteral("B"));
        click("ButtonKonfigurationLesen");
        QVERIFY(lit("StatusLightQualitaet"));
        // Another address's record is stored, but neither shown nor the answer.
        port().reply(PointsReply('C', points));
        QVERIFY(lit("StatusLightQualitaet"));
        QCOMPARE(page->pointList(1, false)->currentText(), QStringLiteral("01"));
        QTRY_COMPARE(f->stored("QVR12", "EDV4"), QStringLiteral("24"));
        // The address's record, but not in the firmware's layout: neither
        // stored, shown nor the answer.
        replyStored(PointsReply('B', points).chopped(1));
        QVERIFY(lit("StatusLightQualitaet"));
        QCOMPARE(page->pointList(1, false)->currentText(), QStringLiteral("01"));
        QCOMPARE(f->stored("QVR11", "Qualitaet1"), QStringLiteral("01"));
        port().reply(PointsReply('B', points));
        QTRY_VERIFY(!lit("StatusLightQualitaet"));
        for (int k = 1; k <= points; ++k) {
            QCOMPARE(page->pointList(k, false)->currentText(), QString::number(k <= 4 ? 10 + k : 30 + k));
            QCOMPARE(page->pointList(k, true)->currentText(), QString::number(k <= 4 ? 20 + k : 40 + k));
        }
        QCOMPARE(f->child<QComboBox>("ComboBox11")->currentText(), QStringLiteral("12"));
        QCOMPARE(f->child<QComboBox>("ComboBox15")->currentText(), QStringLiteral("22"));
        QTRY_COMPARE(f->stored("QVR11", "EDV4"), QStringLiteral("24"));
    }

    void productPrinterAndInterfaceRepliesAreShown()
    {
        goOnline("311");
        f->showPage(window().pointsPage());
        click("Button2");
        QVERIFY(lit("StatusLightProdukt"));
        port().reply(ProductReply(2, 12, "Diesel"));
        QVERIFY(lit("StatusLightProdukt"));
        replyStored(ProductReply(1, 12, "Pilsen"));
        QVERIFY(!lit("StatusLightProdukt"));
        QCOMPARE(f->child<QComboBox>("ComboBox1")->currentText(), QStringLiteral("12"));
        QCOMPARE(f->child<QLineEdit>("Edit5")->text(), QStringLiteral("Pilsen"));

        f->showPage(window().printerPage());
        QVERIFY(lit("StatusLightDrucker"));
        replyStored(PrinterReply(3, "  Zapfhaus M\xfcller"));
        QCOMPARE(f->child<QComboBox>("cbDruckerModell")->currentIndex(), 3);
        QCOMPARE(f->child<QLineEdit>("eKopfzeiledrucker")->text(), QStringLiteral("Zapfhaus Müller"));
        QVERIFY(!lit("StatusLightDrucker"));

        f->showPage(window().interfacePage());
        click("ButtonReadInterface");
        QVERIFY(lit("ApdStatusLightInterface"));
        replyStored("cI4125");
        QVERIFY(!lit("ApdStatusLightInterface"));
        QCOMPARE(f->child<RadioGroup>("RadioGroupBaudrateRS232")->itemIndex(), 4);
        QCOMPARE(f->child<RadioGroup>("RadioGroupParameterRS485")->itemIndex(), 5);
        QVERIFY(f->errors.isEmpty());
    }

    void repliesWithFieldsThatAreNoNumbersAreReported()
    {
        goOnline();
        replyStored("cPx712    Pilsen");
        QCOMPARE(f->errors, QStringList{QStringLiteral("'x7' ist kein gültiger Integerwert")});
        replyStored("cI41x5");
        QCOMPARE(f->errors.last(), QStringLiteral("'x' ist kein gültiger Integerwert"));
        QCOMPARE(f->errors.size(), 2);
        // The groups show the reply up to the field that is no number.
        QCOMPARE(f->child<RadioGroup>("RadioGroupParameterRS232")->itemIndex(), 1);
    }

    void pageButtonsSendTheirRequests()
    {
        goOnline("310"); // point 5, not 6..10
        window().setEditorPagesVisible(true);
        f->showPage(window().pointsPage());
        const auto sent = [&](const char *name) {
            click(name);
            return port().written.last();
        };
        for (int step = 0; step < 11; ++step)
            window().pointsPage()->stepAddress(true);
        QCOMPARE(sent("ButtonKonfigurationLesen"), BuildRequestFrame("C0ZB") + "\r\n");
        QVERIFY(lit("StatusLightQualitaet"));
        // Point 5 has no selection: its stored value (the write-all default) fills in.
        f->child<QComboBox>("ComboBox2")->setCurrentIndex(-1);
        QCOMPARE(sent("ButtonKonfigurationSchreiben"),
                 BuildRequestFrame("C1ZB" + QByteArray("01020304") + "01020304" + "0505") + "\r\n");

        for (int step = 0; step < 6; ++step)
            window().pointsPage()->stepProduct(true);
        QCOMPARE(sent("Button2"), BuildRequestFrame("C0P07") + "\r\n");
        QVERIFY(lit("StatusLightProdukt"));
        f->child<QComboBox>("ComboBox1")->setCurrentText("12");
        f->child<QLineEdit>("Edit5")->setText("Pilsen");
        QCOMPARE(sent("Button5"), BuildRequestFrame("C1P0712    Pilsen") + "\r\n");

        f->showPage(window().printerPage());
        f->child<QComboBox>("cbDruckerModell")->setCurrentIndex(2);
        f->child<QLineEdit>("eKopfzeiledrucker")->setText("Zapfhaus1");
        QCOMPARE(sent("ButtonDruckerSchreiben"), BuildRequestFrame("C1D02Zapfhaus1" + QByteArray(31, ' ')) + "\r\n");
        f->child<QComboBox>("cbDruckerModell")->setCurrentIndex(-1);
        QCOMPARE(sent("ButtonDruckerSchreiben"), BuildRequestFrame("C1D00Zapfhaus1" + QByteArray(31, ' ')) + "\r\n");
        QCOMPARE(sent("ButtonDruckerAuslesen"), BuildRequestFrame("C0D") + "\r\n");

        // A radio group without a selection sends the stored value; "x"
        // stored sends nothing and says why.
        const WorkingFile &file = window().workingFile();
        file.write("INTERFACE", "BaudrateRS232", "x");
        file.write("INTERFACE", "ParameterRS232", "1");
        f->child<RadioGroup>("RadioGroupBaudrateRS485")->setItemIndex(4);
        f->child<RadioGroup>("RadioGroupParameterRS485")->setItemIndex(0);
        const int before = port().written.size();
        click("ButtonWriteInterface");
        QCOMPARE(port().written.size(), before);
        QCOMPARE(f->errors.size(), 1);
        QVERIFY(f->errors.takeFirst().contains(QStringLiteral("[INTERFACE] BaudrateRS232: \"x\" ist keine Ziffer von 0 bis 5")));
        file.write("INTERFACE", "BaudrateRS232", "2");
        QCOMPARE(sent("ButtonWriteInterface"), BuildRequestFrame("C1I2140") + "\r\n");
        QCOMPARE(sent("ButtonReadInterface"), BuildRequestFrame("C0I") + "\r\n");
        QVERIFY(f->errors.isEmpty());
    }

    // A page's write button checks the record it would send: a value that
    // does not fit its field, or a file with no gateway settings, sends
    // nothing and is said in one message.
    void pageWriteWithABadValueSendsNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("section"); // stored before the click; empty: the file is emptied
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("field"); // a text field given `value` instead of the file
        QTest::addColumn<QString>("said");
        QTest::newRow("point 5 without selection, stored too long")
            << "ButtonKonfigurationSchreiben" << "QVR0" << "Qualitaet5" << "123" << ""
            << "[QVR0] Qualitaet5: \"123\" ist nicht zwei Zeichen lang";
        QTest::newRow("name with a frame character") << "Button5" << "" << "" << "ab>c" << "Edit5"
                                                     << "[PRODUKT1] Name: \"ab>c\" enthält \">\"";
        QTest::newRow("header without windows-1252 form") << "ButtonDruckerSchreiben" << "" << "" << "Łódź" << "eKopfzeiledrucker"
                                                          << "[PRINTER] Head: \"Łódź\" enthält \"Ł\"";
        QTest::newRow("interface index stored as 12") << "ButtonWriteInterface" << "INTERFACE" << "BaudrateRS485" << "12" << ""
                                                      << "[INTERFACE] BaudrateRS485: \"12\" ist keine Ziffer von 0 bis 5";
        QTest::newRow("empty working file") << "Button5" << "" << "" << "" << "" << " enthält keine Einstellungen des Velmora";
    }
    void pageWriteWithABadValueSendsNothing()
    {
        QFETCH(QString, button);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, field);
        QFETCH(QString, said);
        goOnline("311");
        for (QWidget *page : {static_cast<QWidget *>(window().pointsPage()), static_cast<QWidget *>(window().printerPage()),
                              static_cast<QWidget *>(window().interfacePage())})
            f->showPage(page);
        const WorkingFile &file = window().workingFile();
        if (!section.isEmpty()) {
            file.write(section, key, value);
            f->child<QComboBox>("ComboBox2")->setCurrentIndex(-1);
            f->child<RadioGroup>("RadioGroupBaudrateRS485")->setItemIndex(-1);
        } else if (!field.isEmpty()) {
            f->child<QLineEdit>(field.toLatin1().constData())->setText(value);
        } else {
            QVERIFY(QFile::resize(file.path(), 0));
        }
        const int before = port().written.size();
        click(button.toLatin1().constData());
        QCOMPARE(port().written.size(), before);
        QCOMPARE(f->errors.size(), 1);
        QVERIFY2(f->errors.constFirst().contains(said), qPrintable(f->errors.constFirst()));
    }

    // A page's write whose echo differs: the light stays lit, one box names
    // what the gateway did not take, and the file keeps the user's value.
    void pageWriteNotTakenKeepsTheValue()
    {
        goOnline("311");
        f->showPage(window().pointsPage());
        port().answer = true;
        port().echoWrites = false; // answers with its own record
        f->child<QLineEdit>("Edit5")->setText("Pilsen");
        window().workingFile().write("PRODUKT1", "Name", "Pilsen");
        click("Button5");
        QTRY_COMPARE(f->errors.size(), 1);
        QVERIFY(f->errors.constFirst().startsWith(QStringLiteral("Der Velmora hat diese Werte nicht übernommen")));
        QVERIFY(f->errors.constFirst().contains(QStringLiteral("[PRODUKT1] Qualitaet: gesendet \"01\", der Velmora hat \"77\"")));
        QVERIFY(lit("StatusLightProdukt"));
        QCOMPARE(f->stored("PRODUKT1", "Name"), QStringLiteral("Pilsen"));
        QCOMPARE(f->stored("PRODUKT1", "Qualitaet"), QStringLiteral("01"));

        // A gateway that takes the write: its echo is stored and the light goes out.
        f->errors.clear();
        port().echoWrites = true;
        click("Button5");
        QTRY_VERIFY(!lit("StatusLightProdukt"));
        QVERIFY(f->errors.isEmpty());
        QCOMPARE(f->stored("PRODUKT1", "Name"), QStringLiteral("Pilsen"));
    }

    // A record the gateway sent on its own waits a moment before it is
    // stored, and its page shows it only then; a page's write just after
    // still sends its values for controls without a selection.
    void pageWriteSendsARecordReceivedJustBefore_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QByteArray>("reply"); // the write request is its "C1" form
        QTest::newRow("points") << "points" << PointsReply('0', 10);
        QTest::newRow("printer") << "printer" << PrinterReply(3, "Kopf");
        QTest::newRow("interface") << "interface" << QByteArray("cI4125");
    }
    void pageWriteSendsARecordReceivedJustBefore()
    {
        QFETCH(QString, page);
        QFETCH(QByteArray, reply);
        goOnline("311");
        const char *button = nullptr;
        if (page == QLatin1String("points")) {
            f->showPage(window().pointsPage());
            for (int k = 1; k <= 10; ++k) {
                window().pointsPage()->pointList(k, false)->setCurrentIndex(-1);
                window().pointsPage()->pointList(k, true)->setCurrentIndex(-1);
            }
            button = "ButtonKonfigurationSchreiben";
        } else if (page == QLatin1String("printer")) {
            f->showPage(window().printerPage());
            f->child<QComboBox>("cbDruckerModell")->setCurrentIndex(-1);
            f->child<QLineEdit>("eKopfzeiledrucker")->setText("Kopf");
            button = "ButtonDruckerSchreiben";
        } else {
            f->showPage(window().interfacePage());
            for (const char *group : {"RadioGroupBaudrateRS232", "RadioGroupParameterRS232", "RadioGroupBaudrateRS485",
                                      "RadioGroupParameterRS485"})
                f->child<RadioGroup>(group)->setItemIndex(-1);
            button = "ButtonWriteInterface";
        }
        port().reply(reply);
        click(button);
        QCOMPARE(port().written.last(), BuildRequestFrame("C1" + reply.mid(1)) + "\r\n");
        QVERIFY(f->errors.isEmpty());
    }

    // A record the gateway sent on its own, held for a batch, reaches the
    // file before anything else uses the file: a choice on its page just
    // after stays, save-as copies it, and quitting stores it.
    void heldRecordReachesTheFileFirst_data()
    {
        QTest::addColumn<QString>("then");
        QTest::newRow("choice on its page") << "choice";
        QTest::newRow("save as") << "save";
        QTest::newRow("quit") << "quit";
    }
    void heldRecordReachesTheFileFirst()
    {
        QFETCH(QString, then);
        goOnline("311");
        f->showPage(window().pointsPage());
        QVERIFY(f->stored("QVR0", "EDV1") != QLatin1String("21"));
        port().reply(PointsReply('0', 10));
        QCOMPARE(window().session().writer().pending(), 1);
        QString file = window().workingFile().path();
        if (then == QLatin1String("choice")) {
            QComboBox *list = window().pointsPage()->pointList(1, false);
            const int index = list->findText(QStringLiteral("55"));
            QVERIFY(index >= 0);
            list->setCurrentIndex(index);
            emit list->activated(index);
            window().session().writer().drain();
            QCOMPARE(f->stored("QVR0", "Qualitaet1"), QStringLiteral("55"));
            QCOMPARE(list->currentText(), QStringLiteral("55"));
        } else if (then == QLatin1String("save")) {
            file = f->dir.filePath(QStringLiteral("copy.ini"));
            window().setFileChooser([&file](QWidget *, bool) { return file; });
            f->showPage(window().saveLoadPage());
            click("Button8");
        } else {
            QTimer::singleShot(0, [] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box);
                box->button(QMessageBox::Yes)->click();
            });
            QVERIFY(window().close());
        }
        QCOMPARE(ReadIniValue(file, "QVR0", "EDV1", "-"), QStringLiteral("21"));
        QVERIFY(f->errors.isEmpty());
    }

    // A working file that is there but cannot be read gives no values to
    // send: nothing goes to the gateway, and the reason is said once.
    void nothingSentFromUnreadableFile_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("folder"); // a folder at the file's name, else mode 000
        for (const char *button : {"ButtonAlleDatenSchreiben", "ButtonKonfigurationSchreiben", "Button5",
                                   "ButtonDruckerSchreiben", "ButtonWriteInterface"})
            QTest::newRow(button) << QString::fromLatin1(button) << true;
        QTest::newRow("ButtonAlleDatenSchreiben, mode 000") << "ButtonAlleDatenSchreiben" << false;
    }
    void nothingSentFromUnreadableFile()
    {
        QFETCH(QString, button);
        QFETCH(bool, folder);
        if (!folder && ::geteuid() == 0)
            QSKIP("root reads every file");
        goOnline("311");
        port().answer = true;
        const QString ini = window().workingFile().path();
        if (folder) {
            QVERIFY(QFile::remove(ini));
            QVERIFY(QDir().mkdir(ini));
        } else {
            QVERIFY(QFile::setPermissions(ini, {}));
        }
        const int before = port().written.size();
        f->errors.clear();

        f->child<QPushButton>(button.toLatin1().constData())->click();

        QCOMPARE(port().written.size(), before);
        QCOMPARE(f->errors.size(), 1);
        QVERIFY2(f->errors.constFirst().contains(ini + QStringLiteral(" cannot be read: ")),
                 qPrintable(f->errors.constFirst()));
        QVERIFY(!window().session().run().isActive());
        QVERIFY(f->child("ButtonAlleDatenSchreiben")->isEnabled());
        QVERIFY(f->child("ButtonAlleDatenLesen")->isEnabled());
        if (button == QLatin1String("ButtonAlleDatenSchreiben"))
        {
            // The whole text, as the line shows it or, cut, as its tooltip.
            auto *label = f->child<QLabel>("Label5");
            QCOMPARE(label->toolTip().isEmpty() ? label->text() : label->toolTip(), f->errors.constFirst());
            QCOMPARE(label->accessibleDescription(), label->toolTip());
        }
        QFile::setPermissions(ini, QFile::ReadOwner | QFile::WriteOwner);
    }

    void runShowsItsProgress_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("requests");
        QTest::newRow("read 106") << QByteArray("106") << false << 27;
        QTest::newRow("write 106") << QByteArray("106") << true << 27;
        QTest::newRow("write 107") << QByteArray("107") << true << 37;
        QTest::newRow("write 310") << QByteArray("310") << true << 45;
        QTest::newRow("write 311") << QByteArray("311") << true << 46;
        QTest::newRow("read 311") << QByteArray("311") << false << 46;
    }
    void runShowsItsProgress()
    {
        QFETCH(QByteArray, version);
        QFETCH(bool, write);
        QFETCH(int, requests);
        goOnline(version);
        f->markReadFrom(version);
        port().answer = true;
        const int before = port().written.size();
        auto *bar = f->child<QProgressBar>("ProgressAnzeige");
        auto *label = f->child<QLabel>("Label5");
        auto *read = f->child<QPushButton>("ButtonAlleDatenLesen");
        auto *writeAll = f->child<QPushButton>("ButtonAlleDatenSchreiben");
        f->showPage(window().saveLoadPage());
        click(write ? "ButtonAlleDatenSchreiben" : "ButtonAlleDatenLesen");
        QVERIFY(window().session().run().isActive());
        QCOMPARE(window().session().run().kind(), write ? TransferRun::Kind::WriteAll : TransferRun::Kind::ReadAll);
        QVERIFY(!read->isEnabled() && !writeAll->isEnabled());
        QCOMPARE(label->text(), QStringLiteral("Zapfstelle: 0"));
        QCOMPARE(bar->value(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("OK"), 30000);
        QVERIFY(!window().session().run().isActive());
        QVERIFY(read->isEnabled() && writeAll->isEnabled());
        QCOMPARE(bar->maximum(), requests);
        QCOMPARE(bar->value(), requests);
        QCOMPARE(port().written.size() - before, requests);
        // The printer reply, the run's last record, is shown on its page: the
        // gateway's record after a read, its echo of the file's after a write.
        QCOMPARE(f->child<QComboBox>("cbDruckerModell")->currentIndex(), write ? 0 : 1);
        QVERIFY(f->errors.isEmpty());
    }

    void runWithoutReplyEndsByTimeOut_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("silent");
        QTest::newRow("read, sixth reply missing") << false << 5;
        // The printer request is the 27th of a run on firmware 106.
        QTest::newRow("read, printer reply missing") << false << 26;
        QTest::newRow("write, printer reply missing") << true << 26;
    }
    void runWithoutReplyEndsByTimeOut()
    {
        QFETCH(bool, write);
        QFETCH(int, silent);
        goOnline("106");
        f->markReadFrom("106");
        port().answer = true;
        port().silentAfter = port().written.size() + silent;
        auto *label = f->child<QLabel>("Label5");
        // Never "OK" and no buttons back while a reply is still missing.
        QStringList shown;
        connect(&window().session().run(), &TransferRun::finished, this,
                [&](const RunResult &) { shown << label->text(); });
        click(write ? "ButtonAlleDatenSchreiben" : "ButtonAlleDatenLesen");
        QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 10000);
        // A read cut short says how much of it reached the file.
        const QString noReply = QStringLiteral("Keine Antwort vom Velmora \u2013 Übertragung abgebrochen");
        const QString note = QStringLiteral(" %1 von 27 Datensätzen gespeichert, die übrigen sind unverändert.").arg(silent);
        QCOMPARE(shown, QStringList{write ? noReply : noReply + note});
        QCOMPARE(label->text(), shown.constFirst());
        QCOMPARE(port().written.size() - 1, port().silentAfter);
        QVERIFY(!window().session().run().isActive());
        QVERIFY(f->child("ButtonAlleDatenSchreiben")->isEnabled());
        QVERIFY(f->child("ButtonAlleDatenLesen")->isEnabled());
        // A late reply is then a single-record reply.
        f->showPage(window().pointsPage());
        QVERIFY(lit("StatusLightQualitaet"));
        replyStored("cZ5" + QByteArray("9911121314212223"));
        QCOMPARE(f->stored("QVR5", "Qualitaet1"), QStringLiteral("99"));
        // It answers no request of the page, whose light stays lit.
        QVERIFY(lit("StatusLightQualitaet"));
    }

    // A reply that does not fit the firmware ends a read at once: the page
    // names the record and says how much of the read reached the file.
    void malformedReplyEndsTheReadOnThePage()
    {
        goOnline("311");
        port().answer = true;
        port().silentAfter = port().written.size() + 3;
        f->showPage(window().saveLoadPage());
        click("ButtonAlleDatenLesen");
        QTRY_COMPARE(port().written.size(), port().silentAfter + 1);
        port().reply(PointsReply('3', 5));
        QCOMPARE(f->child<QLabel>("Label5")->text(),
                 QStringLiteral("Die Antwort des Velmora für QVR3 passt nicht zu seiner Firmware \u2013 Übertragung "
                                "abgebrochen 3 von 46 Datensätzen gespeichert, die übrigen sind unverändert."));
        QVERIFY(!window().session().run().isActive());
        QVERIFY(f->child("ButtonAlleDatenLesen")->isEnabled());
        QVERIFY(f->child("ButtonAlleDatenSchreiben")->isEnabled());
        QVERIFY(f->errors.isEmpty());
    }

    void unpluggedAdapterGoesOfflineOnce()
    {
        goOnline();
        port().unplug();
        port().unplug();
        QCOMPARE(f->errors.size(), 1);
        QVERIFY(f->errors[0].startsWith(QStringLiteral("Die Verbindung zum Velmora ist unterbrochen")));
        QVERIFY(f->errors[0].contains(QStringLiteral("Gerät nicht vorhanden")));
        QVERIFY(!port().opened);
        QCOMPARE(window().statusText(MainWindow::PortPanel), QString());
        QCOMPARE(window().statusText(MainWindow::LinkStatePanel), QStringLiteral("OFFLINE"));
        QVERIFY(portList()->isEnabled());
        QCOMPARE(connectButton()->text(), QStringLiteral("Verbinden"));
        QVERIFY(!window().isPageVisible(window().pointsPage()));

        window().setLanguage(1);
        f->connectToCom3();
        QCOMPARE(connectButton()->text(), QStringLiteral("Disconnect"));
        port().unplug();
        QCOMPARE(f->errors.size(), 2);
        QVERIFY(f->errors.last().startsWith(QStringLiteral("The connection to the Velmora was lost")));
        QCOMPARE(connectButton()->text(), QStringLiteral("Connect"));
    }

    void unplugDuringARunEndsItAtOnce()
    {
        goOnline("106");
        click("ButtonAlleDatenLesen");
        QVERIFY(window().session().run().isActive());
        for (int i = 0; i < 3; ++i)
            port().answerRequest(port().written.last());
        port().unplug();
        QCOMPARE(f->errors.size(), 1);
        // The box and the page say how much of the read reached the file.
        const QString note = QStringLiteral("3 von 27 Datensätzen gespeichert, die übrigen sind unverändert.");
        QVERIFY2(f->errors[0].endsWith("\n\n" + note), qPrintable(f->errors[0]));
        QVERIFY2(f->child<QLabel>("Label5")->text().endsWith(note), qPrintable(f->child<QLabel>("Label5")->text()));
        QVERIFY(!window().session().run().isActive());
        QVERIFY(!window().session().run().isTimerActive());
        auto *label = f->child<QLabel>("Label5");
        QVERIFY(label->text().startsWith(QStringLiteral("Die Verbindung zum Velmora ist unterbrochen")));
        QVERIFY(f->child("ButtonAlleDatenLesen")->isEnabled());
        QCOMPARE(window().statusText(MainWindow::LinkStatePanel), QStringLiteral("OFFLINE"));
    }
};

QTEST_MAIN(TestLink)
#include "tst_link.moc"
