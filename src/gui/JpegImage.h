#pragma once
// JPEG pictures decoded with libjpeg's own API, not through Qt's image plug-ins.

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes JPEG data into an RGB image. Corrupt or truncated data gives a
// null image; nothing is printed and nothing is thrown.
QImage DecodeJpeg(const QByteArray &data);

// Decodes the JPEG file or resource at `path` (e.g. ":/pictures/logo.jpg").
QImage LoadJpeg(const QString &path);
