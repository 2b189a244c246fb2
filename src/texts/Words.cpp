#include "texts/Words.h"

#include <iterator>

namespace {

struct WordRow
{
    Words id;
    const char *text[2]; // German, English (UTF-8), in the order of IndexOfLanguage
};

// In the order of Words.
constexpr WordRow WordRows[] = {
    {Words::LostConnection, {"Die Verbindung zum Velmora ist unterbrochen: der serielle Anschluss ist nicht mehr vorhanden (Adapter abgezogen?).", "The connection to the Velmora was lost: the serial port is gone (adapter unplugged?)."}},
    {Words::PermissionHint, {"Der Benutzer muss eventuell Mitglied der Gruppe \u201Edialout\u201C sein, oder ein anderes Programm belegt den Anschluss.", "You may need to be a member of the \u201Cdialout\u201D group, or another program may hold the port."}},
    {Words::NoReply, {"Keine Antwort vom Velmora \u2013 Übertragung abgebrochen", "No reply from the Velmora \u2013 transfer stopped"}},
    {Words::NotTwoCharacters, {"ist nicht zwei Zeichen lang", "is not two characters"}},
    {Words::NameTooLong, {"ist länger als 10 Zeichen", "is longer than 10 characters"}},
    {Words::HeaderTooLong, {"ist länger als 40 Zeichen", "is longer than 40 characters"}},
    {Words::NotAPrinterModel, {"ist kein Druckermodell von 0 bis 3", "is not a printer model from 0 to 3"}},
    {Words::NotAnInterfaceIndex, {"ist keine Ziffer von 0 bis 5", "is not a digit from 0 to 5"}},
    {Words::StatusLight, {"Statusanzeige", "Status light"}},
    {Words::StatusLightRed, {"Rot: vom Velmora noch nicht bestätigt", "Red: not yet confirmed by the Velmora"}},
    {Words::StatusLightGreen, {"Grün: vom Velmora bestätigt", "Green: confirmed by the Velmora"}},
    {Words::NotTwoDigits, {"ist nicht zweistellig (00 bis 99)", "is not two digits (00 to 99)"}},
    {Words::TypedAsUtf8, {"sieht nach UTF-8 aus (%1) in einer Windows-1252-Datei", "looks typed as UTF-8 (%1) in a Windows-1252 file"}},
    {Words::ValueProblemsHeading, {"Nichts wurde zum Velmora übertragen: diese Werte passen nicht in ihr Feld.", "Nothing was sent to the Velmora: these values do not fit their field."}},
    {Words::SaveOntoItself, {"Das Ziel ist die geöffnete Konfiguration selbst.", "The target is the opened configuration itself."}},
    {Words::MissingFile, {"%1 gibt es nicht.", "%1 does not exist."}},
    {Words::NotOpenable, {"%1 ist keine gewöhnliche Datei und kann nicht geöffnet werden.", "%1 is not a regular file and cannot be opened."}},
    {Words::SaveFailed, {"Die Konfiguration konnte nicht nach %1 gespeichert werden.", "The configuration could not be saved to %1."}},
    {Words::NoFirmwareNamed, {"Die Konfiguration nennt keine Firmware, von der sie gelesen wurde.", "The configuration names no firmware it was read from."}},
    {Words::OtherFirmware, {"Die Konfiguration wurde von Firmware %1 gelesen, der Velmora hat Firmware %2.", "The configuration was read from firmware %1; the Velmora has firmware %2."}},
    {Words::ReadCutShortAfter, {"Das Lesen, aus dem sie stammt, wurde abgebrochen (%1 Datensätze gespeichert).", "The read that made it was cut short (%1 records stored)."}},
    {Words::ReadCutShort, {"Das Lesen, aus dem sie stammt, wurde abgebrochen.", "The read that made it was cut short."}},
    {Words::LacksOneValue, {"Ihr fehlt 1 Wert; der Velmora behält dafür seinen eigenen.", "It lacks 1 value; the Velmora keeps its own for it."}},
    {Words::LacksValues, {"Ihr fehlen %1 Werte; der Velmora behält dafür seine eigenen.", "It lacks %1 values; the Velmora keeps its own for them."}},
    {Words::OneValueTypedAsUtf8, {"1 Wert sieht aus, als wäre er in einer anderen Zeichenkodierung (UTF-8) eingegeben worden.", "1 value looks typed in another encoding (UTF-8)."}},
    {Words::ValuesTypedAsUtf8, {"%1 Werte sehen aus, als wären sie in einer anderen Zeichenkodierung (UTF-8) eingegeben worden.", "%1 values look typed in another encoding (UTF-8)."}},
    {Words::SkippedRecords, {"Nicht geschrieben, da die Firmware sie nicht hat: %1", "Not written, as the firmware lacks them: %1"}},
    {Words::RecordIsMissing, {"[%1]: fehlt (%2 Werte)", "[%1]: is missing (%2 values)"}},
    {Words::ChangesNothing, {"Die Übertragung ändert keinen Wert im Velmora.", "Writing changes no value on the Velmora."}},
    {Words::ComparisonSummary, {"Die Übertragung ändert %1 in %2 von %3 Datensätzen des Velmora.", "Writing changes %1 in %2 of %3 records of the Velmora."}},
    {Words::ComparisonLine, {"[%1] %2: Velmora %3, Datei %4", "[%1] %2: Velmora %3, file %4"}},
    {Words::ComparisonQuestion, {"Diese Änderungen zum Velmora übertragen?", "Send these changes to the Velmora?"}},
    {Words::ComparisonTable, {"Änderungen", "Changes"}},
    {Words::ComparisonMissing, {"(fehlt)", "(missing)"}},
    {Words::ComparisonKept, {"der Velmora behält seinen Wert", "the Velmora keeps its value"}},
    {Words::WriteDeclined, {"Nichts übertragen", "Nothing sent"}},
    {Words::NotTakenLine, {"[%1] %2: gesendet %3, der Velmora hat %4", "[%1] %2: sent %3, the Velmora has %4"}},
    {Words::NotTakenHeading, {"Der Velmora hat diese Werte nicht übernommen; die Konfiguration behält die gesendeten Werte:", "The Velmora did not take these values; the configuration keeps the values sent:"}},
    {Words::NotTakenLabel, {"Nicht alle Werte übernommen", "Not all values taken"}},
    {Words::NotARegularFileReason, {"keine gewöhnliche Datei", "not a regular file"}},
    {Words::CannotBeRead, {"%1 kann nicht gelesen werden: %2", "%1 cannot be read: %2"}},
    {Words::UntrustedLink, {"In %1 wird nicht geschrieben: die Datei ist eine Verknüpfung eines anderen Benutzers oder liegt in einem Ordner, in den andere schreiben dürfen.", "%1 is not written: it is a link owned by another user or lies in a folder that others may write to."}},
    {Words::DanglingLink, {"In %1 wird nicht geschrieben: die Verknüpfung zeigt auf keine Datei.", "%1 is not written: it is a link to a file that does not exist."}},
    {Words::UnstorableCharacter, {"Das Zeichen „%1“ (%2) kann in %3 nicht gespeichert werden.", "The character „%1“ (%2) cannot be stored in %3."}},
    {Words::InvalidUtf16, {"%1 ist kein gültiger UTF-16-Text und wird nicht verändert.", "%1 is not valid UTF-16 text and is left unchanged."}},
    {Words::HeldInMemory, {"Eine Konfiguration im Speicher wird nicht geändert.", "A configuration held in memory is not changed."}},
    {Words::IsFolderDetail, {"%1: ist ein Ordner, keine Konfigurationsdatei", "%1: is a folder, not a configuration file"}},
    {Words::NotRegularFileDetail, {"%1: ist keine gewöhnliche Datei", "%1: is not a regular file"}},
    {Words::DanglingLinkDetail, {"%1: ist eine Verknüpfung auf eine Datei, die es nicht gibt", "%1: is a link to a file that does not exist"}},
    {Words::CannotBeReadDetail, {"%1: kann nicht gelesen werden: %2", "%1: cannot be read: %2"}},
    {Words::ReadOnlyFileReason, {"die Datei ist schreibgeschützt", "the file is read-only"}},
    {Words::NoFolderReason, {"der Ordner %1 existiert nicht", "the folder %1 does not exist"}},
    {Words::NotAFolderReason, {"%1 ist kein Ordner", "%1 is not a folder"}},
    {Words::ReadOnlyFolderReason, {"in den Ordner %1 darf nicht geschrieben werden", "the folder %1 is not writable"}},
    {Words::NameTooLongReason, {"der Name ist zu lang", "the name is too long"}},
    {Words::CannotWriteDetail, {"In %1 kann nicht geschrieben werden: %2", "cannot write %1: %2"}},
    {Words::NotANumber, {"'%1' ist kein gültiger Integerwert", "'%1' is not a valid whole number"}},
    {Words::NoDeviceNamed, {"Kein Gerät für diesen Anschlussnamen.", "No device for this port name."}},
    {Words::NotASerialPort, {"ist kein serieller Anschluss (%1)", "is not a serial port (%1)"}},
    {Words::CannotOpenPort, {"der Anschluss lässt sich nicht öffnen: ", "cannot open the port: "}},
    {Words::NoWorkingFolder, {"In %1 kann kein Arbeitsordner angelegt werden: %2", "cannot create a working folder in %1: %2"}},
    {Words::RunStopped, {"Abgebrochen", "Stopped"}},
    {Words::BadRecord, {"Die Antwort des Velmora für %1 passt nicht zu seiner Firmware \u2013 Übertragung abgebrochen", "The Velmora's reply for %1 does not fit its firmware \u2013 transfer stopped"}},
    {Words::RecordsStored, {"%1 von %2 Datensätzen gespeichert, die übrigen sind unverändert.", "%1 of %2 records stored, the others are unchanged."}},
    {Words::NoAnswerOnPort, {"Keine Antwort vom Velmora an %1 \u2013 Kabel, Stromversorgung und gewählten Anschluss prüfen.", "No answer from the Velmora on %1 \u2013 check the cable, its power and the port chosen."}},
    {Words::HoldsFrameCharacter, {"enthält %1, das keine Anfrage übertragen kann", "holds %1, which no request can carry"}},
    {Words::HoldsControlCharacter, {"enthält das Steuerzeichen %1", "holds the control character %1"}},
    {Words::HoldsNoWindows1252, {"enthält %1, das es in Windows-1252 nicht gibt", "holds %1, which has no Windows-1252 form"}},
    {Words::KeyIsMissing, {"[%1] %2: fehlt", "[%1] %2: is missing"}},
    {Words::HoldsNoSettings, {"%1 enthält keine Einstellungen des Velmora; nichts wurde übertragen.", "%1 holds no settings of the Velmora; nothing was sent."}},
    {Words::OneValue, {"1 Wert", "1 value"}},
    {Words::SomeValues, {"%1 Werte", "%1 values"}},
    {Words::SectionColumn, {"Abschnitt", "Section"}},
    {Words::KeyColumn, {"Schlüssel", "Key"}},
    {Words::VelmoraColumn, {"Velmora", "Velmora"}},
    {Words::FileColumn, {"Datei", "File"}},
    {Words::NoteColumn, {"Hinweis", "Note"}},
    {Words::CannotWriteFile, {"In %1 kann nicht geschrieben werden", "cannot write %1"}},
    {Words::DeviceNotPresent, {"Gerät nicht vorhanden", "device not present"}},
    {Words::HungUp, {"Das Gerät hat die Verbindung getrennt", "The device hung up."}},
    {Words::PortLocked, {"Der Anschluss ist gesperrt: ein anderes Programm benutzt ihn, oder seine Sperrdatei kann nicht angelegt werden", "The port is locked: another program uses it, or its lock file cannot be created"}},
    {Words::BadNetworkAddress, {"Keine gültige Netzwerkadresse (rfc2217://HOST:PORT oder tcp://HOST:PORT).", "Not a valid network address (rfc2217://HOST:PORT or tcp://HOST:PORT)."}},
    {Words::HostNotFound, {"Der Rechnername ist unbekannt.", "Host not found."}},
    {Words::ConnectionRefused, {"Der Server hat die Verbindung abgelehnt.", "Connection refused by the server."}},
    {Words::ConnectTimeout, {"Keine Verbindung zum Server innerhalb der Wartezeit.", "No connection to the server within the connect time-out."}},
    {Words::ClosedByServer, {"Der Server hat die Verbindung beendet.", "The server closed the connection."}},
    {Words::LineSettingsRefused, {"Der Server hat die Leitungseinstellungen (9600 Baud, 8N1) nicht übernommen.", "The server refused the line settings (9600 baud, 8N1)."}},
    {Words::NetworkFailed, {"Das Netzwerk hat versagt: der Server ist nicht erreichbar.", "The network failed: the server cannot be reached."}},
    {Words::LostNetworkConnection, {"Die Verbindung zum Velmora ist unterbrochen: die Netzwerkverbindung zum Server besteht nicht mehr.", "The connection to the Velmora was lost: the network connection to the server ended."}},
    {Words::StepperPrevious, {"Zurück", "Previous"}},
    {Words::StepperNext, {"Weiter", "Next"}},
    {Words::RunProgress, {"Fortschritt", "Progress"}},
    {Words::TabScrollLeft, {"Nach links blättern", "Scroll left"}},
    {Words::TabScrollRight, {"Nach rechts blättern", "Scroll right"}},
    {Words::ReadPoints, {"Zapfstellen lesen", "Read points"}},
    {Words::ReadProduct, {"Produkt lesen", "Read product"}},
    {Words::WritePoints, {"Zapfstellen schreiben", "Write points"}},
    {Words::WriteProduct, {"Produkt schreiben", "Write product"}},
    {Words::PointsStatusLight, {"Statusanzeige Zapfstellen", "Status light of the points"}},
    {Words::ProductStatusLight, {"Statusanzeige Produkt", "Status light of the product"}},
};

constexpr bool inOrder()
{
    for (std::size_t i = 0; i < std::size(WordRows); ++i) {
        if (WordRows[i].id != Words(i))
            return false;
    }
    return true;
}
static_assert(inOrder(), "one row for each identifier, in its order");
static_assert(std::size(WordRows) == std::size_t(Words::Count));

} // namespace

QString Word(Words id, Language language)
{
    return QString::fromUtf8(WordRows[int(id)].text[IndexOfLanguage(language)]);
}
