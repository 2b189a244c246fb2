#pragma once
// The text operations of the gateway's ASCII protocol: framing a request,
// checking a reply line, four-digit hex and left padding. All work on
// single-byte (Windows-1252) strings and keep no state.

#include <QByteArray>
#include <QtGlobal>

// ">" + command + "<" + two upper-case hex digits of the byte sum of
// everything from ">" through "<". The caller adds CR LF.
QByteArray BuildRequestFrame(const QByteArray &command);

// True when the received line's checksum matches; anything before the first
// ">" and after the two digits behind the first "<" is ignored. Never throws.
bool CheckReplyFrame(const QByteArray &line);

// Exactly four upper-case hex digits, most significant first.
QByteArray HexWord(quint16 value);

// `text` left-filled with `fill` to `width`; never shortens.
QByteArray PadLeft(const QByteArray &text, int width, char fill);
