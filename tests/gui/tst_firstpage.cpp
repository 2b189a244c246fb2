// The about side of the first page: pictures, links, hover styles, flags.

#include "ModalAnswer.h"
#include "WindowFixture.h"

#include "core/IniFile.h"
#include "gui/AboutLinks.h"
#include "gui/ErrorReport.h"
#include "gui/JpegImage.h"
#include "gui/PageControl.h"
#include "gui/PointsPage.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

bool near(QRgb pixel, const QColor &expected)
{
    const int tolerance = 40; // JPEG blurs small pictures
    return qAbs(qRed(pixel) - expected.red()) <= tolerance
           && qAbs(qGreen(pixel) - expected.green()) <= tolerance
           && qAbs(qBlue(pixel) - expected.blue()) <= tolerance;
}

QByteArray resourceBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestFirstPage : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;
    QStringList m_opened;
    bool m_openerResult = true;

    QString iniPath() const { return f->iniPath(); }

    // Links followed are recorded, not opened.
    void start()
    {
        f->start();
        f->window->setAddressOpener([this](const QString &address) {
            m_opened << address;
            return m_openerResult;
        });
    }
    // The program started again on the same folder.
    void restart() { start(); }

    template <class T = QWidget>
    T *child(const char *name) const
    {
        return f->window->findChild<T *>(QString::fromLatin1(name));
    }

    QString caption(const char *name) const
    {
        if (auto *label = child<QLabel>(name))
            return label->text();
        if (auto *button = child<QAbstractButton>(name))
            return button->text();
        return QStringLiteral("<missing %1>").arg(QLatin1String(name));
    }

private slots:
    void init()
    {
        f = std::make_unique<WindowFixture>();
        QVERIFY(f->dir.isValid());
        m_opened.clear();
        m_openerResult = true;
    }

    void cleanup()
    {
        f.reset();
        QVERIFY(!QApplication::overrideCursor());
    }

    void embeddedPicturesDecode_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("at1");
        QTest::addColumn<QColor>("colour1");
        QTest::addColumn<QPoint>("at2");
        QTest::addColumn<QColor>("colour2");
        QTest::addColumn<QPoint>("at3");
        QTest::addColumn<QColor>("colour3");
        QTest::newRow("logo") << ":/pictures/logo.jpg" << QSize(220, 47)
                              << QPoint(2, 2) << QColor(31, 58, 95)        // band
                              << QPoint(24, 12) << QColor(188, 207, 19)    // drop
                              << QPoint(100, 39) << QColor(188, 207, 19);  // underline
        QTest::newRow("German flag") << ":/pictures/flag_de.jpg" << QSize(32, 20)
                                     << QPoint(16, 2) << QColor(0, 0, 0)
                                     << QPoint(16, 10) << QColor(221, 0, 0)
                                     << QPoint(16, 17) << QColor(255, 206, 0);
        QTest::newRow("British flag") << ":/pictures/flag_gb.jpg" << QSize(32, 20)
                                      << QPoint(15, 10) << QColor(200, 16, 46)
                                      << QPoint(9, 1) << QColor(1, 33, 105)
                                      << QPoint(13, 2) << QColor(255, 255, 255);
    }
    void embeddedPicturesDecode()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QFETCH(QPoint, at1);
        QFETCH(QColor, colour1);
        QFETCH(QPoint, at2);
        QFETCH(QColor, colour2);
        QFETCH(QPoint, at3);
        QFETCH(QColor, colour3);
        const QImage image = DecodeJpeg(resourceBytes(path));
        QCOMPARE(image.size(), size);
        QVERIFY2(near(image.pixel(at1), colour1), qPrintable(QColor(image.pixel(at1)).name()));
        QVERIFY2(near(image.pixel(at2), colour2), qPrintable(QColor(image.pixel(at2)).name()));
        QVERIFY2(near(image.pixel(at3), colour3), qPrintable(QColor(image.pixel(at3)).name()));
    }

    void aboutPanelShowsPictures()
    {
        start();
        auto *logo = child<QLabel>("Image");
        QCOMPARE(logo->pixmap().size(), QSize(220, 47));
        QCOMPARE(logo->geometry(), QRect(40, 47, 220, 47));
        QCOMPARE(child<QLabel>("Image1")->pixmap().size(), QSize(32, 20));
        QCOMPARE(child<QLabel>("Image2")->pixmap().size(), QSize(32, 20));
        QVERIFY(f->errors.isEmpty());
    }

    void damagedJpegGivesEmptyImage_data()
    {
        const QByteArray logo = resourceBytes(QStringLiteral(":/pictures/logo.jpg"));
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("cut in the scan") << logo.left(logo.size() / 2);
        QTest::newRow("end marker missing") << logo.left(logo.size() - 2);
        QTest::newRow("cut in the header") << logo.left(120);
        QTest::newRow("start marker only") << QByteArray("\xFF\xD8", 2);
        QTest::newRow("not a JPEG") << QByteArray("P6\n2 2\n255\n0123456789AB");
        QTest::newRow("empty") << QByteArray();
    }
    void damagedJpegGivesEmptyImage()
    {
        QFETCH(QByteArray, data);
        QVERIFY(!resourceBytes(QStringLiteral(":/pictures/logo.jpg")).isEmpty());
        QVERIFY(DecodeJpeg(data).isNull());
    }

    void flagClicksSwitchAndStoreLanguage_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<int>("language");
        QTest::newRow("English flag") << QByteArray("0") << "Image2" << 1;
        QTest::newRow("German flag") << QByteArray("1") << "Image1" << 0;
        QTest::newRow("German flag while German") << QByteArray("0") << "Image1" << 0;
        QTest::newRow("English flag while English") << QByteArray("1") << "Image2" << 1;
    }
    void flagClicksSwitchAndStoreLanguage()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, flag);
        QFETCH(int, language);
        {
            QFile file(iniPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Speech]\r\nSpeech= " + stored + "\r\n");
        }
        start();
        QTest::mouseClick(f->window->findChild<QLabel *>(flag), Qt::LeftButton);
        QCOMPARE(f->window->language(), language);
        // Rewritten even when unchanged: the blank before the value is gone.
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "[Speech]\r\nSpeech=" + QByteArray::number(language) + "\r\n");
        file.close();

        const bool en = language == 1;
        QCOMPARE(caption("Button1"), en ? QStringLiteral("Connect") : QStringLiteral("Verbinden"));
        // Qt's own dialogs switch too.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"),
                 en ? QStringLiteral("&Yes") : QStringLiteral("&Ja"));
        QCOMPARE(caption("Label1"), en ? QStringLiteral("Select COM port:")
                                       : QStringLiteral("COM Port auswählen:"));
        // Pages built after the choice show it too.
        f->window->setEditorPagesVisible(true);
        QCOMPARE(caption("Button7"),
                 en ? QStringLiteral("Open file") : QStringLiteral("Datei öffnen"));
        QCOMPARE(caption("Label18"),
                 en ? QStringLiteral("Printer model") : QStringLiteral("Druckermodell"));
        QCOMPARE(f->window->pageControl()->tabText(f->window->pageControl()->indexOf(f->window->pointsPage())),
                 en ? QStringLiteral("Configuration") : QStringLiteral("Konfiguration"));

        restart();
        QCOMPARE(f->window->language(), language);
        QCOMPARE(caption("Button1"), en ? QStringLiteral("Connect") : QStringLiteral("Verbinden"));
        QVERIFY(f->errors.isEmpty());
    }

    void flagClickWhileOnlineKeepsDisconnectCaption()
    {
        start();
        f->goOnline();
        QCOMPARE(f->window->statusText(MainWindow::LinkStatePanel), QStringLiteral("ONLINE"));
        QTest::mouseClick(child<QLabel>("Image2"), Qt::LeftButton);
        QCOMPARE(caption("Button1"), QStringLiteral("Disconnect"));
        QTest::mouseClick(child<QLabel>("Image1"), Qt::LeftButton);
        QCOMPARE(caption("Button1"), QStringLiteral("Trennen"));
    }

    void flagClickSwitchesEvenWhenTheChoiceCannotBeStored()
    {
        start();
        QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const QByteArray before = resourceBytes(iniPath());
        QTest::mouseClick(child<QLabel>("Image2"), Qt::LeftButton);
        QCOMPARE(f->window->language(), 1);
        QCOMPARE(caption("Button1"), QStringLiteral("Connect"));
        QCOMPARE(f->errors.size(), 1);
        QVERIFY2(f->errors.first().contains(iniPath()), qPrintable(f->errors.first()));
        QCOMPARE(resourceBytes(iniPath()), before);
    }

    void mailTargetCarriesTheSubjectUnescaped()
    {
        QCOMPARE(MailTarget(QStringLiteral("mailto:service@example.com")),
                 QStringLiteral("mailto:service@example.com?subject=PC / Velmora 1.1.1"));
    }

    void linksOpenTheirAddress_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("message");
        const QString web = QStringLiteral("https://www.example.com");
        const QString mail =
            QStringLiteral("mailto:service@example.com?subject=PC / Velmora 1.1.1");
        QTest::newRow("web") << "LabelUrl" << true << 0 << web << false;
        QTest::newRow("web, nothing opens it") << "LabelUrl" << false << 0 << web << false;
        QTest::newRow("mail") << "LabelMailto" << true << 0 << mail << false;
        QTest::newRow("mail, no mail program") << "LabelMailto" << false << 0 << mail << true;
        QTest::newRow("mail, no mail program, English")
            << "LabelMailto" << false << 1 << mail << true;
    }
    void linksOpenTheirAddress()
    {
        QFETCH(QString, label);
        QFETCH(bool, opens);
        QFETCH(int, language);
        QFETCH(QString, address);
        QFETCH(bool, message);
        start();
        f->window->setLanguage(language);
        m_openerResult = opens;
        auto seen = answerNextMessageBox(QMessageBox::Ok, f->window.get());
        QTest::mouseClick(f->window->findChild<QLabel *>(label), Qt::LeftButton);
        QCOMPARE(m_opened, QStringList{address});
        QCOMPARE(seen->seen, message);
        if (message) {
            QCOMPARE(seen->text, QStringLiteral("No mail program installed!"));
            QCOMPARE(seen->caption, QStringLiteral("PC / Velmora"));
            QCOMPARE(seen->icon, QMessageBox::NoIcon);
        }
        QVERIFY(f->errors.isEmpty());
    }

    void hoverStylesFollowTheMouse()
    {
        start();
        auto *web = child<QLabel>("LabelUrl");
        auto *mail = child<QLabel>("LabelMailto");
        const auto enter = [](QWidget *w) {
            QEnterEvent event(QPointF(1, 1), QPointF(1, 1), w->mapToGlobal(QPointF(1, 1)));
            QCoreApplication::sendEvent(w, &event);
        };
        const auto leave = [](QWidget *w) {
            QEvent event(QEvent::Leave);
            QCoreApplication::sendEvent(w, &event);
        };
        const auto hand = [] {
            return QApplication::overrideCursor()
                   && QApplication::overrideCursor()->shape() == Qt::PointingHandCursor;
        };
        const auto style = [](QLabel *l) {
            return QStringLiteral("%1%2%3")
                .arg(l->font().bold() ? "bold " : "", l->font().underline() ? "underline " : "",
                     l->palette().color(QPalette::WindowText).name());
        };
        QCOMPARE(style(web), QStringLiteral("underline #0000ff"));

        enter(web);
        QVERIFY(hand());
        QCOMPARE(style(web), QStringLiteral("bold underline #0000ff"));
        QCOMPARE(web->font().pixelSize(), 11);

        // Straight from one link onto the other.
        leave(web);
        enter(mail);
        QVERIFY(hand());
        QCOMPARE(style(web), QStringLiteral("underline #0000ff"));
        QCOMPARE(style(mail), QStringLiteral("bold underline #0000ff"));

        leave(mail);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(style(mail), QStringLiteral("underline #0000ff"));

        // Closing the window under the mouse gives the cursor back too.
        enter(mail);
        f->window.reset();
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(TestFirstPage)
#include "tst_firstpage.moc"
