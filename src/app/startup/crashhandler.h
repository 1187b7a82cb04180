// Crash dump writer: the fatal signals (SIGSEGV, SIGABRT, SIGBUS, SIGFPE,
// SIGILL) write "<yyyymmdd>_<hhmm>_bms_core_dump.dmp" into the given folder
// (the program's Log folder) with the signal, the time and a backtrace, then
// the default action ends the process. The handler uses async-signal-safe calls only; everything else
// (the local-time offset, the loaded unwinder) is prepared beforehand.
#pragma once

#include <cstddef>
#include <cstdint>

namespace crash {

// The marker file that turns the dump off when present in the current folder
// or in the dump folder.
inline constexpr const char *kNoDumpMarker = "NoCoreDump.dmp";

// Installs the handler for the fatal signals unless the marker file exists.
// folder: where the dump is written (it must exist); empty: the current folder.
// Returns whether the handler is installed.
bool InstallCrashHandler(const char *folder = "");
bool CrashHandlerInstalled();

// Re-reads the local time offset the handler uses to name the file (call it
// now and then so a change of daylight saving time is followed).
void RefreshCrashClock();

// "%d%02d%02d_%02d%02d_bms_core_dump.dmp" for a local time given in seconds
// since 1970-01-01 00:00 local time. Writes at most size bytes including the
// terminating zero; returns the length. Async-signal-safe.
std::size_t FormatDumpName(std::int64_t localSeconds, char *out, std::size_t size);

// Test hook: when the environment variable PYLVEX_TEST_CRASH names a fatal
// signal ("segv", "abort", "bus", "fpe", "ill"), the process dies of it here;
// "segv-thread" faults on a second thread.
void CrashIfAsked();

} // namespace crash
