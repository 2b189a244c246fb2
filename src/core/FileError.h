#pragma once
// The error of every file the program reads or replaces, as a value.

#include <QString>
#include <stdexcept>

// A file that could not be read or written (the working file, save-as, a
// backup, a log): what was done to which file, what stood in the way, and
// its particulars. A front end words it.
class FileError : public std::runtime_error
{
public:
    enum class Action { Read, Write };
    enum class Reason {
        Other,
        UntrustedLink,  // a link owned by another user or in a folder others may write
        DanglingLink,   // a link to nothing
        IsFolder,
        NotRegularFile, // a FIFO, a device, a socket
        ReadOnlyFile,
        NoFolder,       // the folder of the file does not exist
        NotAFolder,     // a part of the path is no folder
        ReadOnlyFolder,
        NameTooLong,
        SystemError,    // a call of the system failed: systemError() tells which error
        UnstorableCharacter, // detail(): a character the file's encoding cannot hold
        InvalidUtf16,   // a UTF-16 file whose text is broken is left as it is
        HeldInMemory,   // a configuration held in memory is not written
    };

    FileError(Action action, const QString &fileName, Reason reason, int systemError = 0,
             const QString &detail = QString());
    Action action() const { return m_action; }
    // The file as the user named it.
    QString fileName() const { return m_fileName; }
    Reason reason() const { return m_reason; }
    // The system's error number, 0 when there is none.
    int systemError() const { return m_systemError; }
    // The folder that NoFolder, NotAFolder and ReadOnlyFolder speak of.
    QString folder() const { return m_detail; }
    // The character that UnstorableCharacter speaks of.
    QString character() const { return m_detail; }

    // The same error, told of `fileName`: a working copy's error is the
    // error of the file the user named.
    FileError shownAs(const QString &fileName) const;

    bool operator==(const FileError &other) const;

private:
    Action m_action;
    QString m_fileName;
    Reason m_reason;
    int m_systemError;
    QString m_detail;
};
