#include "core/FileError.h"

FileError::FileError(Action action, const QString &fileName, Reason reason, int systemError, const QString &detail)
    : std::runtime_error(fileName.toStdString()), m_action(action), m_fileName(fileName), m_reason(reason),
      m_systemError(systemError), m_detail(detail)
{
}

FileError FileError::shownAs(const QString &fileName) const
{
    return FileError(m_action, fileName, m_reason, m_systemError, m_detail);
}

bool FileError::operator==(const FileError &other) const
{
    return m_action == other.m_action && m_fileName == other.m_fileName && m_reason == other.m_reason
           && m_systemError == other.m_systemError && m_detail == other.m_detail;
}
