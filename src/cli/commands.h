// The subcommands of pylvexctl; each returns the program's exit status.
#pragma once

#include "cli/cli_options.h"

// The exit status of a command ended by SIGINT or SIGTERM (watch ends with 0).
inline constexpr int kExitInterrupted = 130;

int RunPorts(const CliRequest &request);
int RunStatus(const CliRequest &request);
int RunWatch(const CliRequest &request);
int RunParams(const CliRequest &request);
int RunProfile(const CliRequest &request);
int RunClock(const CliRequest &request);
// log alarm|protection and records.
int RunLogs(const CliRequest &request);
// upgrade FILE [--ymodem raw|wrapped].
int RunUpgrade(const CliRequest &request);
