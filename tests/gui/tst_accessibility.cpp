// The window as a screen reader and a keyboard meet it, through Qt's
// accessibility interface on the offscreen platform.

#include "WindowFixture.h"

#include "gui/MonitorPage.h"
#include "gui/PointsPage.h"
#include "gui/StatusLight.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QTabBar>
#include <QtTest>

namespace {

QString accessibleText(QWidget *widget, QAccessible::Text text)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(text) : QStringLiteral("<no interface>");
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;

    // The window with every page and the monitor shown, in `language`.
    void startWithAllPages(int language)
    {
        f->start();
        f->window->setLanguage(language);
        f->window->setEditorPagesVisible(true);
        f->window->toggleMonitor();
    }

    // Presses Tab from the focused control until `target` has the focus or
    // the chain comes round; true when it got there.
    bool tabReaches(QWidget *target)
    {
        QWidget *first = QApplication::focusWidget();
        for (QWidget *w = first; w;) {
            QTest::keyClick(w, Qt::Key_Tab);
            w = QApplication::focusWidget();
            if (w == target)
                return true;
            if (w == first)
                return false;
        }
        return false;
    }

private slots:
    void init() { f = std::make_unique<WindowFixture>(); }
    void cleanup() { f.reset(); }

    void everyFocusableControlHasAName_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("German") << 0;
        QTest::newRow("English") << 1;
    }
    void everyFocusableControlHasAName()
    {
        QFETCH(int, language);
        startWithAllPages(language);
        QStringList unnamed;
        PageControl *pages = f->window->pageControl();
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            for (QWidget *w : f->window->findChildren<QWidget *>()) {
                // A control with a focus proxy hands the focus on (the tabs).
                if (!(w->focusPolicy() & Qt::TabFocus) || w->focusProxy() || !w->isVisibleTo(f->window.get())
                    || !w->isEnabled())
                    continue;
                if (accessibleText(w, QAccessible::Name).trimmed().isEmpty())
                    unnamed << w->metaObject()->className() + QStringLiteral(" ") + w->objectName();
            }
        }
        unnamed.removeDuplicates();
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", ")));
    }

    void namesComeFromTheVisibleLabels_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("port list") << 0 << "cb_COM_Port" << "COM Port auswählen:";
        QTest::newRow("address stepper") << 0 << "UpDown3" << "QVR Adresse";
        QTest::newRow("product stepper, English") << 1 << "UpDown2" << "Product no";
        QTest::newRow("quality of point 3") << 0 << "ComboBox12" << "Produktqualität 3";
        QTest::newRow("EDV number of point 10, English") << 1 << "ComboBoxEdvZP10" << "EDP number 10";
        QTest::newRow("product name") << 1 << "Edit5" << "product name";
        QTest::newRow("printer model") << 0 << "cbDruckerModell" << "Druckermodell";
        QTest::newRow("German flag") << 1 << "Image1" << "Deutsch";
        QTest::newRow("English flag") << 0 << "Image2" << "English";
        QTest::newRow("mail link") << 0 << "LabelMailto" << "mailto:service@example.com";
    }
    void namesComeFromTheVisibleLabels()
    {
        QFETCH(int, language);
        QFETCH(QString, control);
        QFETCH(QString, name);
        startWithAllPages(language);
        QCOMPARE(accessibleText(f->child(control), QAccessible::Name), name);
    }

    // The window's own controls: the role a screen reader announces and
    // the action it offers first.
    void controlsHaveTheirRoleAndAction_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("action");
        QTest::newRow("port list") << "cb_COM_Port" << int(QAccessible::ComboBox)
                                   << QAccessibleActionInterface::showMenuAction();
        QTest::newRow("quality list") << "ComboBox12" << int(QAccessible::ComboBox)
                                      << QAccessibleActionInterface::showMenuAction();
        QTest::newRow("address stepper") << "UpDown3" << int(QAccessible::SpinBox)
                                         << QAccessibleActionInterface::increaseAction();
        QTest::newRow("flag") << "Image1" << int(QAccessible::Button) << QAccessibleActionInterface::pressAction();
        QTest::newRow("mail link") << "LabelMailto" << int(QAccessible::Link)
                                   << QAccessibleActionInterface::pressAction();
    }
    void controlsHaveTheirRoleAndAction()
    {
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, action);
        startWithAllPages(0);
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(f->child(control));
        QVERIFY(face);
        QCOMPARE(int(face->role()), role);
        QVERIFY(face->actionInterface());
        QCOMPARE(face->actionInterface()->actionNames().value(0), action);
    }

    void tabReachesSteppersFlagsAndLinks_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("control");
        QTest::newRow("address stepper") << "TabSheet2" << "UpDown3";
        QTest::newRow("product stepper") << "TabSheet2" << "UpDown2";
        QTest::newRow("German flag") << "TabSheet1" << "Image1";
        QTest::newRow("English flag") << "TabSheet1" << "Image2";
        QTest::newRow("web link") << "TabSheet1" << "LabelUrl";
        QTest::newRow("mail link") << "TabSheet1" << "LabelMailto";
    }
    void tabReachesSteppersFlagsAndLinks()
    {
        QFETCH(QString, page);
        QFETCH(QString, control);
        startWithAllPages(0);
        f->activate();
        f->window->pageControl()->setCurrentWidget(f->child(page));
        f->window->pageControl()->tabBar()->setFocus();
        QVERIFY(tabReaches(f->child(control)));
    }

    // Keys step the focused stepper as its arrows do, and so do a screen
    // reader's increase and decrease.
    void keysAndActionsStepTheSteppers_data()
    {
        QTest::addColumn<QString>("stepper");
        QTest::addColumn<int>("key");       // 0: the accessible action instead
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("shown");
        const QString increase = QAccessibleActionInterface::increaseAction();
        const QString decrease = QAccessibleActionInterface::decreaseAction();
        QTest::newRow("address, right") << "UpDown3" << int(Qt::Key_Right) << "" << "Label59" << "1";
        QTest::newRow("address, up") << "UpDown3" << int(Qt::Key_Up) << "" << "Label59" << "1";
        QTest::newRow("address, left wraps") << "UpDown3" << int(Qt::Key_Left) << "" << "Label59" << "N";
        QTest::newRow("address, down wraps") << "UpDown3" << int(Qt::Key_Down) << "" << "Label59" << "N";
        QTest::newRow("address, increase") << "UpDown3" << 0 << increase << "Label59" << "1";
        QTest::newRow("product, right") << "UpDown2" << int(Qt::Key_Right) << "" << "Label50" << "2";
        QTest::newRow("product, left wraps") << "UpDown2" << int(Qt::Key_Left) << "" << "Label50" << "20";
        QTest::newRow("product, decrease") << "UpDown2" << 0 << decrease << "Label50" << "20";
    }
    void keysAndActionsStepTheSteppers()
    {
        QFETCH(QString, stepper);
        QFETCH(int, key);
        QFETCH(QString, action);
        QFETCH(QString, label);
        QFETCH(QString, shown);
        startWithAllPages(0);
        f->activate();
        f->showPage(f->window->pointsPage());
        QWidget *arrows = f->child(stepper);
        if (key != 0) {
            arrows->setFocus();
            QTRY_VERIFY(arrows->hasFocus());
            QTest::keyClick(arrows, Qt::Key(key));
        } else {
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(arrows);
            QVERIFY(face && face->actionInterface());
            face->actionInterface()->doAction(action);
        }
        QCOMPARE(f->child<QLabel>(label)->text(), shown);
        QCOMPARE(accessibleText(arrows, QAccessible::Value), shown);
    }

    void flagsAndLinksArePressedWithKeys_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("opened");
        QTest::newRow("English flag, space") << "Image2" << int(Qt::Key_Space) << 1 << "";
        QTest::newRow("German flag, return") << "Image1" << int(Qt::Key_Return) << 0 << "";
        QTest::newRow("web link, enter") << "LabelUrl" << int(Qt::Key_Enter) << 0 << "https://www.example.com";
    }
    void flagsAndLinksArePressedWithKeys()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(int, language);
        QFETCH(QString, opened);
        QString seen;
        f->writeIni("[Speech]\r\nSpeech=1\r\n");
        f->start();
        f->window->setAddressOpener([&seen](const QString &address) {
            seen = address;
            return true;
        });
        f->window->setLanguage(1 - language); // the key must change it
        f->activate();
        QWidget *target = f->child(control);
        target->setFocus();
        QTRY_VERIFY(target->hasFocus());
        QTest::keyClick(target, Qt::Key(key));
        QCOMPARE(seen, opened);
        if (opened.isEmpty()) {
            QCOMPARE(f->window->language(), language);
            QCOMPARE(f->stored("Speech", "Speech"), QString::number(language));
        }
    }

    void statusLightsSayWhatTheyShow_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("lit");
        QTest::addColumn<QString>("text");
        QTest::newRow("German, lit") << 0 << true << "Rot: vom Velmora noch nicht bestätigt";
        QTest::newRow("German, confirmed") << 0 << false << "Grün: vom Velmora bestätigt";
        QTest::newRow("English, lit") << 1 << true << "Red: not yet confirmed by the Velmora";
        QTest::newRow("English, confirmed") << 1 << false << "Green: confirmed by the Velmora";
    }
    void statusLightsSayWhatTheyShow()
    {
        QFETCH(int, language);
        QFETCH(bool, lit);
        QFETCH(QString, text);
        startWithAllPages(1 - language);
        f->window->setLanguage(language); // follows a switch
        for (const char *name : {"StatusLightQualitaet", "StatusLightProdukt", "StatusLightDrucker",
                                 "ApdStatusLightInterface"}) {
            auto *light = f->child<StatusLight>(name);
            light->setLit(lit);
            QCOMPARE(light->toolTip(), text);
            QCOMPARE(accessibleText(light, QAccessible::Description), text);
            QVERIFY(!accessibleText(light, QAccessible::Name).isEmpty());
        }
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
