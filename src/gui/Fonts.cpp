#include "gui/Fonts.h"

#include <QPalette>
#include <QWidget>

#include <QStringList>

namespace {

QFont pixelFont(const QStringList &families, int pixels, bool bold)
{
    QFont font;
    // The original face comes second: where the packaged one is missing, the
    // system's own choice for it is still better than the default font.
    font.setFamilies(families);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

QFont FormFont(int pixels, bool bold)
{
    return pixelFont({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")}, pixels, bold);
}

QFont PageFont(int pixels, bool bold)
{
    return pixelFont({QStringLiteral("DejaVu Sans"), QStringLiteral("Verdana")}, pixels, bold);
}

void SetTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}
