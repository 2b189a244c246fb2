#pragma once
// The write requests of the gateway's records, built from values that the
// caller takes from a page's controls or from the working configuration file.

#include <QByteArray>
#include <QList>

// "C1Z" + address character + qualities of points 1-4 + EDV numbers of
// points 1-4, then quality and EDV number of point 5 when `hasPoint5`, then
// of points 6 to 10 in turn when `hasTenPoints`. `quality` and `edv` hold the
// ten points' two-character values.
QByteArray PointsWriteRequest(char address, const QList<QByteArray> &quality,
                              const QList<QByteArray> &edv, bool hasPoint5, bool hasTenPoints);

// "C1P" + number (two digits) + quality + name right-aligned in 10 characters.
QByteArray ProductWriteRequest(int number, const QByteArray &quality, const QByteArray &name);

// "C1D" + model (two characters, "0"-filled) + header filled with blanks to 40.
QByteArray PrinterWriteRequest(const QByteArray &model, const QByteArray &header);

// "C1I" + the four interface indexes, one digit each.
QByteArray InterfaceWriteRequest(const QList<int> &indexes);

// A stored interface value as the gateway takes it: its number when it is
// one of 0..5, else 3 (the default).
int InterfaceIndexOf(const QString &stored);
