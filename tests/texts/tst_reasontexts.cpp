#include "texts/ReasonTexts.h"

#include <QtTest>

#include <cerrno>
#include <cstring>

class TestReasonTexts : public QObject
{
    Q_OBJECT
private slots:
    // The reasons a technician meets read in the window's language; any
    // other reason keeps the system's words.
    void reasonsInTheWindowsLanguage_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("german");
        QTest::addColumn<QString>("english");
        const auto system = [](int error) { return QString::fromLocal8Bit(std::strerror(error)); };
        QTest::newRow("no such device") << ENODEV << "Gerät nicht vorhanden" << "No such device";
        QTest::newRow("no device at the address") << ENXIO << "Gerät nicht vorhanden" << "No such device";
        QTest::newRow("no such file") << ENOENT << "Datei oder Verzeichnis nicht gefunden"
                                      << "No such file or directory";
        QTest::newRow("permission") << EACCES << "Keine Berechtigung" << "Permission denied";
        QTest::newRow("not permitted") << EPERM << "Keine Berechtigung" << "Permission denied";
        QTest::newRow("busy") << EBUSY << "Gerät oder Ressource belegt" << "Device or resource busy";
        QTest::newRow("locked by another program") << EAGAIN << "Gerät oder Ressource belegt"
                                                   << "Device or resource busy";
        QTest::newRow("I/O error") << EIO << "Ein-/Ausgabefehler" << "Input/output error";
        QTest::newRow("no space") << ENOSPC << "Kein Speicherplatz mehr auf dem Gerät" << "No space left on device";
        QTest::newRow("over quota") << EDQUOT << "Kein Speicherplatz mehr auf dem Gerät" << "No space left on device";
        QTest::newRow("read-only") << EROFS << "Schreibgeschütztes Dateisystem" << "Read-only file system";
        QTest::newRow("name too long") << ENAMETOOLONG << "Dateiname zu lang" << "File name too long";
        QTest::newRow("not a terminal") << ENOTTY << "Das Gerät ist kein serieller Anschluss (unpassender ioctl)"
                                        << "Inappropriate ioctl for device";
        QTest::newRow("a folder") << EISDIR << "Ist ein Verzeichnis" << "Is a directory";
        QTest::newRow("not a folder") << ENOTDIR << "Ist kein Verzeichnis" << "Not a directory";
        QTest::newRow("link loop") << ELOOP << "Zu viele Ebenen aus symbolischen Links"
                                   << "Too many levels of symbolic links";
        QTest::newRow("connection refused") << ECONNREFUSED << "Verbindungsaufbau abgelehnt" << "Connection refused";
        QTest::newRow("connection timed out") << ETIMEDOUT << "Die Wartezeit für die Verbindung ist abgelaufen"
                                              << "Connection timed out";
        QTest::newRow("rare: the system's words") << EPROTO << system(EPROTO) << system(EPROTO);
    }
    void reasonsInTheWindowsLanguage()
    {
        QFETCH(int, error);
        QFETCH(QString, german);
        QFETCH(QString, english);
        QCOMPARE(ReasonText(error, Language::German), german);
        QCOMPARE(ReasonText(error, Language::English), english);
    }

    // Whatever the process's locale, the German window shows no English
    // reason and the English one no German reason: every reason a technician
    // meets has words of its own in each language.
    void everyCommonReasonHasBothLanguages()
    {
        for (const int error : {ENOENT, EACCES, EBUSY, ENOTTY, EIO, ENOSPC, EROFS, ENXIO, ENODEV, EPERM, ELOOP,
                                ENAMETOOLONG, EISDIR, ENOTDIR, EAGAIN, EDQUOT, EINVAL, EEXIST, EXDEV, EFBIG, EMFILE,
                                ENFILE, ETXTBSY, ECONNREFUSED, ECONNRESET, ETIMEDOUT, EHOSTUNREACH, ENETUNREACH,
                                EPIPE}) {
            const QString german = ReasonText(error, Language::German);
            const QString english = ReasonText(error, Language::English);
            QVERIFY2(german != english, qPrintable(english));
            QVERIFY2(!german.isEmpty() && !english.isEmpty(), qPrintable(QString::number(error)));
        }
    }
};

QTEST_GUILESS_MAIN(TestReasonTexts)
#include "tst_reasontexts.moc"
