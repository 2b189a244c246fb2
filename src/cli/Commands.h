#pragma once
// The commands of velmora-cli, each from its parsed command line to the
// exit status; errors are thrown as CliError.

#include "cli/CommandLine.h"

#include <QString>

class ProgressBar;

enum Status { Success = 0, Differences = 1, Failure = 2, LogIncomplete = 3 };

// One line on standard output, file names with the bytes they have.
void printOut(const QString &line);

// The ports as the window lists them, one a line with what the system
// knows of each.
int commandPorts();
// read PORT FILE: the gateway's configuration into FILE, or to standard
// output for "-".
int commandRead(const CommandLine &line, ProgressBar &progress);
// write PORT FILE: FILE's values to the gateway, compared first when the
// tool cannot vouch for them, with an optional backup and read-back.
int commandWrite(const CommandLine &line, ProgressBar &progress);
// check FILE: the values that would not fit, keys missing for a firmware.
int commandCheck(const CommandLine &line);
// diff FILE1 FILE2: the values that differ.
int commandDiff(const CommandLine &line);
// True when diff's first argument names a gateway rather than a file.
bool namesAGateway(const QString &argument);
// diff PORT FILE: what writing FILE would change on the gateway.
int commandDiffGateway(const CommandLine &line, ProgressBar &progress);
