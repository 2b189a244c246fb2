#include "texts/ErrorTexts.h"

#include "core/Firmware.h"
#include "texts/ReasonTexts.h"

namespace {

bool german(Language language)
{
    return language == Language::German;
}

QString characterCode(const QString &character)
{
    const char32_t cp = character.size() == 2 ? QChar::surrogateToUcs4(character.at(0), character.at(1))
                                              : (character.isEmpty() ? 0 : character.at(0).unicode());
    return QStringLiteral("U+%1").arg(uint(cp), 4, 16, QLatin1Char('0')).toUpper();
}

QString readErrorLine(const IniError &error, Language language)
{
    const bool de = german(language);
    QString reason;
    if (error.reason() == IniError::Reason::IsFolder || error.reason() == IniError::Reason::NotRegularFile)
        reason = de ? QStringLiteral("keine gewöhnliche Datei") : QStringLiteral("not a regular file");
    else
        reason = ReasonText(error.systemError(), language);
    return (de ? QStringLiteral("%1 kann nicht gelesen werden: %2") : QStringLiteral("%1 cannot be read: %2"))
        .arg(error.fileName(), reason);
}

// The words of a write error that has words of its own; null for a write
// the file system refused (the file, its folder, the disk), which are all
// worded alike and which the window shows in German alone, as its fixed text.
QString ownWriteErrorLine(const IniError &error, Language language)
{
    const bool de = german(language);
    const QString file = error.fileName();
    switch (error.reason()) {
    case IniError::Reason::UntrustedLink:
        return (de ? QStringLiteral("In %1 wird nicht geschrieben: die Datei ist eine Verknüpfung eines anderen "
                                    "Benutzers oder liegt in einem Ordner, in den andere schreiben dürfen.")
                   : QStringLiteral("%1 is not written: it is a link owned by another user or lies in a folder "
                                    "that others may write to."))
            .arg(file);
    case IniError::Reason::DanglingLink:
        return (de ? QStringLiteral("In %1 wird nicht geschrieben: die Verknüpfung zeigt auf keine Datei.")
                   : QStringLiteral("%1 is not written: it is a link to a file that does not exist."))
            .arg(file);
    case IniError::Reason::UnstorableCharacter:
        return (de ? QStringLiteral("Das Zeichen „%1“ (%2) kann in %3 nicht gespeichert werden.")
                   : QStringLiteral("The character „%1“ (%2) cannot be stored in %3."))
            .arg(error.character(), characterCode(error.character()), file);
    case IniError::Reason::InvalidUtf16:
        return (de ? QStringLiteral("%1 ist kein gültiger UTF-16-Text und wird nicht verändert.")
                   : QStringLiteral("%1 is not valid UTF-16 text and is left unchanged."))
            .arg(file);
    case IniError::Reason::HeldInMemory:
        return de ? QStringLiteral("Eine Konfiguration im Speicher wird nicht geändert.")
                  : QStringLiteral("A configuration held in memory is not changed.");
    default:
        return QString();
    }
}

bool isRefusedWrite(const IniError &error)
{
    return error.action() == IniError::Action::Write && ownWriteErrorLine(error, Language::German).isNull();
}

} // namespace

QString FileErrorLine(const IniError &error, Language language)
{
    if (error.action() == IniError::Action::Read)
        return readErrorLine(error, language);
    if (const QString own = ownWriteErrorLine(error, language); !own.isNull())
        return own;
    return german(language) ? QStringLiteral("In ") + error.fileName() + QStringLiteral(" kann nicht geschrieben werden")
                            : QStringLiteral("cannot write ") + error.fileName();
}

QString ErrorLine(const ReportedError &error, Language language)
{
    switch (error.kind()) {
    case ReportedError::Kind::File:
        return FileErrorLine(error.fileError(), language);
    case ReportedError::Kind::NotANumber:
        return (german(language) ? QStringLiteral("'%1' ist kein gültiger Integerwert")
                                 : QStringLiteral("'%1' is not a valid whole number"))
            .arg(error.text());
    case ReportedError::Kind::Other:
        return error.text();
    case ReportedError::Kind::None:
        break;
    }
    return QString();
}

QString WindowErrorText(const ReportedError &error)
{
    if (error.kind() != ReportedError::Kind::File || isRefusedWrite(error.fileError()))
        return ErrorLine(error, Language::German);
    return FileErrorLine(error.fileError(), Language::German) + u'\n'
           + FileErrorLine(error.fileError(), Language::English);
}

QString PortFailureReason(const PortFailure &failure, Language language)
{
    switch (failure.cause) {
    case PortFailure::Cause::HungUp:
        return HungUpText(language);
    case PortFailure::Cause::NotPresent:
        return NotPresentText(language);
    case PortFailure::Cause::NoDevice:
        return german(language) ? QStringLiteral("Kein Gerät für diesen Anschlussnamen.")
                                : QStringLiteral("No device for this port name.");
    case PortFailure::Cause::BadAddress:
        return german(language)
                   ? QStringLiteral("Keine gültige Netzwerkadresse (rfc2217://HOST:PORT oder tcp://HOST:PORT).")
                   : QStringLiteral("Not a valid network address (rfc2217://HOST:PORT or tcp://HOST:PORT).");
    case PortFailure::Cause::HostNotFound:
        return german(language) ? QStringLiteral("Der Rechnername ist unbekannt.")
                                : QStringLiteral("Host not found.");
    case PortFailure::Cause::ConnectionRefused:
        return german(language) ? QStringLiteral("Der Server hat die Verbindung abgelehnt.")
                                : QStringLiteral("Connection refused by the server.");
    case PortFailure::Cause::ConnectTimeout:
        return german(language) ? QStringLiteral("Keine Verbindung zum Server innerhalb der Wartezeit.")
                                : QStringLiteral("No connection to the server within the connect time-out.");
    case PortFailure::Cause::ClosedByServer:
        return german(language) ? QStringLiteral("Der Server hat die Verbindung beendet.")
                                : QStringLiteral("The server closed the connection.");
    case PortFailure::Cause::SettingsRefused:
        return german(language)
                   ? QStringLiteral("Der Server hat die Leitungseinstellungen (9600 Baud, 8N1) nicht übernommen.")
                   : QStringLiteral("The server refused the line settings (9600 baud, 8N1).");
    case PortFailure::Cause::NetworkFailed:
        return german(language) ? QStringLiteral("Das Netzwerk hat versagt: der Server ist nicht erreichbar.")
                                : QStringLiteral("The network failed: the server cannot be reached.");
    case PortFailure::Cause::Locked:
        return LockedText(language);
    case PortFailure::Cause::System:
        break;
    }
    if (failure.systemError != 0)
        return ReasonText(failure.systemError, language);
    return SerialErrorText(failure.serialError, language);
}

QString PortLostText(const PortFailure &loss, Language language)
{
    // A network port has no adapter to pull: its loss is the connection's.
    const bool network = loss.cause == PortFailure::Cause::ClosedByServer
                         || loss.cause == PortFailure::Cause::NetworkFailed;
    const QString lost = !network ? LostConnectionText(language)
                         : german(language)
                             ? QStringLiteral("Die Verbindung zum Velmora ist unterbrochen: die Netzwerkverbindung "
                                              "zum Server besteht nicht mehr.")
                             : QStringLiteral("The connection to the Velmora was lost: the network connection to "
                                              "the server ended.");
    return lost + QStringLiteral("\n\n") + PortFailureReason(loss, language);
}

QString RunResultText(const RunResult &result, Language language)
{
    switch (result.outcome) {
    case RunResult::Outcome::Ok:
        return QStringLiteral("OK");
    case RunResult::Outcome::NoReply:
        return NoReplyText(language);
    case RunResult::Outcome::NotTaken:
        return NotTakenLabelText(language);
    case RunResult::Outcome::ValuesRefused:
        return ValueProblemsText({}, language);
    case RunResult::Outcome::Failed:
        return WindowErrorText(result.error);
    case RunResult::Outcome::PortLost:
        return LostConnectionText(language);
    case RunResult::Outcome::Stopped:
        return german(language) ? QStringLiteral("Abgebrochen") : QStringLiteral("Stopped");
    case RunResult::Outcome::BadRecord:
        return (german(language)
                    ? QStringLiteral("Die Antwort des Velmora für %1 passt nicht zu seiner Firmware \u2013 "
                                     "Übertragung abgebrochen")
                    : QStringLiteral("The Velmora's reply for %1 does not fit its firmware \u2013 transfer stopped"))
            .arg(ConfigLayout::section(result.record));
    }
    return QString();
}

QString RunStepText(const RecordId &step, Language language)
{
    switch (step.kind) {
    case RecordKind::Points:
        return CaptionText(Caption::DispensingPointStep, language) + QLatin1Char(AddressChars[step.number]);
    case RecordKind::Product:
        return CaptionText(Caption::ProductStep, language) + QString::number(step.number);
    case RecordKind::Interface:
        // The interface step is captioned in German in both languages: its
        // caption is the tab's name, which both languages share.
        return CaptionText(Caption::InterfaceTab, Language::German);
    case RecordKind::Printer:
        break;
    }
    return QString();
}
