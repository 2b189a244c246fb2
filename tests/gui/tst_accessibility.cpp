// The window as a screen reader and a keyboard meet it, through Qt's
// accessibility interface on the offscreen platform.

#include "WindowFixture.h"

#include "core/TransferRun.h"
#include "gui/MonitorPage.h"
#include "gui/PointsPage.h"
#include "gui/SaveLoadPage.h"
#include "gui/StatusLight.h"
#include "texts/Texts.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QSet>
#include <QTabBar>
#include <QTemporaryFile>
#include <QtTest>

namespace {

QString accessibleText(QWidget *widget, QAccessible::Text text)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(text) : QStringLiteral("<no interface>");
}

// Every text the window names its controls with, in `language`.
QSet<QString> namesIn(Language language)
{
    QSet<QString> names;
    for (int tag = 1; tag <= 22; ++tag)
        names << TaggedCaptionText(tag, language);
    for (int c = 0; c <= int(Caption::CannotOpenPort); ++c)
        names << CaptionText(Caption(c), language);
    for (bool b : {false, true}) {
        names << StepperArrowName(b, language) << TabScrollName(b, language) << StatusLightText(b, language);
    }
    for (PointsPart part : {PointsPart::Points, PointsPart::Product})
        names << PartReadName(part, language) << PartWriteName(part, language) << PartStatusLightName(part, language);
    names << RunProgressName(language) << StatusLightName(language);
    // Qt names the tab bar's arrows in English.
    if (language == Language::English)
        names << QStringLiteral("Scroll Left") << QStringLiteral("Scroll Right");
    names.remove(QString());
    return names;
}

bool isValueControl(QAccessible::Role role)
{
    return role == QAccessible::ComboBox || role == QAccessible::SpinBox || role == QAccessible::ProgressBar
           || role == QAccessible::Slider;
}

// Controls and pictures a screen reader announces by name, focusable or not
// (the stepper's arrows take no focus, but a pointer can reach them).
bool mustBeNamed(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::Link:
    case QAccessible::Graphic:
    case QAccessible::PageTab:
    case QAccessible::ProgressBar:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
        return true;
    default:
        return false;
    }
}

// What a screen reader meets on the shown page: the faults found in the
// accessible tree below `root`.
struct TreeWalk
{
    QSet<QString> otherLanguage;
    QSet<const QObject *> hiddenPages;
    QSet<const QObject *> ownLanguageNamed; // named in their own language on purpose
    QStringList faults;
    QStringList tabs;

    static QString describe(QAccessibleInterface *face)
    {
        QObject *object = face->object();
        return QStringLiteral("%1 %2 \"%3\"")
            .arg(object ? QString::fromLatin1(object->metaObject()->className()) : QStringLiteral("-"),
                 object ? object->objectName() : QString(), face->text(QAccessible::Name));
    }

    void walk(QAccessibleInterface *face, int depth = 0)
    {
        if (!face || !face->isValid() || depth > 40)
            return;
        if (hiddenPages.contains(face->object()))
            faults << QStringLiteral("hidden page in the tree: ") + describe(face);
        const QAccessible::State state = face->state();
        const QString name = face->text(QAccessible::Name);
        if (face->role() == QAccessible::PageTab)
            tabs << name;
        if (!state.invisible) {
            if ((state.focusable || mustBeNamed(face->role())) && name.trimmed().isEmpty())
                faults << QStringLiteral("no name: ") + describe(face);
            if (isValueControl(face->role()) && face->text(QAccessible::Value).isEmpty()
                && !(face->valueInterface() && face->valueInterface()->currentValue().isValid()))
                faults << QStringLiteral("no value: ") + describe(face);
            if ((face->role() == QAccessible::ComboBox || face->role() == QAccessible::SpinBox)
                && !face->textInterface())
                faults << QStringLiteral("no text: ") + describe(face);
            if (!ownLanguageNamed.contains(face->object())) {
                for (const QString &word : otherLanguage) {
                    if (name == word || name.startsWith(word + u' '))
                        faults << QStringLiteral("other language: ") + describe(face);
                }
            }
        }
        // The items of a closed drop-down list are the list's business.
        if (face->role() == QAccessible::List && face->parent() && face->parent()->role() == QAccessible::ComboBox)
            return;
        for (int i = 0; i < face->childCount(); ++i)
            walk(face->child(i), depth + 1);
    }
};

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

    // The tree a screen reader walks, page by page, offline (the first page
    // alone) and with every page shown.
    void accessibleTreeOfEveryPage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("allPages");
        QTest::newRow("German, offline") << 0 << false;
        QTest::newRow("German, every page") << 0 << true;
        QTest::newRow("English, offline") << 1 << false;
        QTest::newRow("English, every page") << 1 << true;
    }
    void accessibleTreeOfEveryPage()
    {
        QFETCH(int, language);
        QFETCH(bool, allPages);
        // A port in the list, so that it has a value to tell.
        QTemporaryFile device;
        QVERIFY(device.open());
        QVERIFY(QDir(f->folder()).mkpath(QStringLiteral("ports")));
        QVERIFY(QFile::link(device.fileName(), f->folder() + QStringLiteral("ports/COM7")));
        f->start();
        if (allPages) {
            // Every row of the largest firmware, loaded, with the link closed.
            f->goOnline("311");
            QTest::mouseClick(f->child<QPushButton>("Button1"), Qt::LeftButton);
            f->window->setEditorPagesVisible(true);
            f->window->toggleMonitor();
        }
        f->window->setLanguage(language);
        f->activate();
        const Language own = LanguageOfIndex(language);
        TreeWalk walk;
        walk.otherLanguage = namesIn(own == Language::German ? Language::English : Language::German) - namesIn(own);
        walk.ownLanguageNamed = {f->child("Image1"), f->child("Image2")};
        PageControl *pages = f->window->pageControl();
        QStringList shownTabs;
        for (int i = 0; i < pages->count(); ++i) {
            if (pages->isTabVisible(i))
                shownTabs << pages->tabText(i);
        }
        QStringList faults;
        for (int i = 0; i < pages->count(); ++i) {
            if (!pages->isTabVisible(i))
                continue;
            pages->setCurrentIndex(i);
            walk.hiddenPages.clear();
            for (int j = 0; j < pages->count(); ++j) {
                if (j != i)
                    walk.hiddenPages << pages->widget(j);
            }
            walk.tabs.clear();
            walk.walk(QAccessible::queryAccessibleInterface(f->window.get()));
            QCOMPARE(walk.tabs, shownTabs);

            // The Tab key goes round the shown page and the tab bar only,
            // and every stop has a name.
            pages->tabBar()->setFocus();
            QWidget *first = QApplication::focusWidget();
            QVERIFY(first);
            QWidget *w = first;
            for (int stop = 0; stop < 200; ++stop) {
                QTest::keyClick(w, Qt::Key_Tab);
                w = QApplication::focusWidget();
                if (!w || w == first)
                    break;
                if (!w->isVisible() || !(pages->currentWidget()->isAncestorOf(w)))
                    faults << QStringLiteral("Tab reaches %1 off the page").arg(w->objectName());
                if (accessibleText(w, QAccessible::Name).trimmed().isEmpty())
                    faults << QStringLiteral("unnamed Tab stop %1 %2").arg(w->metaObject()->className(), w->objectName());
            }
        }
        faults << walk.faults;
        faults.removeDuplicates();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

    // A drop-down list tells its value, gives it as its text, and has its
    // list of items with the shown one selected; a stepper tells its value
    // as text and as a number in its range.
    void valueControlsTellTheirValue()
    {
        startWithAllPages(0);
        f->showPage(f->window->pointsPage());
        auto *list = f->child<QComboBox>("ComboBox12");
        list->setCurrentIndex(list->findText(QStringLiteral("07")));
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(list);
        QCOMPARE(face->text(QAccessible::Value), QStringLiteral("07"));
        QVERIFY(face->textInterface());
        QCOMPARE(face->textInterface()->text(0, face->textInterface()->characterCount()), QStringLiteral("07"));
        QCOMPARE(face->childCount(), 1);
        QAccessibleInterface *items = face->child(0);
        QVERIFY(items && items->role() == QAccessible::List);
        QStringList selected;
        for (int i = 0; i < items->childCount(); ++i) {
            if (items->child(i)->state().selected)
                selected << items->child(i)->text(QAccessible::Name);
        }
        QCOMPARE(selected, QStringList{QStringLiteral("07")});

        QWidget *address = f->child("UpDown3");
        face = QAccessible::queryAccessibleInterface(address);
        face->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
        QVERIFY(face->valueInterface());
        QCOMPARE(face->valueInterface()->currentValue().toInt(), 23);
        QCOMPARE(face->valueInterface()->minimumValue().toInt(), 0);
        QCOMPARE(face->valueInterface()->maximumValue().toInt(), 23);
        QCOMPARE(face->textInterface()->text(0, 1), QStringLiteral("N"));
    }

    // Ctrl+Tab and Ctrl+PgDn (and back) change the page from any control,
    // a drop-down list included, over the shown tabs only.
    void ctrlTabChangesThePageFromAnyControl_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("page");
        const int ctrl = int(Qt::ControlModifier);
        const int ctrlShift = int(Qt::ControlModifier | Qt::ShiftModifier);
        QTest::newRow("drop-down, Ctrl+Tab") << "ComboBox12" << int(Qt::Key_Tab) << ctrl << "TabSheetInterface";
        QTest::newRow("drop-down, Ctrl+PgDn") << "ComboBox12" << int(Qt::Key_PageDown) << ctrl << "TabSheetInterface";
        QTest::newRow("drop-down, Ctrl+PgUp") << "ComboBox12" << int(Qt::Key_PageUp) << ctrl << "TabSheet1";
        QTest::newRow("drop-down, Ctrl+Shift+Tab") << "ComboBox12" << int(Qt::Key_Backtab) << ctrlShift << "TabSheet1";
        QTest::newRow("name field, Ctrl+Tab") << "Edit5" << int(Qt::Key_Tab) << ctrl << "TabSheetInterface";
        QTest::newRow("stepper, Ctrl+PgDn") << "UpDown3" << int(Qt::Key_PageDown) << ctrl << "TabSheetInterface";
    }
    void ctrlTabChangesThePageFromAnyControl()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, page);
        f->start();
        f->goOnline("311");
        f->activate();
        f->showPage(f->window->pointsPage());
        QWidget *target = f->child(control);
        target->setFocus();
        QTRY_VERIFY(target->hasFocus());
        auto *list = qobject_cast<QComboBox *>(target);
        const int item = list ? list->currentIndex() : 0;
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(f->window->pageControl()->currentWidget()->objectName(), page);
        // The key changed the page, not the list's item.
        if (list)
            QCOMPARE(list->currentIndex(), item);
    }

    void ctrlTabSkipsHiddenPages()
    {
        f->start();
        f->window->toggleMonitor();
        f->activate();
        QWidget *list = f->child("cb_COM_Port");
        list->setFocus();
        QTRY_VERIFY(list->hasFocus());
        QTest::keyClick(list, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(f->window->pageControl()->currentWidget(), f->window->monitorPage());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(f->window->pageControl()->currentWidget(), f->window->firstPage());
    }

    // Space on a run button starts the run; the focus waits on the progress
    // bar while the button is disabled, not on the next button (a second
    // Space would open the file dialog), and comes back when the run ends.
    void focusStaysWithTheRunOfItsButton()
    {
        f->start();
        f->goOnline("311");
        f->activate();
        f->showPage(f->window->saveLoadPage());
        auto *read = f->child<QPushButton>("ButtonAlleDatenLesen");
        read->setFocus();
        QTRY_VERIFY(read->hasFocus());
        QTest::keyClick(read, Qt::Key_Space);
        QVERIFY(f->window->session().run().isActive());
        auto *progress = f->child<QProgressBar>("ProgressAnzeige");
        QCOMPARE(QApplication::focusWidget(), progress);
        QCOMPARE(accessibleText(progress, QAccessible::Name), QStringLiteral("Fortschritt"));
        f->window->session().run().abort(RunResult::Outcome::Stopped);
        QCOMPARE(QApplication::focusWidget(), read);
        QCOMPARE(progress->focusPolicy(), Qt::NoFocus);
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
        QTest::newRow("points read, German") << 0 << "ButtonKonfigurationLesen" << "Zapfstellen lesen";
        QTest::newRow("product write, English") << 1 << "Button5" << "Write product";
        QTest::newRow("points light") << 0 << "StatusLightQualitaet" << "Statusanzeige Zapfstellen";
        QTest::newRow("product light, English") << 1 << "StatusLightProdukt" << "Status light of the product";
        QTest::newRow("progress bar, English") << 1 << "ProgressAnzeige" << "Progress";
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
