// The window reaching a gateway at another site: a file ports/COM<n> that
// names a server's address, listed and opened like any other port.

#include "core/GatewaySession.h"
#include "core/IniFile.h"
#include "gui/MainWindow.h"

#include "ServerFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestWindowNetwork : public QObject
{
    Q_OBJECT
private slots:
    void readAllThroughAnAddressFile_data()
    {
        QTest::addColumn<ServerFixture::Server>("server");
        QTest::newRow("ser2net rfc2217") << ServerFixture::Server::Ser2netRfc2217;
        QTest::newRow("socat") << ServerFixture::Server::Socat;
    }
    void readAllThroughAnAddressFile()
    {
        QFETCH(ServerFixture::Server, server);
        ServerFixture site;
        QVERIFY(site.startSimulator({"--firmware", "311"}));
        QVERIFY(site.startServer(server));
        QVERIFY(QDir().mkpath(site.path("ports")));
        QFile alias(site.path("ports/COM12"));
        QVERIFY(alias.open(QIODevice::WriteOnly));
        alias.write(site.address().toUtf8() + "\n");
        alias.close();

        QStringList errors;
        MainWindow form(site.dir.path() + u'/');
        form.setErrorReporter([&errors](const QString &text) { errors << text; });
        form.show();
        auto *list = form.findChild<QComboBox *>("cb_COM_Port");
        const int index = list->findText("COM12");
        QVERIFY(index >= 0);
        QCOMPARE(list->itemData(index, Qt::ToolTipRole).toString(), site.address());
        list->setCurrentIndex(index);

        QTest::mouseClick(form.findChild<QPushButton *>("Button1"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form.session().versionText(), QStringLiteral("3.11"), 10000);
        QCOMPARE(form.statusText(MainWindow::PortPanel), QStringLiteral("COM12"));
        auto *label = form.findChild<QLabel *>("Label5");
        QTest::mouseClick(form.findChild<QPushButton *>("ButtonAlleDatenLesen"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("OK"), 20000);
        const QString file = form.workingFile().path();
        QCOMPARE(ReadIniValue(file, "PRINTER", "Head", "-"), QStringLiteral("Simulierte Kopfzeile"));
        QCOMPARE(ReadIniValue(file, "PRODUKT10", "Name", "-"), QStringLiteral("Sim 10"));
        QCOMPARE(ReadIniValue(file, "QVR15", "EDV4", "-"), QStringLiteral("50"));
        QCOMPARE(ReadIniValue(file, "QVR23", "EDV10", "-"), QStringLiteral("%1").arg((23 * 5 + 9 * 11 + 40) % 99 + 1, 2, 10, QChar('0')));
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    }
};

QTEST_MAIN(TestWindowNetwork)
#include "tst_window_network.moc"
