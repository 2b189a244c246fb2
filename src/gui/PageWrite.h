#pragma once
// The check of a page's write button: the record the page would send must
// fit its fields, and the working file must hold the gateway's settings at
// all; otherwise the user is told why nothing was sent.

#include "core/Records.h"
#include "texts/Texts.h"

#include <QString>

class ErrorReport;

// True when `record` may be sent; otherwise shows one message naming every
// value that does not fit (or the file that holds no settings) and returns
// false.
bool CheckPageWrite(const ErrorReport &report, const WorkingFile::Snapshot &stored, const Record &record,
                    const QString &fileName, Language language);
