#pragma once
// Trimming of received text, for the record parser and the monitor log.

#include <QString>

// `text` without blanks and control characters at both ends.
QString TrimControl(const QString &text);
