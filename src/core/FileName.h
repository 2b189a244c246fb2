#pragma once
// File names as the system has them: bytes, which need not be UTF-8.

#include <QByteArray>
#include <QString>

// The bytes that name `path` on this system: UTF-8, and the bytes of a name
// that is not UTF-8 given back exactly as DecodeFileName kept them.
QByteArray EncodeFileName(const QString &path);
// A file name's bytes as text: valid UTF-8 is decoded, every other byte is
// kept as a lone surrogate U+DC80..U+DCFF, so that EncodeFileName gives the
// same bytes back and the name reaches the same file.
QString DecodeFileName(const QByteArray &bytes);
