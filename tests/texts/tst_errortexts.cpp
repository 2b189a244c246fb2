#include "texts/ErrorTexts.h"

#include <QtTest>

#include <cerrno>

Q_DECLARE_METATYPE(FileError::Action)
Q_DECLARE_METATYPE(FileError::Reason)

class TestErrorTexts : public QObject
{
    Q_OBJECT
private slots:
    // Every file error as the window shows it (the texts users know) and as
    // one English line (velmora-cli).
    void fileErrors_data()
    {
        QTest::addColumn<FileError::Action>("action");
        QTest::addColumn<FileError::Reason>("reason");
        QTest::addColumn<int>("systemError");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("english");
        using A = FileError::Action;
        using R = FileError::Reason;
        QTest::newRow("read: no permission")
            << A::Read << R::SystemError << EACCES << QString()
            << "/x/V.ini kann nicht gelesen werden: Keine Berechtigung\n/x/V.ini cannot be read: Permission denied"
            << "/x/V.ini cannot be read: Permission denied";
        QTest::newRow("read: a folder")
            << A::Read << R::IsFolder << 0 << QString()
            << "/x/V.ini kann nicht gelesen werden: keine gewöhnliche Datei\n/x/V.ini cannot be read: not a regular file"
            << "/x/V.ini cannot be read: not a regular file";
        QTest::newRow("write: disk full") << A::Write << R::SystemError << ENOSPC << QString()
                                          << "In /x/V.ini kann nicht geschrieben werden" << "cannot write /x/V.ini";
        QTest::newRow("write: no folder") << A::Write << R::NoFolder << ENOENT << "/x"
                                          << "In /x/V.ini kann nicht geschrieben werden" << "cannot write /x/V.ini";
        QTest::newRow("write: another user's link")
            << A::Write << R::UntrustedLink << 0 << QString()
            << "In /x/V.ini wird nicht geschrieben: die Datei ist eine Verknüpfung eines anderen Benutzers oder liegt "
               "in einem Ordner, in den andere schreiben dürfen.\n/x/V.ini is not written: it is a link owned by "
               "another user or lies in a folder that others may write to."
            << "/x/V.ini is not written: it is a link owned by another user or lies in a folder that others may "
               "write to.";
        QTest::newRow("write: a link to nothing")
            << A::Write << R::DanglingLink << 0 << QString()
            << "In /x/V.ini wird nicht geschrieben: die Verknüpfung zeigt auf keine Datei.\n/x/V.ini is not written: "
               "it is a link to a file that does not exist."
            << "/x/V.ini is not written: it is a link to a file that does not exist.";
        QTest::newRow("write: a character beyond the encoding")
            << A::Write << R::UnstorableCharacter << 0 << QStringLiteral("\u20AC")
            << "Das Zeichen „€“ (U+20AC) kann in /x/V.ini nicht gespeichert werden.\nThe character „€“ (U+20AC) "
               "cannot be stored in /x/V.ini."
            << "The character „€“ (U+20AC) cannot be stored in /x/V.ini.";
        QTest::newRow("write: a character beyond the basic plane")
            << A::Write << R::UnstorableCharacter << 0 << QStringLiteral("\U0001F600")
            << "Das Zeichen „\U0001F600“ (U+1F600) kann in /x/V.ini nicht gespeichert werden.\nThe character "
               "„\U0001F600“ (U+1F600) cannot be stored in /x/V.ini."
            << "The character „\U0001F600“ (U+1F600) cannot be stored in /x/V.ini.";
        QTest::newRow("write: broken UTF-16")
            << A::Write << R::InvalidUtf16 << 0 << QString()
            << "/x/V.ini ist kein gültiger UTF-16-Text und wird nicht verändert.\n/x/V.ini is not valid UTF-16 text "
               "and is left unchanged."
            << "/x/V.ini is not valid UTF-16 text and is left unchanged.";
        QTest::newRow("write: held in memory")
            << A::Write << R::HeldInMemory << 0 << QString()
            << "Eine Konfiguration im Speicher wird nicht geändert.\nA configuration held in memory is not changed."
            << "A configuration held in memory is not changed.";
    }
    void fileErrors()
    {
        QFETCH(FileError::Action, action);
        QFETCH(FileError::Reason, reason);
        QFETCH(int, systemError);
        QFETCH(QString, detail);
        QFETCH(QString, window);
        QFETCH(QString, english);
        const ReportedError error{FileError(action, QStringLiteral("/x/V.ini"), reason, systemError, detail)};
        QCOMPARE(WindowErrorText(error), window);
        QCOMPARE(ErrorLine(error, Language::English), english);
        // The German line is the window's first.
        QCOMPARE(ErrorLine(error, Language::German), window.section(u'\n', 0, 0));
    }

    // A field that is no number keeps the window's German text; other
    // errors keep the system's words.
    void otherErrors()
    {
        const ReportedError number{NumberError(QStringLiteral("x7"))};
        QCOMPARE(WindowErrorText(number), QStringLiteral("'x7' ist kein gültiger Integerwert"));
        QCOMPARE(ErrorLine(number, Language::English), QStringLiteral("'x7' is not a valid whole number"));
        const ReportedError other = ReportedError::of(std::runtime_error("std::bad_alloc"));
        QCOMPARE(WindowErrorText(other), QStringLiteral("std::bad_alloc"));
        QVERIFY(ReportedError::of(NumberError(QStringLiteral("x7"))) == number);
        QVERIFY(number != ReportedError::of(NumberError(QStringLiteral("x8"))));
    }

    // A file error with its reason in detail, as the command line says it.
    void fileErrorsInDetail_data()
    {
        QTest::addColumn<FileError::Action>("action");
        QTest::addColumn<FileError::Reason>("reason");
        QTest::addColumn<int>("systemError");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("german");
        QTest::addColumn<QString>("english");
        using A = FileError::Action;
        using R = FileError::Reason;
        QTest::newRow("read: missing") << A::Read << R::SystemError << ENOENT << QString()
                                       << "/x/V.ini: kann nicht gelesen werden: Datei oder Verzeichnis nicht gefunden"
                                       << "/x/V.ini: cannot be read: No such file or directory";
        QTest::newRow("read: a link to nothing") << A::Read << R::DanglingLink << 0 << QString()
                                                 << "/x/V.ini: ist eine Verknüpfung auf eine Datei, die es nicht gibt"
                                                 << "/x/V.ini: is a link to a file that does not exist";
        QTest::newRow("a folder") << A::Read << R::IsFolder << 0 << QString()
                                  << "/x/V.ini: ist ein Ordner, keine Konfigurationsdatei"
                                  << "/x/V.ini: is a folder, not a configuration file";
        QTest::newRow("a FIFO") << A::Write << R::NotRegularFile << 0 << QString()
                                << "/x/V.ini: ist keine gewöhnliche Datei" << "/x/V.ini: is not a regular file";
        QTest::newRow("write: read-only file") << A::Write << R::ReadOnlyFile << 0 << QString()
                                               << "In /x/V.ini kann nicht geschrieben werden: die Datei ist schreibgeschützt"
                                               << "cannot write /x/V.ini: the file is read-only";
        QTest::newRow("write: read-only file system") << A::Write << R::ReadOnlyFile << EROFS << QString()
                                                      << "In /x/V.ini kann nicht geschrieben werden: Schreibgeschütztes Dateisystem"
                                                      << "cannot write /x/V.ini: Read-only file system";
        QTest::newRow("write: no folder") << A::Write << R::NoFolder << ENOENT << "/x"
                                          << "In /x/V.ini kann nicht geschrieben werden: der Ordner /x existiert nicht"
                                          << "cannot write /x/V.ini: the folder /x does not exist";
        QTest::newRow("write: not a folder") << A::Write << R::NotAFolder << ENOTDIR << "/x"
                                             << "In /x/V.ini kann nicht geschrieben werden: /x ist kein Ordner"
                                             << "cannot write /x/V.ini: /x is not a folder";
        QTest::newRow("write: read-only folder")
            << A::Write << R::ReadOnlyFolder << EACCES << "/x"
            << "In /x/V.ini kann nicht geschrieben werden: in den Ordner /x darf nicht geschrieben werden"
            << "cannot write /x/V.ini: the folder /x is not writable";
        QTest::newRow("write: name too long") << A::Write << R::NameTooLong << ENAMETOOLONG << QString()
                                              << "In /x/V.ini kann nicht geschrieben werden: der Name ist zu lang"
                                              << "cannot write /x/V.ini: the name is too long";
        QTest::newRow("write: disk full") << A::Write << R::SystemError << ENOSPC << QString()
                                          << "In /x/V.ini kann nicht geschrieben werden: Kein Speicherplatz mehr auf dem Gerät"
                                          << "cannot write /x/V.ini: No space left on device";
        QTest::newRow("write: the line of its own")
            << A::Write << R::DanglingLink << 0 << QString()
            << "In /x/V.ini wird nicht geschrieben: die Verknüpfung zeigt auf keine Datei."
            << "/x/V.ini is not written: it is a link to a file that does not exist.";
    }
    void fileErrorsInDetail()
    {
        QFETCH(FileError::Action, action);
        QFETCH(FileError::Reason, reason);
        QFETCH(int, systemError);
        QFETCH(QString, detail);
        QFETCH(QString, german);
        QFETCH(QString, english);
        // Told of the file the user named, not of the working copy it was.
        const FileError error =
            FileError(action, QStringLiteral("/x/.velmora-temp-ab12cd/read.ini"), reason, systemError, detail)
                .shownAs(QStringLiteral("/x/V.ini"));
        QCOMPARE(FileErrorDetailLine(error, Language::German), german);
        QCOMPARE(FileErrorDetailLine(error, Language::English), english);
    }

    // A port that does not open, on the command line's one line.
    void portOpenFailures_data()
    {
        QTest::addColumn<int>("cause");
        QTest::addColumn<int>("serialError");
        QTest::addColumn<int>("systemError");
        QTest::addColumn<bool>("notATerminal");
        QTest::addColumn<QString>("german");
        QTest::addColumn<QString>("english");
        using C = PortFailure::Cause;
        QTest::newRow("a regular file") << int(C::System) << int(QSerialPort::UnsupportedOperationError) << ENOTTY
                                        << true
                                        << "ist kein serieller Anschluss (Das Gerät ist kein serieller Anschluss "
                                           "(unpassender ioctl))"
                                        << "is not a serial port (Inappropriate ioctl for device)";
        QTest::newRow("gone") << int(C::NotPresent) << int(QSerialPort::DeviceNotFoundError) << ENOENT << false
                              << "der Anschluss lässt sich nicht öffnen: Gerät nicht vorhanden"
                              << "cannot open the port: device not present";
        QTest::newRow("no rights")
            << int(C::System) << int(QSerialPort::PermissionError) << EACCES << false
            << "der Anschluss lässt sich nicht öffnen: Keine Berechtigung (Der Benutzer muss eventuell Mitglied der "
               "Gruppe \u201Edialout\u201C sein, oder ein anderes Programm belegt den Anschluss.)"
            << "cannot open the port: Permission denied (You may need to be a member of the \u201Cdialout\u201D "
               "group, or another program may hold the port.)";
    }
    void portOpenFailures()
    {
        QFETCH(int, cause);
        QFETCH(int, serialError);
        QFETCH(int, systemError);
        QFETCH(bool, notATerminal);
        QFETCH(QString, german);
        QFETCH(QString, english);
        const PortFailure failure{PortFailure::Cause(cause), QSerialPort::SerialPortError(serialError), systemError};
        QCOMPARE(PortOpenFailureLine(failure, notATerminal, Language::German), german);
        QCOMPARE(PortOpenFailureLine(failure, notATerminal, Language::English), english);
    }

    void portFailures_data()
    {
        QTest::addColumn<int>("cause");
        QTest::addColumn<int>("serialError");
        QTest::addColumn<int>("systemError");
        QTest::addColumn<QString>("german");
        QTest::addColumn<QString>("english");
        using C = PortFailure::Cause;
        QTest::newRow("hung up") << int(C::HungUp) << int(QSerialPort::ResourceError) << 0
                                 << "Das Gerät hat die Verbindung getrennt" << "The device hung up.";
        QTest::newRow("device gone") << int(C::NotPresent) << int(QSerialPort::DeviceNotFoundError) << ENOENT
                                     << "Gerät nicht vorhanden" << "device not present";
        QTest::newRow("no device named") << int(C::NoDevice) << int(QSerialPort::DeviceNotFoundError) << 0
                                         << "Kein Gerät für diesen Anschlussnamen." << "No device for this port name.";
        QTest::newRow("locked by another program")
            << int(C::Locked) << int(QSerialPort::PermissionError) << 0
            << "Der Anschluss ist gesperrt: ein anderes Programm benutzt ihn, oder seine Sperrdatei kann nicht angelegt werden"
            << "The port is locked: another program uses it, or its lock file cannot be created";
        QTest::newRow("device file removed") << int(C::System) << int(QSerialPort::ResourceError) << ENODEV
                                             << "Gerät nicht vorhanden" << "No such device";
        QTest::newRow("no rights") << int(C::System) << int(QSerialPort::PermissionError) << EACCES
                                   << "Keine Berechtigung" << "Permission denied";
        QTest::newRow("not a terminal") << int(C::System) << int(QSerialPort::UnsupportedOperationError) << ENOTTY
                                        << "Das Gerät ist kein serieller Anschluss (unpassender ioctl)"
                                        << "Inappropriate ioctl for device";
        QTest::newRow("Qt's kind only") << int(C::System) << int(QSerialPort::ResourceError) << 0
                                        << "Der Anschluss ist nicht mehr verfügbar" << "The port is no longer available";
    }
    void portFailures()
    {
        QFETCH(int, cause);
        QFETCH(int, serialError);
        QFETCH(int, systemError);
        QFETCH(QString, german);
        QFETCH(QString, english);
        const PortFailure failure{PortFailure::Cause(cause), QSerialPort::SerialPortError(serialError), systemError};
        QCOMPARE(PortFailureReason(failure, Language::German), german);
        QCOMPARE(PortFailureReason(failure, Language::English), english);
        QCOMPARE(PortLostText(failure, Language::German),
                 QStringLiteral("Die Verbindung zum Velmora ist unterbrochen: der serielle Anschluss ist nicht mehr "
                                "vorhanden (Adapter abgezogen?).\n\n")
                     + german);
    }

    // What a run's end and its steps say in the window.
    void runTexts()
    {
        using O = RunResult::Outcome;
        QCOMPARE(RunResultText({O::Ok, {}}, Language::English), QStringLiteral("OK"));
        QCOMPARE(RunResultText({O::NoReply, {}}, Language::German),
                 QStringLiteral("Keine Antwort vom Velmora \u2013 Übertragung abgebrochen"));
        QCOMPARE(RunResultText({O::NotTaken, {}}, Language::English), QStringLiteral("Not all values taken"));
        QCOMPARE(RunResultText({O::ValuesRefused, {}}, Language::German),
                 QStringLiteral("Nichts wurde zum Velmora übertragen: diese Werte passen nicht in ihr Feld."));
        const FileError refused(FileError::Action::Write, QStringLiteral("/x/V.ini"), FileError::Reason::ReadOnlyFile);
        QCOMPARE(RunResultText({O::Failed, ReportedError(refused)}, Language::English),
                 QStringLiteral("In /x/V.ini kann nicht geschrieben werden"));
        // A reply that does not fit names the record's section.
        QCOMPARE(RunResultText({O::BadRecord, {}, {RecordKind::Points, 3}}, Language::German),
                 QStringLiteral("Die Antwort des Velmora für QVR3 passt nicht zu seiner Firmware \u2013 "
                                "Übertragung abgebrochen"));
        QCOMPARE(RunResultText({O::BadRecord, {}, {RecordKind::Product, 12}}, Language::English),
                 QStringLiteral("The Velmora's reply for PRODUKT12 does not fit its firmware \u2013 transfer stopped"));

        QCOMPARE(RunStepText({RecordKind::Points, 11}, Language::German), QStringLiteral("Zapfstelle: B"));
        QCOMPARE(RunStepText({RecordKind::Product, 3}, Language::English), QStringLiteral("Product data: 3"));
        QCOMPARE(RunStepText({RecordKind::Interface, 0}, Language::English), QStringLiteral("Interface"));
        QVERIFY(RunStepText({RecordKind::Printer, 0}, Language::German).isNull());
    }
};

QTEST_GUILESS_MAIN(TestErrorTexts)
#include "tst_errortexts.moc"
