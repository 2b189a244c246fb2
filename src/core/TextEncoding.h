#pragma once
// How the text of a profile file is stored, told from its bytes, and the
// conversions between its UTF-16 and UTF-8 forms.

#include <QByteArray>
#include <QString>

// Told by the byte-order mark as Windows' profile functions tell it. Without
// a mark the file is Windows-1252, unless it is valid UTF-8 with characters
// beyond ASCII, as a Linux editor saves it, and does not say in [SOURCE]
// Encoding that it is windows-1252 (a Windows-1252 file whose bytes happen to
// form UTF-8 says so).
enum class TextEncoding { Ansi, Utf8, Utf16Le, Utf16Be };

TextEncoding EncodingOf(const QByteArray &content);

// True for valid UTF-8 that holds characters beyond ASCII.
bool IsUtf8BeyondAscii(const QByteArray &content);

// True when `bytes` hold at least one well-formed UTF-8 sequence of more than
// one byte: in a Windows-1252 value, text probably typed as UTF-8 ("Ã¼" for
// "ü").
bool LooksLikeUtf8(const QByteArray &bytes);

bool IsUtf16(TextEncoding encoding);

// The profile rules work on single bytes or UTF-8; UTF-16 text is handed to
// them as UTF-8 with its mark. `exact` tells whether the way back gives the
// same bytes (an odd byte count or a lone surrogate would not).
QByteArray Utf16AsUtf8(const QByteArray &content, bool big, bool *exact);

// UTF-8 text with its mark as UTF-16 with its mark, big- or little-endian.
QByteArray Utf8AsUtf16(const QByteArray &utf8WithBom, bool big);

// The first character of `text` that the file's text cannot hold, or an
// empty string. Unicode files hold everything but a lone surrogate.
QString UnstorableCharacter(const QString &text, bool unicode);

// `text` as a Unicode file (UTF-8) or a Windows-1252 file stores it.
QByteArray EncodeFor(const QString &text, bool unicode);
