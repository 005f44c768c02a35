// Launching and finding processes. A process is named by a 64-bit serial
// number: its process id in the low 32 bits and the low 32 bits of its start
// time (clock ticks since boot) in the high ones, so a number never names a
// later process that happens to reuse the id.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

using PLProcessSerial = uint64_t;

PLProcessSerial PLCurrentProcessSerial();
// The serial number of a running process by id; 0 when there is none.
PLProcessSerial PLProcessSerialOf(int32_t pid);
inline int32_t PLProcessIDOf(PLProcessSerial serial) { return int32_t(uint32_t(serial)); }

// True while the process runs. A finished child of this process is reaped
// here, so it does not stay behind as a zombie. A serial number without a
// start time (high half 0) is checked by id alone.
bool PLProcessIsAlive(PLProcessSerial serial);

// True when the process with this id (running now) started later than
// `unixSeconds` (seconds since 1970), allowing a second for the clocks'
// rounding: a process that did something at that time cannot be this one.
bool PLProcessStartedAfter(int32_t pid, int64_t unixSeconds);

// Starts the program at `path` with the arguments (argv[0] is the path) and
// this process's environment. kQVErrFileNotFound when there is no executable
// file there, kQVErrIO when it cannot be started.
QVStatus PLLaunchProgram(const std::string& path, const std::vector<std::string>& arguments,
                         PLProcessSerial* serial);

// The first running process of this user, other than this one, whose
// executable file is named `programName` and whose environment variable
// `sameVariable` (when not null) has the value it has here (or is unset in
// both). 0 when none.
PLProcessSerial PLFindProcess(const char* programName, const char* sameVariable);

// The path of this process's own executable file; empty when unknown.
std::string PLExecutablePath();

// The path of the loaded file (program or shared module) that holds the
// code at `address`; empty when unknown.
std::string PLModulePathOf(const void* address);
