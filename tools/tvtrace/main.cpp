// tvtrace.exe: captures the debug output of a program, such as tvuninst.exe, into a
// log file for support, and ends with that program's exit code.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tvtrace/debug_session.h"
#include "tvtrace/hex_text.h"
#include "tvtrace/invocation.h"
#include "tvtrace/trace_log.h"

namespace {

// tvtrace's own failures; the traced program's exit codes are passed through unchanged.
constexpr int kCannotTrace = 9009;

// Console lines are composed as strings and written whole (see hex_text.h for why not
// with printf).
void Say(const std::string& message) {
  std::fputs(("tvtrace: " + message + "\n").c_str(), stderr);
}

int Fail(const std::string& message) {
  Say(message);
  return kCannotTrace;
}

}  // namespace

int main() {
  const Invocation invocation = ReadInvocation(GetCommandLineA());
  if (!invocation.error.empty()) {
    std::fputs(kUsage, stderr);
    return Fail(invocation.error);
  }
  TraceLog log(invocation.logPath, invocation.pieces);
  if (!log.Open()) {
    return Fail("cannot write the log file " + invocation.logPath + " (error " +
                std::to_string(GetLastError()) + ")");
  }
  const std::optional<DWORD> exitCode = TraceProgram(invocation.programCommandLine, log);
  if (!exitCode) {
    const std::string failure = "cannot run " + invocation.programCommandLine + " (error " +
                                std::to_string(GetLastError()) + ")";
    log.WriteNote(failure);
    return Fail(failure);
  }
  Say("trace written to " + invocation.logPath + "; the program ended with exit code " +
      std::to_string(static_cast<LONG>(*exitCode)) + " (" + HexText(*exitCode, 8) + ")");
  return static_cast<int>(*exitCode);
}
