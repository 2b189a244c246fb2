#include "core/Errors.h"

#include "core/SafeFile.h"

std::runtime_error ConversionError(const QString &text)
{
    return std::runtime_error(
        QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text).toStdString());
}

QString ErrorText(const std::exception &error)
{
    if (const auto *ini = dynamic_cast<const IniError *>(&error))
        return ini->text();
    return QString::fromUtf8(error.what());
}
