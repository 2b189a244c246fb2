#include "texts/ErrorTexts.h"

#include "core/Firmware.h"
#include "texts/ReasonTexts.h"
#include "texts/Words.h"

namespace {

QString characterCode(const QString &character)
{
    const char32_t cp = character.size() == 2 ? QChar::surrogateToUcs4(character.at(0), character.at(1))
                                              : (character.isEmpty() ? 0 : character.at(0).unicode());
    return QStringLiteral("U+%1").arg(uint(cp), 4, 16, QLatin1Char('0')).toUpper();
}

QString readErrorLine(const FileError &error, Language language)
{
    QString reason;
    if (error.reason() == FileError::Reason::IsFolder || error.reason() == FileError::Reason::NotRegularFile)
        reason = Word(Words::NotARegularFileReason, language);
    else
        reason = ReasonText(error.systemError(), language);
    return Word(Words::CannotBeRead, language).arg(error.fileName(), reason);
}

// The words of a write error that has words of its own; null for a write
// the file system refused (the file, its folder, the disk), which are all
// worded alike and which the window shows in German alone, as its fixed text.
QString ownWriteErrorLine(const FileError &error, Language language)
{
    const QString file = error.fileName();
    switch (error.reason()) {
    case FileError::Reason::UntrustedLink:
        return Word(Words::UntrustedLink, language).arg(file);
    case FileError::Reason::DanglingLink:
        return Word(Words::DanglingLink, language).arg(file);
    case FileError::Reason::UnstorableCharacter:
        return Word(Words::UnstorableCharacter, language).arg(error.character(), characterCode(error.character()), file);
    case FileError::Reason::InvalidUtf16:
        return Word(Words::InvalidUtf16, language).arg(file);
    case FileError::Reason::HeldInMemory:
        return Word(Words::HeldInMemory, language);
    default:
        return QString();
    }
}

bool isRefusedWrite(const FileError &error)
{
    return error.action() == FileError::Action::Write && ownWriteErrorLine(error, Language::German).isNull();
}

} // namespace

QString FileErrorLine(const FileError &error, Language language)
{
    if (error.action() == FileError::Action::Read)
        return readErrorLine(error, language);
    if (const QString own = ownWriteErrorLine(error, language); !own.isNull())
        return own;
    return Word(Words::CannotWriteFile, language).arg(error.fileName());
}

QString FileErrorDetailLine(const FileError &error, Language language)
{
    using Reason = FileError::Reason;
    const QString file = error.fileName();
    switch (error.reason()) {
    case Reason::IsFolder:
        return Word(Words::IsFolderDetail, language).arg(file);
    case Reason::NotRegularFile:
        return Word(Words::NotRegularFileDetail, language).arg(file);
    default:
        break;
    }
    if (error.action() == FileError::Action::Read) {
        if (error.reason() == Reason::DanglingLink)
            return Word(Words::DanglingLinkDetail, language).arg(file);
        if (error.systemError() != 0)
            return Word(Words::CannotBeReadDetail, language).arg(file, ReasonText(error.systemError(), language));
        return FileErrorLine(error, language);
    }
    QString reason;
    switch (error.reason()) {
    case Reason::ReadOnlyFile:
        reason = error.systemError() != 0 ? ReasonText(error.systemError(), language)
                                          : Word(Words::ReadOnlyFileReason, language);
        break;
    case Reason::NoFolder:
        reason = Word(Words::NoFolderReason, language).arg(error.folder());
        break;
    case Reason::NotAFolder:
        reason = Word(Words::NotAFolderReason, language).arg(error.folder());
        break;
    case Reason::ReadOnlyFolder:
        reason = Word(Words::ReadOnlyFolderReason, language).arg(error.folder());
        break;
    case Reason::NameTooLong:
        reason = Word(Words::NameTooLongReason, language);
        break;
    case Reason::SystemError:
        reason = ReasonText(error.systemError(), language);
        break;
    default:
        return FileErrorLine(error, language);
    }
    return Word(Words::CannotWriteDetail, language).arg(file, reason);
}

QString ErrorLine(const ReportedError &error, Language language)
{
    switch (error.kind()) {
    case ReportedError::Kind::File:
        return FileErrorLine(error.fileError(), language);
    case ReportedError::Kind::NotANumber:
        return Word(Words::NotANumber, language).arg(error.text());
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
        return Word(Words::NoDeviceNamed, language);
    case PortFailure::Cause::Locked:
        return LockedText(language);
    case PortFailure::Cause::System:
        break;
    }
    if (failure.systemError != 0)
        return ReasonText(failure.systemError, language);
    return SerialErrorText(failure.serialError, language);
}

QString PortOpenFailureLine(const PortFailure &failure, bool notATerminal, Language language)
{
    const QString reason = PortFailureReason(failure, language).simplified();
    QString line = notATerminal ? Word(Words::NotASerialPort, language).arg(reason)
                                : Word(Words::CannotOpenPort, language) + reason;
    if (failure.isPermissionError())
        line += QStringLiteral(" (") + PermissionHintText(language).simplified() + u')';
    return line;
}

QString WorkingFolderErrorLine(const QString &folder, int systemError, Language language)
{
    return Word(Words::NoWorkingFolder, language).arg(folder, ReasonText(systemError, language));
}

QString PortLostText(const PortFailure &loss, Language language)
{
    return LostConnectionText(language) + QStringLiteral("\n\n") + PortFailureReason(loss, language);
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
        return Word(Words::RunStopped, language);
    case RunResult::Outcome::BadRecord:
        return Word(Words::BadRecord, language).arg(ConfigLayout::section(result.record));
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
