#include "core/Errors.h"

NumberError::NumberError(const QString &text) : std::runtime_error(text.toStdString()), m_text(text)
{
}

ReportedError ReportedError::of(const std::exception &error)
{
    if (const auto *file = dynamic_cast<const FileError *>(&error))
        return ReportedError(*file);
    if (const auto *number = dynamic_cast<const NumberError *>(&error))
        return ReportedError(*number);
    ReportedError other;
    other.m_kind = Kind::Other;
    other.m_text = QString::fromUtf8(error.what());
    return other;
}

bool ReportedError::operator==(const ReportedError &other) const
{
    if (m_kind != other.m_kind || m_text != other.m_text)
        return false;
    return m_kind != Kind::File || *m_file == *other.m_file;
}
