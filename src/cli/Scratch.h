#pragma once
// The working copies of one command (the file a read fills, the write's
// echoes, replies outside a run) in a folder only this user may enter,
// beside the file the command replaces and under the hidden name of its
// temporary copies (.NAME.velmora-temp-XXXXXX); a command that replaces no
// file keeps it in the program's folder. Never in the system's temporary
// folder, where a killed command would leave a site's configuration behind.
//
// The folder goes when the command ends. One that a killed command left, the
// next command beside the same file removes; the lock that a running command
// holds on its folder keeps that one from being taken for such.

#include <QByteArray>
#include <QString>

class Scratch
{
public:
    // Beside `target`, the path that replacing the user's file `shownAs`
    // writes (empty: no file of the user's; then errors name the folder).
    // Removes what killed commands left there first. Throws CliError.
    Scratch(const QString &target, const QString &shownAs);
    ~Scratch();
    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;

    QString path(const char *name) const;
    // A working copy holding `content`. Throws CliError naming `shownAs`.
    QString copy(const char *name, const QByteArray &content) const;
    // Removes a working copy no longer needed, so that its space is free.
    void remove(const char *name) const;
    // The bytes of a working copy. Throws CliError.
    static QByteArray contents(const QString &file);

private:
    QString m_shownAs;
    QByteArray m_folder;
    int m_fd = -1;
};
