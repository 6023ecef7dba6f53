// What tvtrace was asked to do, read from its own command line:
//   tvtrace [/pieces] <log file> <program> [arguments of the program]
// The program's part is passed on exactly as typed, quotes included.
#pragma once

#include <string>
#include <string_view>

struct Invocation {
  bool pieces = false;             // one escaped piece per line instead of the plain text
  std::string logPath;             // where the trace goes
  std::string programCommandLine;  // the program and its arguments, as typed
  std::string error;               // why the command line cannot be used; empty when it can
};

// `commandLine` is tvtrace's whole command line, its own name first.
Invocation ReadInvocation(std::string_view commandLine);

extern const char kUsage[];
