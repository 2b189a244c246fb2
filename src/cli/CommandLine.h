#pragma once
// The command line of velmora-cli: one command, its arguments, the options.

#include <QString>
#include <QStringList>

struct CommandLine
{
    enum class Command { Help, Version, Ports, Read, Write, Diff, Check };

    Command command = Command::Help;
    QStringList arguments; // PORT FILE, FILE1 FILE2, or FILE
    QString backup;        // write --backup
    QString log;           // read, write --log: the traffic as the monitor shows it
    bool verify = true;    // write without --no-verify
    bool force = false;    // write --force: also when the comparison finds changes
    bool dryRun = false;   // write --dry-run: compare only
    QString firmware;      // check --firmware
    bool quiet = false;
    int timeoutMs = 10000; // connect --timeout
    int replyTimeoutMs = 3000; // --reply-timeout: each reply of a run
    int connectTimeoutMs = 5000; // --connect-timeout: a network port's server

    // Throws CliError for an unknown command or option, a missing or extra
    // argument, an option the command does not take, or a bad time-out.
    static CommandLine parse(const QStringList &argv);
    static QString helpText();
};
