#include "texts/ReasonTexts.h"

#include <QtTest>

#include <cerrno>
#include <cstring>

class TestReasonTexts : public QObject
{
    Q_OBJECT
private slots:
    // The common reasons read in the window's language, whether they come as
    // an error number, in the system's words or already in the other
    // language; any other reason keeps the system's words.
    void reasonsInTheWindowsLanguage_data()
    {
        QTest::addColumn<int>("error"); // 0: the reason comes as words only
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("german");
        QTest::addColumn<QString>("english");
        const auto system = [](int error) { return QString::fromLocal8Bit(std::strerror(error)); };
        QTest::newRow("no such device") << ENODEV << system(ENODEV) << "Gerät nicht vorhanden" << "No such device";
        QTest::newRow("no device at the address") << ENXIO << system(ENXIO) << "Gerät nicht vorhanden" << "No such device";
        QTest::newRow("no such file") << ENOENT << system(ENOENT) << "Datei oder Verzeichnis nicht gefunden"
                                      << "No such file or directory";
        QTest::newRow("permission") << EACCES << system(EACCES) << "Keine Berechtigung" << "Permission denied";
        QTest::newRow("not permitted") << EPERM << system(EPERM) << "Keine Berechtigung" << "Permission denied";
        QTest::newRow("busy") << EBUSY << system(EBUSY) << "Gerät oder Ressource belegt" << "Device or resource busy";
        QTest::newRow("locked by another program") << EAGAIN << system(EAGAIN) << "Gerät oder Ressource belegt"
                                                   << "Device or resource busy";
        QTest::newRow("I/O error") << EIO << system(EIO) << "Ein-/Ausgabefehler" << "Input/output error";
        QTest::newRow("no space") << ENOSPC << system(ENOSPC) << "Kein Speicherplatz mehr auf dem Gerät"
                                  << "No space left on device";
        QTest::newRow("read-only") << EROFS << system(EROFS) << "Schreibgeschütztes Dateisystem"
                                   << "Read-only file system";
        QTest::newRow("name too long") << ENAMETOOLONG << system(ENAMETOOLONG) << "Dateiname zu lang"
                                       << "File name too long";
        QTest::newRow("hung up") << 0 << HungUpText(Language::English) << "Das Gerät hat die Verbindung getrennt"
                                 << "The device hung up.";
        QTest::newRow("locked by another program's lock file")
            << 0 << "Permission error while locking the device"
            << "Der Anschluss ist gesperrt: ein anderes Programm benutzt ihn, oder seine Sperrdatei kann nicht angelegt werden"
            << "The port is locked: another program uses it, or its lock file cannot be created";
        QTest::newRow("already German") << 0 << "Keine Berechtigung" << "Keine Berechtigung" << "Permission denied";
        QTest::newRow("rare: the system's words") << EPROTO << system(EPROTO) << system(EPROTO) << system(EPROTO);
        QTest::newRow("not a common reason") << 0 << "Unknown error" << "Unknown error" << "Unknown error";
    }
    void reasonsInTheWindowsLanguage()
    {
        QFETCH(int, error);
        QFETCH(QString, words);
        QFETCH(QString, german);
        QFETCH(QString, english);
        QCOMPARE(ReasonText(words, Language::German), german);
        QCOMPARE(ReasonText(words, Language::English), english);
        if (error != 0) {
            QCOMPARE(ReasonText(error, Language::German), german);
            QCOMPARE(ReasonText(error, Language::English), english);
        }
    }
};

QTEST_GUILESS_MAIN(TestReasonTexts)
#include "tst_reasontexts.moc"
