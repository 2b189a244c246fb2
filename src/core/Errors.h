#pragma once
// The errors the core raises and reports. They say what happened and its
// particulars, never in words: each front end puts them into its language.

#include "core/FileError.h"

#include <QString>
#include <optional>
#include <stdexcept>

// A text that should be a whole number and is not: a number field of a
// reply, or an entry of the user's.
class NumberError : public std::runtime_error
{
public:
    explicit NumberError(const QString &text);
    // The text as it came.
    QString text() const { return m_text; }

private:
    QString m_text;
};

// An error as a value, to be carried by signals and compared: a file that
// cannot be read or written, a text that is not a whole number, or anything
// else that was thrown, with only the system's words for it.
class ReportedError
{
public:
    enum class Kind { None, File, NotANumber, Other };

    // No error: a store that succeeded.
    ReportedError() = default;
    explicit ReportedError(const FileError &error) : m_kind(Kind::File), m_file(error) {}
    explicit ReportedError(const NumberError &error) : m_kind(Kind::NotANumber), m_text(error.text()) {}
    // Whatever `error` is, by its type.
    static ReportedError of(const std::exception &error);

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::None; }
    // The file error; only for Kind::File.
    const FileError &fileError() const { return *m_file; }
    // The text that is not a number, or the system's words of another error.
    QString text() const { return m_text; }

    bool operator==(const ReportedError &other) const;
    bool operator!=(const ReportedError &other) const { return !(*this == other); }

private:
    Kind m_kind = Kind::None;
    std::optional<FileError> m_file;
    QString m_text;
};
