// The device link on the real main window with a recording port in place of
// the serial port.

#include "core/LineAssembler.h"
#include "link/F_FormVerbindung.h"
#include "core/Firmware.h"
#include "core/Frame.h"
#include "gui/ErrorReport.h"
#include "shell/F_FormMain.h"
#include "gui/PageControl.h"

#include "gui/RadioGroup.h"
#include "core/IniFile.h"

#include <QComboBox>
#include <QProgressBar>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include <unistd.h>

namespace {

class RecordingPort : public SerialPort
{
public:
    bool opens = true;
    bool opened = false;
    QString device;
    QList<QByteArray> written;
    int inputFlushes = 0;
    int outputFlushes = 0;

    bool open(const QString &devicePath, QString *reason) override
    {
        device = devicePath;
        if (!opens) {
            *reason = QStringLiteral("Permission denied");
            return false;
        }
        opened = true;
        return true;
    }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    void clearInput() override { ++inputFlushes; }
    void clearOutput() override { ++outputFlushes; }
    void write(const QByteArray &bytes) override
    {
        written << bytes;
        if (answer)
            QTimer::singleShot(0, this, [this, bytes] { answerRequest(bytes); });
    }

    // Answers run requests like a gateway would, with fixed records.
    bool answer = false;
    int silentAfter = -1; // leaves the request with this index unanswered
    void answerRequest(const QByteArray &frame)
    {
        if (written.size() - 1 == silentAfter)
            return;
        const QByteArray c = frame.mid(1, frame.indexOf('<') - 1);
        const QByteArray kind = c.mid(1, 2);
        if (kind == "0Z" || kind == "1Z")
            reply("cZ" + c.mid(3, 1) + "1112131421222324" + "3141" + "3646374738483949" + "4050");
        else if (kind == "0P" || kind == "1P")
            reply("cP" + c.mid(3, 2) + "77" + "   Answer");
        else if (kind == "0I" || kind == "1I")
            reply("cI0123");
        else if (kind == "0D" || kind == "1D")
            reply("cD01" + QByteArray(40, 'h'));
    }

    void reply(const QByteArray &record) { emit received(BuildRequestFrame(record) + "\r\n"); }
    void inject(const QByteArray &bytes) { emit received(bytes); }
    void unplug() { emit lost(QStringLiteral("No such device")); }
};

} // namespace

class TestLink : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TFormMain> m_form;
    std::unique_ptr<TFormVerbindung> m_link;
    RecordingPort *m_port = nullptr;
    QStringList m_errors;

    QPushButton *connectButton() const { return m_form->findChild<QPushButton *>("Button1"); }
    QComboBox *portList() const { return m_form->findChild<QComboBox *>("cb_COM_Port"); }

    void connectToCom3()
    {
        portList()->clear();
        portList()->addItem(QStringLiteral("COM3"), QStringLiteral("/dev/pts/77"));
        portList()->setCurrentIndex(0);
        QTest::mouseClick(connectButton(), Qt::LeftButton);
    }

    void goOnline()
    {
        connectToCom3();
        m_port->reply("cP0101Produkt  1");
        QCOMPARE(m_form->StatusText(2), QStringLiteral("ONLINE"));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_errors.clear();
        SetErrorReportHandler([this](const QString &text) { m_errors << text; });
        m_form = std::make_unique<TFormMain>(m_dir->path() + u'/');
        auto port = std::make_unique<RecordingPort>();
        m_port = port.get();
        m_link = std::make_unique<TFormVerbindung>(m_form.get(), std::move(port));
        m_form->SetFormVerbindung(m_link.get());
        m_form->show();
        HasPoint5 = false;
        HasTenPoints = false;
    }

    void cleanup()
    {
        m_link.reset();
        m_form.reset();
        SetErrorReportHandler({});
    }

    void connectPollsUntilTheProductReply()
    {
        connectToCom3();
        QCOMPARE(m_port->device, QStringLiteral("/dev/pts/77"));
        QVERIFY(m_link->Connecting);
        QCOMPARE(m_form->StatusText(1), QStringLiteral("COM3"));
        QCOMPARE(m_form->StatusText(2), QStringLiteral("OFFLINE"));
        QCOMPARE(m_form->VersionText, QStringLiteral("unbekannt"));
        QVERIFY(!portList()->isEnabled());
        QCOMPARE(connectButton()->text(), QStringLiteral("Trennen"));
        QVERIFY(m_link->TimerPolling.isActive());
        QCOMPARE(m_link->TimerPolling.interval(), 1000);

        m_form->ImageDblClick(); // monitor on
        const QString blinkBefore = m_form->StatusText(3);
        m_link->TimerPollingTimer();
        QCOMPARE(m_port->written.last(), QByteArray(">C0P01<9E\r\n"));
        const QString first = m_form->StatusText(3);
        m_link->TimerPollingTimer();
        const QString second = m_form->StatusText(3);
        QCOMPARE(QSet<QString>({first, second}), QSet<QString>({QStringLiteral("ping"), QString()}));
        QVERIFY(blinkBefore.isEmpty() ? first == "ping" : first.isEmpty());

        // A good line of another kind only says "ok" while connecting.
        m_port->reply("cV311");
        QCOMPARE(m_form->StatusText(3), QStringLiteral("ok"));
        QVERIFY(m_link->Connecting);
        QCOMPARE(m_form->VersionText, QStringLiteral("unbekannt"));

        m_port->reply("cP0101Produkt  1");
        QVERIFY(!m_link->Connecting);
        QVERIFY(!m_link->TimerPolling.isActive());
        QCOMPARE(m_form->StatusText(2), QStringLiteral("ONLINE"));
        QCOMPARE(m_form->ProductCount, 10);
        QCOMPARE(m_form->ProgressTotal, 27);
        for (QWidget *page : {m_form->TabSheet2, m_form->TabSheet3, m_form->TabSheet4,
                              m_form->TabSheetInterface})
            QVERIFY(m_form->IsPageVisible(page));
        QCOMPARE(m_port->written.last(), QByteArray(">S0V<53\r\n"));
        QCOMPARE(m_form->StatusText(3), QStringLiteral("S0V"));
        const QString log = m_form->findChild<QWidget *>("MemoDebug")->property("plainText").toString();
        QVERIFY(log.contains(QStringLiteral(" # >C0P01<9E\n")));
        QVERIFY(log.endsWith(QStringLiteral(" # >S0V<53")));
        // The product record of the handshake is not stored.
        QCOMPARE(ReadIniValue(m_form->IniFileName, "PRODUKT1", "Name", "?"), QStringLiteral("Produkt  1"));
    }

    void versionSetsFirmwareValuesAndControls_data()
    {
        QTest::addColumn<QByteArray>("digits");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("point5");
        QTest::addColumn<bool>("ten");
        QTest::addColumn<int>("addresses");
        QTest::addColumn<int>("products");
        QTest::addColumn<int>("total");
        QTest::newRow("106") << QByteArray("106") << "1.06" << false << false << 16 << 10 << 27;
        QTest::newRow("107") << QByteArray("107") << "1.07" << false << false << 16 << 20 << 37;
        QTest::newRow("109") << QByteArray("109") << "1.09" << false << false << 16 << 20 << 37;
        QTest::newRow("110") << QByteArray("110") << "1.10" << true << false << 24 << 20 << 45;
        QTest::newRow("207") << QByteArray("207") << "2.07" << true << false << 24 << 20 << 45;
        QTest::newRow("208") << QByteArray("208") << "2.08" << false << false << 16 << 20 << 37;
        QTest::newRow("209") << QByteArray("209") << "2.09" << true << false << 24 << 20 << 45;
        QTest::newRow("310") << QByteArray("310") << "3.10" << true << false << 24 << 20 << 45;
        QTest::newRow("311") << QByteArray("311") << "3.11" << true << true << 24 << 20 << 46;
        QTest::newRow("999") << QByteArray("999") << "9.99" << true << true << 24 << 20 << 46;
        QTest::newRow("not a number") << QByteArray("3x1") << "3.x1" << false << false << 16 << 10 << 27;
    }
    void versionSetsFirmwareValuesAndControls()
    {
        QFETCH(QByteArray, digits);
        QFETCH(QString, text);
        QFETCH(bool, point5);
        QFETCH(bool, ten);
        QFETCH(int, addresses);
        QFETCH(int, products);
        QFETCH(int, total);
        goOnline();
        m_port->reply("cV" + digits);
        QCOMPARE(m_form->VersionText, text);
        QCOMPARE(HasPoint5, point5);
        QCOMPARE(HasTenPoints, ten);
        QCOMPARE(AddressCount, addresses);
        QCOMPARE(m_form->ProductCount, products);
        QCOMPARE(m_form->ProgressTotal, total);
        QCOMPARE(m_form->IsPageVisible(m_form->TabSheetInterface), ten);
        QWidget *page = m_form->TabSheet2;
        for (const char *name : {"Label9", "ComboBox2", "ComboBox3"})
            QCOMPARE(page->findChild<QWidget *>(name)->isVisibleTo(page), point5);
        for (const char *name : {"LabelAnzeigeZP6", "ComboBoxQualityZP8", "ComboBoxEdvZP10"})
            QCOMPARE(page->findChild<QWidget *>(name)->isVisibleTo(page), ten);
        QCOMPARE(page->findChild<QWidget *>("ButtonKonfigurationLesen")->y(), ten ? 340 : 212);
        QCOMPARE(page->findChild<QWidget *>("ButtonKonfigurationSchreiben")->y(), ten ? 340 : 212);
        QCOMPARE(page->findChild<QWidget *>("StatusLightQualitaet")->y(), ten ? 346 : 218);
        // The clock shows the version on the first page.
        QTRY_COMPARE(m_form->findChild<QLabel *>("lVERSION")->text(), text);
    }

    void badLinesAreDroppedWithBothBuffersFlushed_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("panel3");
        const QByteArray good = BuildRequestFrame("cV311");
        QTest::newRow("bad checksum") << QByteArray(">cV311<00\r\n") << "S0V";
        QTest::newRow("no checksum") << QByteArray(">cV311\r\n") << "S0V";
        QTest::newRow("binary") << QByteArray("\x01\xff\x80<\x00\n", 6) << "S0V";
        QTest::newRow("unknown letter") << BuildRequestFrame("cX311") + "\n" << "ok";
        QTest::newRow("byte in front") << "x" + good + "\n" << "ok";
        QByteArray lower = BuildRequestFrame("cQ"); // ">cQ<2E"
        lower.replace(lower.size() - 2, 2, lower.right(2).toLower());
        QTest::newRow("lower-case digits, unknown letter") << lower + "\n" << "ok";
    }
    void badLinesAreDroppedWithBothBuffersFlushed()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, panel3);
        goOnline();
        const int inputs = m_port->inputFlushes, outputs = m_port->outputFlushes;
        const int writes = m_port->written.size();
        m_port->inject(line);
        QCOMPARE(m_port->inputFlushes, inputs + 1);
        QCOMPARE(m_port->outputFlushes, outputs + 1);
        QCOMPARE(m_port->written.size(), writes);
        QCOMPARE(m_form->StatusText(3), panel3);
        QCOMPARE(m_form->VersionText, QStringLiteral("unbekannt"));
        QVERIFY(m_errors.isEmpty());
    }

    void lineAssemblerIsBoundedAndResynchronises()
    {
        LineAssembler packet;
        QCOMPARE(packet.feed(">cV3"), QList<QByteArray>{});
        QCOMPARE(packet.feed("11<2A\r\n>x"), QList<QByteArray>{">cV311<2A\r\n"});
        QCOMPARE(packet.feed("\n\n"), (QList<QByteArray>{">x\n", "\n"}));
        // An endless line without LF is dropped, not kept.
        for (int i = 0; i < 1000; ++i)
            QCOMPARE(packet.feed(QByteArray(1000, 'A')), QList<QByteArray>{});
        QCOMPARE(packet.feed("tail\n>ok\n"), QList<QByteArray>{">ok\n"});
    }

    void disconnectAndConnectAgainPollsFromTheStart()
    {
        goOnline();
        m_port->reply("cV311");
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QVERIFY(!m_port->opened);
        QVERIFY(!m_link->Connecting);
        QCOMPARE(m_form->StatusText(1), QString());
        QCOMPARE(m_form->StatusText(2), QStringLiteral("OFFLINE"));
        QCOMPARE(m_form->VersionText, QStringLiteral("---"));
        QVERIFY(portList()->isEnabled());
        QCOMPARE(connectButton()->text(), QStringLiteral("Verbinden"));
        QVERIFY(!m_form->IsPageVisible(m_form->TabSheet2));
        QVERIFY(!m_form->IsPageVisible(m_form->TabSheetInterface));

        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QVERIFY(m_link->Connecting);
        m_port->reply("cP0101Produkt  1");
        QCOMPARE(m_port->written.last(), QByteArray(">S0V<53\r\n"));
        QCOMPARE(m_form->ProgressTotal, 27);
    }

    void portNameWithoutNumberIsAConversionError()
    {
        portList()->clear();
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QCOMPARE(m_errors, QStringList{QStringLiteral("'' ist kein gültiger Integerwert")});
        portList()->addItem(QStringLiteral("COMx"));
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QCOMPARE(m_errors.last(), QStringLiteral("'x' ist kein gültiger Integerwert"));
        QVERIFY(!m_port->opened);
        QVERIFY(m_port->device.isNull());
        QVERIFY(portList()->isEnabled());
    }

    void portThatDoesNotOpenIsReported()
    {
        m_port->opens = false;
        QString shown;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        connectToCom3();
        QVERIFY(shown.startsWith(QStringLiteral("Der COM Port lässt sich nicht öffnen !")));
        QVERIFY(shown.contains(QStringLiteral("Permission denied")));
        QVERIFY(!m_link->Connecting);
        QVERIFY(!m_link->TimerPolling.isActive());
        QVERIFY(portList()->isEnabled());
        QCOMPARE(m_form->StatusText(1), QString());
    }

    void pointsReplyIsStoredByPositionAndShown_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<int>("points");
        QTest::newRow("four points (208)") << QByteArray("208") << 4;
        QTest::newRow("five points (310)") << QByteArray("310") << 5;
        QTest::newRow("ten points (311)") << QByteArray("311") << 10;
    }
    void pointsReplyIsStoredByPositionAndShown()
    {
        QFETCH(QByteArray, version);
        QFETCH(int, points);
        goOnline();
        m_port->reply("cV" + version);
        // Qualities 11..14 and EDV numbers 21..24, then pairs (3k, 4k) for points 5..10.
        QByteArray record = "cZB1112131421222324";
        for (int k = 5; k <= points; ++k)
            record += QByteArray::number(30 + k) + QByteArray::number(40 + k);
        m_form->PageControl1->setCurrentWidget(m_form->TabSheet2); // fills the lists
        QCOMPARE(m_form->findChild<QWidget *>("StatusLightQualitaet")->property("lit").toBool(), true);
        m_port->reply(record);
        const QString file = m_form->IniFileName;
        for (int k = 1; k <= 10; ++k) {
            const QString q = ReadIniValue(file, "QVR11", QStringLiteral("Qualitaet%1").arg(k), "-");
            const QString e = ReadIniValue(file, "QVR11", QStringLiteral("EDV%1").arg(k), "-");
            const QString defaultValue = QString::number(k).rightJustified(2, u'0');
            QCOMPARE(q, k <= 4 ? QString::number(10 + k) : k <= points ? QString::number(30 + k) : defaultValue);
            QCOMPARE(e, k <= 4 ? QString::number(20 + k) : k <= points ? QString::number(40 + k) : defaultValue);
        }
        QCOMPARE(m_form->findChild<QWidget *>("StatusLightQualitaet")->property("lit").toBool(), false);
        QCOMPARE(m_form->findChild<QComboBox *>("ComboBox11")->currentText(), QStringLiteral("12"));
        QCOMPARE(m_form->findChild<QComboBox *>("ComboBox15")->currentText(), QStringLiteral("22"));
    }

    void productPrinterAndInterfaceRepliesAreStored()
    {
        goOnline();
        m_port->reply("cV311");
        m_port->reply("cP0712    Pilsen");
        const QString file = m_form->IniFileName;
        QCOMPARE(ReadIniValue(file, "PRODUKT7", "Qualitaet", "-"), QStringLiteral("12"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("[PRODUKT7]\r\nQualitaet=12\r\nName=    Pilsen\r\n"));

        m_port->reply("cD02" + QByteArray(40, ' '));
        QCOMPARE(ReadIniValue(file, "PRINTER", "Modell", "-"), QStringLiteral("02"));
        QCOMPARE(ReadIniValue(file, "PRINTER", "Head", "-"), QString());
        m_port->reply("cD03  Zapfhaus M\xfcller" + QByteArray(23, ' '));
        QCOMPARE(ReadIniValue(file, "PRINTER", "Head", "-"), QStringLiteral("Zapfhaus Müller"));
        QCOMPARE(m_form->findChild<QComboBox *>("cbDruckerModell")->currentIndex(), 3);
        QCOMPARE(m_form->findChild<QLineEdit *>("eKopfzeiledrucker")->text(), QStringLiteral("Zapfhaus Müller"));
        QCOMPARE(m_form->findChild<QWidget *>("StatusLightDrucker")->property("lit").toBool(), false);

        m_port->reply("cI4125");
        for (auto [key, value] : {std::pair{"BaudrateRS232", "4"}, {"ParameterRS232", "1"},
                                  {"BaudrateRS485", "2"}, {"ParameterRS485", "5"}})
            QCOMPARE(ReadIniValue(file, "INTERFACE", key, "-"), QLatin1String(value));
        QCOMPARE(m_form->findChild<RadioGroup *>("RadioGroupParameterRS485")->itemIndex(), 5);
        QVERIFY(m_errors.isEmpty());
    }

    void repliesWithFieldsThatAreNoNumbers()
    {
        goOnline();
        const QByteArray before = [&] {
            QFile f(m_form->IniFileName);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        m_port->reply("cPx712    Pilsen");
        QCOMPARE(m_errors, QStringList{QStringLiteral("'x7' ist kein gültiger Integerwert")});
        QFile f(m_form->IniFileName);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);

        m_port->reply("cI41x5");
        QCOMPARE(m_errors.last(), QStringLiteral("'x' ist kein gültiger Integerwert"));
        QCOMPARE(ReadIniValue(m_form->IniFileName, "INTERFACE", "BaudrateRS485", "-"), QStringLiteral("x"));
        QCOMPARE(m_form->findChild<RadioGroup *>("RadioGroupParameterRS232")->itemIndex(), 1);

        // An address outside the address characters goes to section "QVR-1".
        m_port->reply("cZ#1112131421222324");
        QCOMPARE(ReadIniValue(m_form->IniFileName, "QVR-1", "EDV4", "-"), QStringLiteral("24"));
    }

    void pageButtonsSendTheirRequests()
    {
        goOnline();
        m_port->reply("cV310"); // point 5, not 6..10
        m_form->SetEditorPagesVisible(true);
        m_form->PageControl1->setCurrentWidget(m_form->TabSheet2);
        const auto click = [&](const char *name) {
            QTest::mouseClick(m_form->findChild<QPushButton *>(name), Qt::LeftButton);
            return m_port->written.last();
        };
        m_form->findChild<QLabel *>("Label59")->setText("B");
        QCOMPARE(click("ButtonKonfigurationLesen"), QByteArray(">C0ZB<") + BuildRequestFrame("C0ZB").right(2) + "\r\n");
        QCOMPARE(m_form->findChild<QWidget *>("StatusLightQualitaet")->property("lit").toBool(), true);
        // Point 5 has no selection: its stored value (the write-all default) fills in.
        m_form->findChild<QComboBox *>("ComboBox2")->setCurrentIndex(-1);
        QCOMPARE(click("ButtonKonfigurationSchreiben"),
                 BuildRequestFrame("C1ZB" + QByteArray("01020304") + "01020304" + "0505") + "\r\n");

        m_form->findChild<QLabel *>("Label50")->setText("7");
        m_form->LoadProductGroup();
        QCOMPARE(click("Button2"), BuildRequestFrame("C0P07") + "\r\n");
        m_form->findChild<QComboBox *>("ComboBox1")->setCurrentText("12");
        m_form->findChild<QLineEdit *>("Edit5")->setText("Pilsen");
        QCOMPARE(click("Button5"), BuildRequestFrame("C1P0712    Pilsen") + "\r\n");

        m_form->PageControl1->setCurrentWidget(m_form->TabSheet4);
        m_form->findChild<QComboBox *>("cbDruckerModell")->setCurrentIndex(2);
        m_form->findChild<QLineEdit *>("eKopfzeiledrucker")->setText("Zapfhaus1");
        QCOMPARE(click("ButtonDruckerSchreiben"), BuildRequestFrame("C1D02Zapfhaus1" + QByteArray(31, ' ')) + "\r\n");
        m_form->findChild<QComboBox *>("cbDruckerModell")->setCurrentIndex(-1);
        QCOMPARE(click("ButtonDruckerSchreiben"), BuildRequestFrame("C1D00Zapfhaus1" + QByteArray(31, ' ')) + "\r\n");
        QCOMPARE(click("ButtonDruckerAuslesen"), BuildRequestFrame("C0D") + "\r\n");

        // A radio group without a selection sends the stored value; "x" stored sends 3.
        WriteIniValue(m_form->IniFileName, "INTERFACE", "BaudrateRS232", "x");
        WriteIniValue(m_form->IniFileName, "INTERFACE", "ParameterRS232", "1");
        m_form->findChild<RadioGroup *>("RadioGroupBaudrateRS485")->setItemIndex(4);
        m_form->findChild<RadioGroup *>("RadioGroupParameterRS485")->setItemIndex(0);
        QCOMPARE(click("ButtonWriteInterface"), BuildRequestFrame("C1I3140") + "\r\n");
        QCOMPARE(click("ButtonReadInterface"), BuildRequestFrame("C0I") + "\r\n");
        QVERIFY(m_errors.isEmpty());
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
        goOnline();
        m_port->reply("cV311");
        m_port->answer = true;
        const QString ini = m_form->IniFileName;
        if (folder) {
            QVERIFY(QFile::remove(ini));
            QVERIFY(QDir().mkdir(ini));
        } else {
            QVERIFY(QFile::setPermissions(ini, {}));
        }
        const int before = m_port->written.size();
        m_errors.clear();

        m_form->findChild<QPushButton *>(button)->click();

        QCOMPARE(m_port->written.size(), before);
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors.constFirst().contains(ini + QStringLiteral(" cannot be read: ")),
                 qPrintable(m_errors.constFirst()));
        QVERIFY(!m_link->WriteAllActive && !m_link->ReadAllActive);
        QVERIFY(m_form->findChild<QPushButton *>("ButtonAlleDatenSchreiben")->isEnabled());
        QVERIFY(m_form->findChild<QPushButton *>("ButtonAlleDatenLesen")->isEnabled());
        if (button == QLatin1String("ButtonAlleDatenSchreiben"))
            QCOMPARE(m_form->findChild<QLabel *>("Label5")->text(), m_errors.constFirst());
        QFile::setPermissions(ini, QFile::ReadOwner | QFile::WriteOwner);
    }

    void runsSendEveryRecordInOrder_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("zLength");
        QTest::newRow("read 106") << QByteArray("106") << false << 27 << 4;
        QTest::newRow("write 106") << QByteArray("106") << true << 27 << 20;
        QTest::newRow("write 107") << QByteArray("107") << true << 37 << 20;
        QTest::newRow("write 310") << QByteArray("310") << true << 45 << 24;
        QTest::newRow("write 311") << QByteArray("311") << true << 46 << 44;
        QTest::newRow("read 311") << QByteArray("311") << false << 46 << 4;
    }
    void runsSendEveryRecordInOrder()
    {
        QFETCH(QByteArray, version);
        QFETCH(bool, write);
        QFETCH(int, requests);
        QFETCH(int, zLength);
        goOnline();
        m_port->reply("cV" + version);
        WriteIniValue(m_form->IniFileName, "INTERFACE", "ParameterRS485", "x");
        WriteIniValue(m_form->IniFileName, "PRINTER", "Modell", "7");
        WriteIniValue(m_form->IniFileName, "QVR10", "Qualitaet1", "55");
        m_port->answer = true;
        const int before = m_port->written.size();
        auto *bar = m_form->findChild<QProgressBar *>("ProgressAnzeige");
        auto *label = m_form->findChild<QLabel *>("Label5");
        QTest::mouseClick(m_form->findChild<QPushButton *>(write ? "ButtonAlleDatenSchreiben" : "ButtonAlleDatenLesen"),
                          Qt::LeftButton);
        QTRY_COMPARE(label->text(), QStringLiteral("OK"));
        QVERIFY(!m_link->ReadAllActive && !m_link->WriteAllActive);
        QVERIFY(m_form->findChild<QPushButton *>("ButtonAlleDatenLesen")->isEnabled());
        QCOMPARE(bar->maximum(), requests);
        QCOMPARE(bar->value(), requests);
        const QList<QByteArray> sent = m_port->written.mid(before);
        QCOMPARE(sent.size(), requests);
        const auto command = [](const QByteArray &frame) { return frame.mid(1, frame.indexOf('<') - 1); };
        QCOMPARE(command(sent.first()).left(4), QByteArray(write ? "C1Z0" : "C0Z0"));
        QCOMPARE(command(sent.first()).size() - 3, write ? zLength - 3 : 1);
        QCOMPARE(command(sent.last()).left(3), QByteArray(write ? "C1D" : "C0D"));
        if (write) {
            QCOMPARE(command(sent.last()), "C1D07" + QByteArray("Deutsche Brantel").leftJustified(40, ' '));
            if (HasTenPoints)
                QCOMPARE(command(sent.at(requests - 2)), QByteArray("C1I3333")); // "x" sends 3
            // Address 10 sends the values stored in section "QVR10", as "A".
            QCOMPARE(command(sent.at(10)).left(12), QByteArray("C1ZA55020304"));
        }
        QCOMPARE(HasTenPoints, command(sent.at(requests - 2)).startsWith(write ? "C1I" : "C0I"));
        // The replies of the run were stored, the last address's among them.
        const QString lastAddress = QStringLiteral("QVR%1").arg(AddressCount - 1);
        QCOMPARE(ReadIniValue(m_form->IniFileName, lastAddress, "EDV4", "-"), QStringLiteral("24"));
        QCOMPARE(ReadIniValue(m_form->IniFileName, "PRODUKT1", "Qualitaet", "-"), QStringLiteral("77"));
        QTRY_COMPARE(ReadIniValue(m_form->IniFileName, "PRINTER", "Modell", "-"), QStringLiteral("01"));
        QVERIFY(m_errors.isEmpty());
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
        goOnline();
        m_port->reply("cV106");
        m_port->answer = true;
        m_port->silentAfter = m_port->written.size() + silent;
        QTest::mouseClick(m_form->findChild<QPushButton *>(write ? "ButtonAlleDatenSchreiben" : "ButtonAlleDatenLesen"),
                          Qt::LeftButton);
        auto *label = m_form->findChild<QLabel *>("Label5");
        // Never "OK" and no buttons back while a reply is still missing.
        QStringList shown;
        QTRY_VERIFY_WITH_TIMEOUT((shown << label->text(), label->text().startsWith(QStringLiteral("Keine Antwort"))),
                                 6000);
        QVERIFY(!shown.contains(QStringLiteral("OK")));
        QCOMPARE(m_port->written.size() - 1, m_port->silentAfter);
        QVERIFY(!m_link->ReadAllActive);
        QVERIFY(m_form->findChild<QPushButton *>("ButtonAlleDatenSchreiben")->isEnabled());
        // A late reply is then a single-record reply.
        m_port->reply("cZ5" + QByteArray("9911121314212223"));
        QCOMPARE(ReadIniValue(m_form->IniFileName, "QVR5", "Qualitaet1", "-"), QStringLiteral("99"));
        QCOMPARE(m_form->findChild<QWidget *>("StatusLightQualitaet")->property("lit").toBool(), false);
    }

    void unpluggedAdapterGoesOfflineOnce()
    {
        goOnline();
        m_port->unplug();
        m_port->unplug();
        QCOMPARE(m_errors.size(), 1);
        QVERIFY(m_errors[0].startsWith(QStringLiteral("Die Verbindung zum Velmora ist unterbrochen")));
        QVERIFY(m_errors[0].contains(QStringLiteral("No such device")));
        QVERIFY(!m_port->opened);
        QCOMPARE(m_form->StatusText(2), QStringLiteral("OFFLINE"));
        QVERIFY(portList()->isEnabled());
        QVERIFY(!m_form->IsPageVisible(m_form->TabSheet2));

        m_form->SetLanguage(1);
        connectToCom3();
        m_port->unplug();
        QVERIFY(m_errors.last().startsWith(QStringLiteral("The connection to the Velmora was lost")));
    }

    void unplugDuringARunEndsItAtOnce()
    {
        goOnline();
        m_port->reply("cV106");
        QTest::mouseClick(m_form->findChild<QPushButton *>("ButtonAlleDatenLesen"), Qt::LeftButton);
        QVERIFY(m_link->ReadAllActive);
        m_port->unplug();
        QCOMPARE(m_errors.size(), 1);
        QVERIFY(!m_link->ReadAllActive);
        QVERIFY(!m_link->RunTimeout.isActive());
        auto *label = m_form->findChild<QLabel *>("Label5");
        QVERIFY(label->text().startsWith(QStringLiteral("Die Verbindung zum Velmora ist unterbrochen")));
        QVERIFY(m_form->findChild<QPushButton *>("ButtonAlleDatenLesen")->isEnabled());
        QCOMPARE(m_form->StatusText(2), QStringLiteral("OFFLINE"));
    }
};

QTEST_MAIN(TestLink)
#include "tst_link.moc"
