#include "core/ConfigLayout.h"
#include "gui/MessageBox.h"
#include "gui/RadioGroup.h"
#include "gui/StatusLight.h"
#include "gui/UpDown.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

const QStringList SixItems = {
    QStringLiteral("1200 Baud"), QStringLiteral("2400 Baud"), QStringLiteral("4800 Baud"),
    QStringLiteral("9600 Baud (default)"), QStringLiteral("19200 Baud"), QStringLiteral("38400 Baud"),
};

QList<int> emittedIndexes(const QSignalSpy &spy)
{
    QList<int> result;
    for (const QList<QVariant> &args : spy)
        result.append(args.at(0).toInt());
    return result;
}

// Index of the radio button that is visibly checked, -1 for none.
int checkedButton(const RadioGroup &group)
{
    const QList<QRadioButton *> buttons = group.findChildren<QRadioButton *>();
    int found = -1;
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons.at(i)->isChecked()) {
            if (found != -1)
                return -2;
            found = i;
        }
    }
    return found;
}

} // namespace

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    void longMessageIsASummaryAboveAScrollableList_data();
    void longMessageIsASummaryAboveAScrollableList();
    void radioGroupSetIndex_data();
    void radioGroupSetIndex();
    void radioGroupUserClick();
    void radioGroupNewItemsDropSelection();
    void upDownArrows_data();
    void upDownArrows();
    void statusLightColour_data();
    void statusLightColour();
};

void TestWidgets::radioGroupSetIndex_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QList<int>>("emitted");

    QTest::newRow("-1 clears") << 2 << -1 << -1 << QList<int>{-1};
    QTest::newRow("-5 clears") << 2 << -5 << -1 << QList<int>{-1};
    QTest::newRow("-5 when nothing selected") << -1 << -5 << -1 << QList<int>{};
    QTest::newRow("0 first") << -1 << 0 << 0 << QList<int>{0};
    QTest::newRow("3 default") << 5 << 3 << 3 << QList<int>{3};
    QTest::newRow("5 last") << -1 << 5 << 5 << QList<int>{5};
    QTest::newRow("6 clamps to last") << -1 << 6 << 5 << QList<int>{5};
    QTest::newRow("99 clamps to last") << 0 << 99 << 5 << QList<int>{5};
    QTest::newRow("99 when last already") << 5 << 99 << 5 << QList<int>{};
    QTest::newRow("same index twice") << 3 << 3 << 3 << QList<int>{};
}

void TestWidgets::radioGroupSetIndex()
{
    QFETCH(int, start);
    QFETCH(int, requested);
    QFETCH(int, expected);
    QFETCH(QList<int>, emitted);

    RadioGroup group;
    group.setItems(SixItems);
    group.setItemIndex(start);
    QSignalSpy spy(&group, &RadioGroup::itemIndexChanged);

    group.setItemIndex(requested);

    QCOMPARE(group.itemIndex(), expected);
    QCOMPARE(checkedButton(group), expected);
    QCOMPARE(emittedIndexes(spy), emitted);
}

void TestWidgets::radioGroupUserClick()
{
    RadioGroup group;
    group.setItems(SixItems);
    group.setItemIndex(1);
    group.show();
    QVERIFY(QTest::qWaitForWindowExposed(&group));
    QSignalSpy spy(&group, &RadioGroup::itemIndexChanged);
    // The handler reads the index back, so it must be current when the signal fires.
    QList<int> seenInSlot;
    connect(&group, &RadioGroup::itemIndexChanged, &group,
            [&] { seenInSlot.append(group.itemIndex()); });

    QRadioButton *fourth = group.findChildren<QRadioButton *>().at(4);
    QTest::mouseClick(fourth, Qt::LeftButton);
    QTest::mouseClick(fourth, Qt::LeftButton);

    QCOMPARE(group.itemIndex(), 4);
    QCOMPARE(emittedIndexes(spy), QList<int>{4});
    QCOMPARE(seenInSlot, QList<int>{4});

    // After a click, clearing from code must uncheck the button as well.
    group.setItemIndex(-1);
    QCOMPARE(checkedButton(group), -1);
    QCOMPARE(emittedIndexes(spy), (QList<int>{4, -1}));
}

void TestWidgets::radioGroupNewItemsDropSelection()
{
    RadioGroup group;
    group.setItems(SixItems);
    group.setItemIndex(2);
    QSignalSpy spy(&group, &RadioGroup::itemIndexChanged);

    const QStringList formats = {QStringLiteral("7-N-1"), QStringLiteral("7_E-1"),
                                 QStringLiteral("R&D")};
    group.setItems(formats);

    QCOMPARE(group.items(), formats);
    QCOMPARE(group.itemIndex(), -1);
    QCOMPARE(emittedIndexes(spy), QList<int>{-1});
    QStringList shown;
    for (QRadioButton *button : group.findChildren<QRadioButton *>()) {
        QVERIFY(!button->isChecked());
        shown.append(button->text());
    }
    // "&" would otherwise turn into a mnemonic and vanish from the caption.
    QCOMPARE(shown, (QStringList{QStringLiteral("7-N-1"), QStringLiteral("7_E-1"),
                                 QStringLiteral("R&&D")}));
    group.setItemIndex(10);
    QCOMPARE(group.itemIndex(), 2);
}

void TestWidgets::upDownArrows_data()
{
    QTest::addColumn<QString>("arrow");
    QTest::addColumn<UpDown::Button>("expected");

    QTest::newRow("left arrow") << QStringLiteral("UpDownPrevious") << UpDown::Button::Previous;
    QTest::newRow("right arrow") << QStringLiteral("UpDownNext") << UpDown::Button::Next;
}

void TestWidgets::upDownArrows()
{
    QFETCH(QString, arrow);
    QFETCH(UpDown::Button, expected);

    UpDown upDown;
    upDown.resize(upDown.sizeHint());
    upDown.show();
    QVERIFY(QTest::qWaitForWindowExposed(&upDown));
    QSignalSpy spy(&upDown, &UpDown::clicked);

    auto *button = upDown.findChild<QToolButton *>(arrow);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(button, Qt::LeftButton);

    QList<UpDown::Button> pressed;
    for (const QList<QVariant> &args : spy)
        pressed.append(args.at(0).value<UpDown::Button>());
    QCOMPARE(pressed, (QList<UpDown::Button>{expected, expected}));
}

void TestWidgets::statusLightColour_data()
{
    QTest::addColumn<QList<bool>>("changes");
    QTest::addColumn<bool>("red");

    QTest::newRow("new light") << QList<bool>{} << true;
    QTest::newRow("put out") << QList<bool>{false} << false;
    QTest::newRow("put out, lit again") << QList<bool>{false, true} << true;
    QTest::newRow("lit twice, put out") << QList<bool>{true, true, false} << false;
}

void TestWidgets::statusLightColour()
{
    QFETCH(QList<bool>, changes);
    QFETCH(bool, red);

    StatusLight light;
    for (bool lit : changes)
        light.setLit(lit);
    QCOMPARE(light.lit(), red);

    const QImage image = light.grab().toImage();
    const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
    if (red) {
        QVERIFY2(centre.red() > 150 && centre.green() < 100 && centre.blue() < 100,
                 qPrintable(centre.name()));
    } else {
        QVERIFY2(centre.green() > 120 && centre.red() < 100 && centre.blue() < 100,
                 qPrintable(centre.name()));
    }
}

// A write-all the gateway ignored: every value listed, the box still on a
// 1024 x 768 screen with its button in reach; a short message stays Qt's box.
void TestWidgets::longMessageIsASummaryAboveAScrollableList_data()
{
    QTest::addColumn<int>("values");
    QTest::addColumn<int>("language");
    QTest::newRow("515 values, German") << 515 << 0;
    QTest::newRow("515 values, English") << 515 << 1;
    QTest::newRow("13 values") << 13 << 0;
    QTest::newRow("3 values: Qt's box") << 3 << 1;
}
void TestWidgets::longMessageIsASummaryAboveAScrollableList()
{
    QFETCH(int, values);
    QFETCH(int, language);
    QList<ValueDifference> differences;
    for (int i = 0; i < values; ++i)
        differences.append({QStringLiteral("QVR%1").arg(i / 20), QStringLiteral("EDV%1").arg(i % 20 + 1),
                            QStringLiteral("12"), QStringLiteral("34")});
    const QString text = NotTakenText(differences, LanguageOfIndex(language));
    QWidget window;
    window.resize(750, 500);
    window.show();
    const std::unique_ptr<QDialog> box = MakeMessageBox(QMessageBox::Critical, text, &window);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    if (values + 1 <= MessageBoxLines) {
        QVERIFY(qobject_cast<QMessageBox *>(box.get()));
        QCOMPARE(static_cast<QMessageBox *>(box.get())->text(), text);
        return;
    }
    QVERIFY(box->frameGeometry().width() <= 1024 && box->frameGeometry().height() <= 768);
    const QStringList lines = text.split(u'\n');
    QCOMPARE(box->findChild<QLabel *>("ListMessageSummary")->text(), lines.constFirst());
    auto *details = box->findChild<QPlainTextEdit *>("ListMessageDetails");
    QCOMPARE(details->toPlainText(), lines.mid(1).join(u'\n'));
    QCOMPARE(details->accessibleName(), lines.constFirst());
    QCOMPARE(details->verticalScrollBar()->isVisible(), values > 20);
    QPushButton *ok = box->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
    QVERIFY(ok->isVisible());
    QVERIFY(box->rect().contains(QRect(ok->mapTo(box.get(), QPoint(0, 0)), ok->size())));
    QTest::keyClick(ok, Qt::Key_Space);
    QCOMPARE(box->result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
