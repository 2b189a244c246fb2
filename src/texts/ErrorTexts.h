#pragma once
// The words of what the core reports: file errors, fields that are no
// number, a lost port, the end of a run and its steps.

#include "core/ConfigLayout.h"
#include "core/Errors.h"
#include "core/SerialPort.h"
#include "core/TransferRun.h"
#include "texts/Texts.h"

#include <QString>

// A file error in one language, on one line.
QString FileErrorLine(const FileError &error, Language language);
// A file error with its reason in detail, on one line that starts with the
// file ("site.ini: is not a regular file", "cannot write site.ini: the
// folder /x does not exist"), as the command line says it.
QString FileErrorDetailLine(const FileError &error, Language language);
// An error in one language; a file error on one line.
QString ErrorLine(const ReportedError &error, Language language);
// An error as the window shows it, whatever its language: a file error in
// German and English (German first, one line each; a file that cannot be
// written in German only), a field that is no number in German. These are
// the window's fixed error texts, which users and their notes quote.
QString WindowErrorText(const ReportedError &error);

// Why a port could not be opened, or was lost.
QString PortFailureReason(const PortFailure &failure, Language language);
// A port that could not be opened, on one line: why, and the hint on rights
// when the system refused it for rights. `notATerminal`: what the name
// leads to is a file, a folder or another kind of device.
QString PortOpenFailureLine(const PortFailure &failure, bool notATerminal, Language language);
// A working folder that could not be made in `folder`.
QString WorkingFolderErrorLine(const QString &folder, int systemError, Language language);
// The message of a lost port: what happened, and why.
QString PortLostText(const PortFailure &loss, Language language);

// How a run ended, as the window's progress label says it: "OK", or why it
// stopped (an error as the window shows it).
QString RunResultText(const RunResult &result, Language language);
// The progress text of a run's step; null for a step that shows none.
QString RunStepText(const RecordId &step, Language language);
