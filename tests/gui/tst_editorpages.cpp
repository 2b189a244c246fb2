// The editor pages on the real main window (offscreen), each against a
// temporary working configuration file.

#include "WindowFixture.h"

#include "core/Cp1252.h"
#include "core/Firmware.h"
#include "core/IniFile.h"
#include "gui/ErrorReport.h"
#include "gui/InterfacePage.h"
#include "gui/PageControl.h"
#include "gui/PointsPage.h"
#include "gui/PrinterPage.h"
#include "gui/RadioGroup.h"
#include "gui/StatusLight.h"
#include "gui/UpDown.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

class TestEditorPages : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;

    QString iniPath() const { return f->iniPath(); }
    void writeIni(const QByteArray &bytes) { f->writeIni(bytes); }
    QByteArray fileBytes() const { return f->iniBytes(); }
    QString stored(const char *section, const char *key) const { return f->stored(section, key); }

    // Starts on the file as it is (the default file when none was written),
    // the editor pages shown as Shift+Enter shows them.
    void start()
    {
        f->start();
        f->activate();
        f->window->setEditorPagesVisible(true);
    }

    // Starts online with a gateway whose firmware is `version`.
    void startOnline(const QByteArray &version)
    {
        start();
        f->goOnline(version);
        QCOMPARE(f->window->session().features().productCount,
                 FeaturesForVersion(version.toInt()).productCount);
    }

    void showPage(QWidget *page) { f->showPage(page); }

    template <class T = QWidget>
    T *child(const QString &name) const
    {
        return f->child<T>(name);
    }

    void arrow(const char *upDown, bool next, int times = 1)
    {
        auto *button = child<UpDown>(QLatin1String(upDown))
                           ->findChild<QToolButton *>(next ? QStringLiteral("UpDownNext")
                                                           : QStringLiteral("UpDownPrevious"));
        for (int i = 0; i < times; ++i)
            button->click();
    }

    // As the user picks an item from the list.
    static void choose(QComboBox *box, const QString &item)
    {
        const int index = box->findText(item);
        QVERIFY(index >= 0);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    // Key presses carrying any text, also beyond what QTest can spell.
    static void type(QWidget *target, const QString &text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &release);
        }
    }

    QString address() const { return child<QLabel>(QStringLiteral("Label59"))->text(); }
    QString product() const { return child<QLabel>(QStringLiteral("Label50"))->text(); }

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

    void addressStepperWraps_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("forward");
        QTest::addColumn<QString>("backFromZero");
        QTest::newRow("24") << QByteArray("311") << 24 << "123456789ABCDEFGHIJKLMN01" << "N";
        QTest::newRow("16") << QByteArray("109") << 16 << "123456789ABCDEF01" << "F";
    }
    void addressStepperWraps()
    {
        QFETCH(QByteArray, version);
        QFETCH(int, count);
        QFETCH(QString, forward);
        QFETCH(QString, backFromZero);
        startOnline(version);
        QCOMPARE(f->window->session().features().addressCount, count);
        showPage(f->window->pointsPage());
        const QByteArray before = fileBytes();

        QString seen;
        for (int i = 0; i < forward.size(); ++i) {
            arrow("UpDown3", true);
            seen += address();
        }
        QCOMPARE(seen, forward);
        arrow("UpDown3", false, 2);
        QCOMPARE(address(), backFromZero);
        // Stepping shows, it does not store.
        QCOMPARE(fileBytes(), before);
        QVERIFY(f->errors.isEmpty());
    }

    void productStepperWraps_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<int>("count");
        QTest::newRow("10") << QByteArray("106") << 10;
        QTest::newRow("20") << QByteArray("311") << 20;
    }
    void productStepperWraps()
    {
        QFETCH(QByteArray, version);
        QFETCH(int, count);
        startOnline(version);
        QCOMPARE(f->window->session().features().productCount, count);
        showPage(f->window->pointsPage());
        const QByteArray before = fileBytes();

        arrow("UpDown2", false);
        QCOMPARE(product(), QString::number(count));
        QCOMPARE(child<QLineEdit>(QStringLiteral("Edit5"))->text(),
                 QStringLiteral("Produkt %1").arg(count, 2));
        arrow("UpDown2", true);
        QCOMPARE(product(), QStringLiteral("1"));
        QStringList seen;
        for (int i = 0; i < count; ++i) {
            arrow("UpDown2", true);
            seen << product();
        }
        QCOMPARE(seen.first(), QStringLiteral("2"));
        QCOMPARE(seen.at(count - 2), QString::number(count));
        QCOMPARE(seen.last(), QStringLiteral("1"));
        QCOMPARE(fileBytes(), before);
        QVERIFY(f->errors.isEmpty());
    }

    void selectionWritesItsKeyAtOnce_data()
    {
        QTest::addColumn<int>("addressSteps");
        QTest::addColumn<int>("productSteps");
        QTest::addColumn<QString>("combo");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::newRow("quality of point 2 at B") << 11 << 0 << "ComboBox11" << "07" << "QVR11" << "Qualitaet2";
        QTest::newRow("EDV of point 5 at 1") << 1 << 0 << "ComboBox3" << "42" << "QVR1" << "EDV5";
        QTest::newRow("EDV of point 10 at N") << -1 << 0 << "ComboBoxEdvZP10" << "55" << "QVR23" << "EDV10";
        QTest::newRow("quality of product 5") << 0 << 4 << "ComboBox1" << "12" << "PRODUKT5" << "Qualitaet";
    }
    void selectionWritesItsKeyAtOnce()
    {
        QFETCH(int, addressSteps);
        QFETCH(int, productSteps);
        QFETCH(QString, combo);
        QFETCH(QString, item);
        QFETCH(QString, section);
        QFETCH(QString, key);
        startOnline("311");
        showPage(f->window->pointsPage());
        arrow("UpDown3", addressSteps > 0, qAbs(addressSteps));
        arrow("UpDown2", true, productSteps);

        auto *box = child<QComboBox>(combo);
        choose(box, item);
        QCOMPARE(ReadIniValue(iniPath(), section, key, QString()), item);
        QVERIFY(f->errors.isEmpty());

        // Another record shows the file's value, coming back shows the choice.
        const char *stepper = productSteps ? "UpDown2" : "UpDown3";
        arrow(stepper, true);
        QVERIFY(box->currentText() != item);
        arrow(stepper, false);
        QCOMPARE(box->currentText(), item);
    }

    void pendingNameStoredBeforeAnotherRecordShows_data()
    {
        QTest::addColumn<QString>("leaveBy");
        QTest::addColumn<QString>("productAfter");
        QTest::newRow("product arrow") << "UpDown2" << "4";
        QTest::newRow("address arrow") << "UpDown3" << "3";
        QTest::newRow("focus moves on") << "ComboBox1" << "3";
    }
    void pendingNameStoredBeforeAnotherRecordShows()
    {
        QFETCH(QString, leaveBy);
        QFETCH(QString, productAfter);
        start();
        showPage(f->window->pointsPage());
        arrow("UpDown2", true, 2);
        auto *edit = child<QLineEdit>(QStringLiteral("Edit5"));
        edit->setFocus();
        edit->selectAll();
        type(edit, QStringLiteral("Weißbier Ä"));
        // Typing alone stores nothing yet.
        QVERIFY(stored("PRODUKT3", "Name") != QStringLiteral("Weißbier Ä"));

        if (leaveBy == QLatin1String("ComboBox1"))
            child(leaveBy)->setFocus();
        else
            arrow(leaveBy.toLatin1().constData(), true);
        QCOMPARE(product(), productAfter);
        QCOMPARE(stored("PRODUKT3", "Name"), QStringLiteral("Weißbier Ä"));
        QVERIFY(fileBytes().contains("Name=Wei\xDF" "bier \xC4\r\n"));
        QVERIFY(f->errors.isEmpty());
    }

    void missingNameStoredWithDefaultOnNextStep()
    {
        writeIni("[PRODUKT7]\r\nQualitaet=07\r\n");
        start();
        showPage(f->window->pointsPage());
        arrow("UpDown2", true, 6);
        QCOMPARE(child<QLineEdit>(QStringLiteral("Edit5"))->text(), QStringLiteral("Produkt 7"));
        QCOMPARE(stored("PRODUKT7", "Name"), QStringLiteral("<missing>"));
        arrow("UpDown2", true);
        QCOMPARE(stored("PRODUKT7", "Name"), QStringLiteral("Produkt 7"));
    }

    void fileWithoutKeysShowsDefaults()
    {
        writeIni(QByteArray());
        start();
        showPage(f->window->pointsPage());
        showPage(f->window->pointsPage());
        QCOMPARE(child<QLabel>(QStringLiteral("LabelIniName1"))->text(), iniPath());
        QVERIFY(child<StatusLight>(QStringLiteral("StatusLightQualitaet"))->lit());
        QVERIFY(child<StatusLight>(QStringLiteral("StatusLightProdukt"))->lit());
        const char *quality[] = {"ComboBox10", "ComboBox11", "ComboBox12", "ComboBox13"};
        const char *edv[] = {"ComboBox14", "ComboBox15", "ComboBox16", "ComboBox17"};
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(child<QComboBox>(QLatin1String(quality[k]))->currentText(), QStringLiteral("0%1").arg(k + 1));
            QCOMPARE(child<QComboBox>(QLatin1String(edv[k]))->currentText(), QStringLiteral("0%1").arg(k + 1));
        }
        // Before the firmware version is known only points 1 to 4 are read.
        for (const char *name : {"ComboBox2", "ComboBox3", "ComboBoxQualityZP6", "ComboBoxEdvZP10"})
            QCOMPARE(child<QComboBox>(QLatin1String(name))->currentIndex(), -1);
        for (const char *name : {"ComboBox10", "ComboBoxEdvZP10", "ComboBox1"})
            QCOMPARE(child<QComboBox>(QLatin1String(name))->count(), 99);
        QCOMPARE(child<QComboBox>(QStringLiteral("ComboBox1"))->currentText(), QStringLiteral("01"));
        QCOMPARE(child<QLineEdit>(QStringLiteral("Edit5"))->text(), QStringLiteral("Produkt 1"));

        showPage(f->window->printerPage());
        QCOMPARE(child<QComboBox>(QStringLiteral("cbDruckerModell"))->currentText(), QStringLiteral("unbekannt"));
        QCOMPARE(child<QLineEdit>(QStringLiteral("eKopfzeiledrucker"))->text(), QStringLiteral("Deutsche Brantel"));

        showPage(f->window->interfacePage());
        for (const char *name : {"RadioGroupBaudrateRS232", "RadioGroupParameterRS232",
                                 "RadioGroupBaudrateRS485", "RadioGroupParameterRS485"})
            QCOMPARE(child<RadioGroup>(QLatin1String(name))->itemIndex(), 3);
        // Only the interface page's first show stores anything.
        QCOMPARE(fileBytes(), QByteArray("[INTERFACE]\r\nBaudrateRS232=3\r\nParameterRS232=3\r\n"
                                         "BaudrateRS485=3\r\nParameterRS485=3\r\n"));
        QVERIFY(f->errors.isEmpty());
    }

    void storedNonItemsShowEmpty_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("00") << QByteArray("00");
        QTest::newRow("1") << QByteArray("1");
        QTest::newRow("x") << QByteArray("x");
        QTest::newRow("100") << QByteArray("100");
    }
    void storedNonItemsShowEmpty()
    {
        QFETCH(QByteArray, value);
        writeIni("[QVR0]\r\nQualitaet1=" + value + "\r\nEDV2=" + value
                 + "\r\n[PRODUKT1]\r\nQualitaet=" + value + "\r\nName=Produkt  1\r\n");
        start();
        const QByteArray before = fileBytes();
        showPage(f->window->pointsPage());
        for (const char *name : {"ComboBox10", "ComboBox15", "ComboBox1"})
            QCOMPARE(child<QComboBox>(QLatin1String(name))->currentIndex(), -1);
        QCOMPARE(child<QComboBox>(QStringLiteral("ComboBox14"))->currentText(), QStringLiteral("01"));
        arrow("UpDown3", true);
        arrow("UpDown3", false);
        QCOMPARE(fileBytes(), before);
    }

    // Showing the page never changes a value the file holds: a value that
    // fits no item shows no selection and stays as it is.
    void interfaceShowsStoredValuesAndLeavesThem_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("index");
        QTest::newRow("above 5") << QByteArray("7") << -1;
        QTest::newRow("not a number") << QByteArray("x") << -1;
        QTest::newRow("leading zero") << QByteArray("03") << 3;
        QTest::newRow("negative") << QByteArray("-1") << -1;
        QTest::newRow("first item") << QByteArray("0") << 0;
        QTest::newRow("last item") << QByteArray("5") << 5;
    }
    void interfaceShowsStoredValuesAndLeavesThem()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, index);
        writeIni("[INTERFACE]\r\nBaudrateRS232=" + value + "\r\nParameterRS232=" + value + "\r\nBaudrateRS485="
                 + value + "\r\nParameterRS485=" + value + "\r\n");
        start();
        const QByteArray before = fileBytes();
        for (int i = 0; i < 2; ++i) {
            showPage(f->window->interfacePage());
            showPage(f->window->printerPage());
        }
        showPage(f->window->interfacePage());
        auto *group = child<RadioGroup>(QStringLiteral("RadioGroupBaudrateRS485"));
        QCOMPARE(group->itemIndex(), index);
        QCOMPARE(fileBytes(), before);

        group->findChildren<QRadioButton *>().at(4)->click();
        QCOMPARE(stored("INTERFACE", "BaudrateRS485"), QStringLiteral("4"));
        QCOMPARE(stored("INTERFACE", "BaudrateRS232"), QString::fromLatin1(value));
        QVERIFY(f->errors.isEmpty());
    }

    void printerModelFromStoredValue_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("index");
        QTest::newRow("2") << QByteArray("2") << 2;
        QTest::newRow("02") << QByteArray("02") << 2;
        QTest::newRow("3") << QByteArray("3") << 3;
        QTest::newRow("7") << QByteArray("7") << -1;
        QTest::newRow("x") << QByteArray("x") << 0;
    }
    void printerModelFromStoredValue()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, index);
        writeIni("[PRINTER]\r\nModell=" + value + "\r\n");
        start();
        const QByteArray before = fileBytes();
        showPage(f->window->printerPage());
        auto *box = child<QComboBox>(QStringLiteral("cbDruckerModell"));
        QCOMPARE(box->currentIndex(), index);
        QVERIFY(child<StatusLight>(QStringLiteral("StatusLightDrucker"))->lit());
        QCOMPARE(fileBytes(), before);

        choose(box, QStringLiteral("OKI Microline 280"));
        QCOMPARE(stored("PRINTER", "Modell"), QStringLiteral("2"));
    }

    void textFieldsLimitTypingButKeepLongerText_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::newRow("product name") << "points" << "Edit5" << 10 << "PRODUKT1" << "Name";
        QTest::newRow("printer header") << "printer" << "eKopfzeiledrucker" << 40 << "PRINTER" << "Head";
    }
    void textFieldsLimitTypingButKeepLongerText()
    {
        QFETCH(QString, page);
        QFETCH(QString, field);
        QFETCH(int, limit);
        QFETCH(QString, section);
        QFETCH(QString, key);
        const QString longer = QString(limit + 5, QLatin1Char('a')) + QStringLiteral("ü");
        writeIni("[" + section.toLatin1() + "]\r\n" + key.toLatin1() + "=" + Cp1252::encode(longer) + "\r\n");
        start();
        showPage(page == QLatin1String("points") ? static_cast<QWidget *>(f->window->pointsPage())
                                                   : f->window->printerPage());
        auto *edit = child<QLineEdit>(field);
        QCOMPARE(edit->text(), longer);

        // A longer text from the file may shrink but not grow.
        edit->setFocus();
        edit->end(false);
        QTest::keyClicks(edit, QStringLiteral("b"));
        QCOMPARE(edit->text(), longer);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, QStringLiteral("b"));
        QCOMPARE(edit->text(), longer.left(limit + 5));

        // Typed text stops at the limit; what Windows-1252 lacks is refused.
        edit->selectAll();
        type(edit, QStringLiteral("Ä中") + QString(limit, QLatin1Char('x')));
        QCOMPARE(edit->text(), QStringLiteral("Ä") + QString(limit - 1, QLatin1Char('x')));

        // Leaving the field stores it exactly as shown, also unchanged.
        QWidget *elsewhere = child(page == QLatin1String("points") ? QStringLiteral("ComboBox1")
                                                                      : QStringLiteral("cbDruckerModell"));
        elsewhere->setFocus();
        QCOMPARE(ReadIniValue(iniPath(), section, key, QString()), edit->text());
        edit->setText(longer);
        edit->setFocus();
        elsewhere->setFocus();
        QCOMPARE(ReadIniValue(iniPath(), section, key, QString()), longer);
        QVERIFY(f->errors.isEmpty());
    }

    // A working file that cannot be read is reported once per action, and the
    // pages show no value that did not come from it: nothing the user might
    // take for the file's content, or that leaving a field would store.
    void unreadableFileReportedOncePerAction()
    {
        const QByteArray original("[QVR0]\r\nQualitaet1=42\r\n[PRODUKT1]\r\nName=Pils\r\n[PRINTER]\r\nHead=Kopf\r\n");
        writeIni(original);
        start();
        showPage(f->window->pointsPage());
        QCOMPARE(child<QComboBox>(QStringLiteral("ComboBox10"))->currentText(), QStringLiteral("42"));
        showPage(f->window->printerPage());
        QCOMPARE(child<QLineEdit>(QStringLiteral("eKopfzeiledrucker"))->text(), QStringLiteral("Kopf"));

        QVERIFY(QFile::remove(iniPath()));
        QVERIFY(QDir().mkdir(iniPath()));
        f->errors.clear();
        const auto reported = [this](int count) {
            QCOMPARE(f->errors.size(), count);
            QVERIFY2(f->errors.constLast().contains(iniPath() + QStringLiteral(" cannot be read: ")),
                     qPrintable(f->errors.constLast()));
        };

        showPage(f->window->pointsPage());
        reported(1);
        for (const char *name : {"ComboBox10", "ComboBox14", "ComboBox1"})
            QCOMPARE(child<QComboBox>(QLatin1String(name))->currentIndex(), -1);
        QCOMPARE(child<QLineEdit>(QStringLiteral("Edit5"))->text(), QString());
        arrow("UpDown3", true);
        reported(2);
        showPage(f->window->interfacePage());
        reported(3);
        for (const char *name : {"RadioGroupBaudrateRS232", "RadioGroupParameterRS485"})
            QCOMPARE(child<RadioGroup>(QLatin1String(name))->itemIndex(), -1);
        showPage(f->window->printerPage());
        reported(4);
        QCOMPARE(child<QComboBox>(QStringLiteral("cbDruckerModell"))->currentIndex(), -1);
        auto *head = child<QLineEdit>(QStringLiteral("eKopfzeiledrucker"));
        QCOMPARE(head->text(), QString());

        // Once the file is back, leaving the empty fields stores nothing.
        QVERIFY(QDir().rmdir(iniPath()));
        writeIni(original);
        head->setFocus();
        child<QComboBox>(QStringLiteral("cbDruckerModell"))->setFocus();
        showPage(f->window->pointsPage());
        arrow("UpDown2", true);
        QCOMPARE(fileBytes(), original);
        QCOMPARE(f->errors.size(), 4);
    }

    void readOnlyFileBrowsesAndReportsUserChanges()
    {
        start();
        QVERIFY(QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        showPage(f->window->pointsPage());
        arrow("UpDown3", true, 3);
        arrow("UpDown2", true, 3);
        showPage(f->window->interfacePage());
        QVERIFY2(f->errors.isEmpty(), qPrintable(f->errors.join(u'\n')));

        showPage(f->window->pointsPage());
        auto *box = child<QComboBox>(QStringLiteral("ComboBox12"));
        choose(box, QStringLiteral("33"));
        QCOMPARE(f->errors, QStringList{QStringLiteral("In %1 kann nicht geschrieben werden").arg(iniPath())});
        QCOMPARE(box->currentText(), QStringLiteral("33"));

        // A typed name that cannot be stored stays on screen; the step does not happen.
        auto *edit = child<QLineEdit>(QStringLiteral("Edit5"));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("Pils"));
        arrow("UpDown2", true);
        QCOMPARE(f->errors.size(), 2);
        QCOMPARE(product(), QStringLiteral("4"));
        QCOMPARE(edit->text(), QStringLiteral("Pils"));
        QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::WriteOwner);
    }

};

QTEST_MAIN(TestEditorPages)
#include "tst_editorpages.moc"
