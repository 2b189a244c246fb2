#pragma once
// The window's two typefaces, taken from fonts that the package installs, so
// that texts measure the same on every machine and fit the fixed layout.

#include <QFont>

// Arial's widths: Liberation Sans is metric-compatible with it.
QFont FormFont(int pixels, bool bold = false);

// Verdana's widths: DejaVu Sans, Vera-based, is within a few per cent of
// them, and every caption of the layout has been measured with it.
QFont PageFont(int pixels, bool bold = false);
