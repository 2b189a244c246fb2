#pragma once
// Errors that the core raises and a front end shows to the user as they are.

#include <QString>
#include <stdexcept>

// The error of a text that should be a whole number and is not, with the
// program's run-time text "'<text>' ist kein gültiger Integerwert".
std::runtime_error ConversionError(const QString &text);

// The text of an error caught as std::exception (IniError keeps its own).
QString ErrorText(const std::exception &error);
