// The first page's port list in the main window, on the offscreen platform.

#include "WindowFixture.h"

#include "gui/SaveLoadPage.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QtTest>
#include <memory>

class TestPortListForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;

    QString folder() const { return f->folder(); }

    // Registers ports/<name> as an alias of a fresh stand-in device.
    void addAlias(const QString &name)
    {
        QFile device(folder() + QStringLiteral("dev-") + name);
        QVERIFY(device.open(QIODevice::WriteOnly));
        QVERIFY(QDir().mkpath(folder() + QStringLiteral("ports")));
        QVERIFY(QFile::link(device.fileName(), folder() + QStringLiteral("ports/") + name));
    }

    QComboBox *box() const { return f->child<QComboBox>("cb_COM_Port"); }

    void start() { f->start(); }

    void showFirstPageAgain()
    {
        f->window->pageControl()->setCurrentWidget(f->window->saveLoadPage());
        f->window->pageControl()->setCurrentWidget(f->window->firstPage());
    }

private slots:
    void init()
    {
        f = std::make_unique<WindowFixture>();
        QVERIFY(f->dir.isValid());
    }

    void cleanup()
    {
        const QStringList errors = f->errors;
        f.reset();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
    }

    void startAndReturnRefreshAndSelectFirst()
    {
        addAlias(QStringLiteral("COM7"));
        start();
        const int com7 = box()->findText(QStringLiteral("COM7"));
        QVERIFY(com7 >= 0);
        QCOMPARE(box()->itemData(com7, Qt::ToolTipRole).toString(), folder() + "dev-COM7");
        QCOMPARE(box()->itemData(com7, Qt::UserRole).toString(), folder() + "dev-COM7");
        QCOMPARE(box()->currentIndex(), 0);

        addAlias(QStringLiteral("COM3"));
        box()->setCurrentIndex(box()->count() - 1);
        showFirstPageAgain();
        QVERIFY(box()->findText(QStringLiteral("COM3")) >= 0);
        QVERIFY(box()->findText(QStringLiteral("COM3")) < box()->findText(QStringLiteral("COM7")));
        QCOMPARE(box()->currentIndex(), 0);
    }

    void onlineListIsLeftAlone()
    {
        addAlias(QStringLiteral("COM7"));
        start();
        box()->setEnabled(false);
        addAlias(QStringLiteral("COM4"));
        const int current = box()->count() - 1;
        box()->setCurrentIndex(current);
        showFirstPageAgain();
        QCOMPARE(box()->findText(QStringLiteral("COM4")), -1);
        QCOMPARE(box()->currentIndex(), current);
    }

    void openingDropDownRefreshes_data()
    {
        QTest::addColumn<int>("key"); // 0: mouse click
        QTest::addColumn<int>("modifiers");

        QTest::newRow("mouse") << 0 << int(Qt::NoModifier);
        QTest::newRow("F4") << int(Qt::Key_F4) << int(Qt::NoModifier);
        QTest::newRow("Alt+Down") << int(Qt::Key_Down) << int(Qt::AltModifier);
    }

    void openingDropDownRefreshes()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        addAlias(QStringLiteral("COM7"));
        start();
        const int current = box()->findText(QStringLiteral("COM7"));
        box()->setCurrentIndex(current);
        addAlias(QStringLiteral("COM10")); // sorts in before the choice

        if (key == 0) {
            QTest::mouseClick(box(), Qt::LeftButton);
        } else {
            box()->setFocus();
            QTest::keyClick(box(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        }
        box()->hidePopup();
        QVERIFY(box()->findText(QStringLiteral("COM10")) >= 0);
        // Opening the list does not change the choice.
        QCOMPARE(box()->currentText(), QStringLiteral("COM7"));
    }
};

QTEST_MAIN(TestPortListForm)
#include "tst_portlist_form.moc"
