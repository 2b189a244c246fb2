#pragma once
// The window's two typefaces, taken from fonts that the package installs, so
// that texts measure the same on every machine and fit the fixed layout.

#include <QColor>
#include <QFont>

class QWidget;

// Arial's widths: Liberation Sans is metric-compatible with it.
QFont FormFont(int pixels, bool bold = false);

// Verdana's widths: DejaVu Sans, Vera-based, is within a few per cent of
// them, and every caption of the layout has been measured with it.
QFont PageFont(int pixels, bool bold = false);

// The system's 3-D dark shadow colour of the version and progress labels.
inline const QColor DarkShadow(105, 105, 105);
void SetTextColour(QWidget *widget, const QColor &colour);
