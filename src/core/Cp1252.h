#pragma once
// Windows-1252, the single-byte text of the working configuration file and
// of the gateway's records.

#include <QByteArray>
#include <QString>

namespace Cp1252 {

// Every byte maps to one character; the five bytes that Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of
// the same code, as Windows does.
QString decode(const QByteArray &bytes);

// Encodes text; a character without a Windows-1252 byte becomes '?', and
// `lossless` (when given) tells whether every character had one.
QByteArray encode(const QString &text, bool *lossless = nullptr);

// True when every character of `text` has a Windows-1252 byte.
bool canEncode(const QString &text);

} // namespace Cp1252
