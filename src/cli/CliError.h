#pragma once
// An error that ends velmora-cli with status 2; its text is the one line
// shown on standard error and names the port or file and the reason.

#include <QString>
#include <stdexcept>

class CliError : public std::runtime_error
{
public:
    explicit CliError(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};
