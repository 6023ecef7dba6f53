// Runs one program under the debug API and hands each debug-output piece of it to the
// trace log, until the program ends.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "tvtrace/trace_log.h"

// The program's exit code; none when it could not be started (GetLastError tells why).
std::optional<DWORD> TraceProgram(const std::string& commandLine, TraceLog& log);
