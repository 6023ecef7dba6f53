#include "tvtrace/invocation.h"

#include "support/ascii.h"

const char kUsage[] =
    "usage: tvtrace [/pieces] <log file> <program> [arguments]\n"
    "Runs the program, writes everything it sends to the debug output into the log\n"
    "file as it arrives, and ends with the program's exit code.\n"
    "  /pieces  one output call per line, with \\n, \\r, \\t, \\\\ and \\xHH escapes\n";

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

// Takes the first argument off `text` and returns it without its quotes. A quote
// starts or ends a quoted run, in which blanks belong to the argument.
std::string TakeArgument(std::string_view& text) {
  text = SkipBlanks(text);
  std::string argument;
  bool quoted = false;
  while (!text.empty() && (quoted || !IsBlank(text.front()))) {
    if (text.front() == '"') {
      quoted = !quoted;
    } else {
      argument += text.front();
    }
    text.remove_prefix(1);
  }
  return argument;
}

}  // namespace

Invocation ReadInvocation(std::string_view commandLine) {
  Invocation invocation;
  TakeArgument(commandLine);  // tvtrace's own name
  std::string argument = TakeArgument(commandLine);
  if (EqualIgnoringAsciiCase(argument, "/pieces") || EqualIgnoringAsciiCase(argument, "-pieces")) {
    invocation.pieces = true;
    argument = TakeArgument(commandLine);
  }
  invocation.logPath = argument;
  invocation.programCommandLine = std::string(SkipBlanks(commandLine));
  if (invocation.logPath.empty()) {
    invocation.error = "no log file given";
  } else if (invocation.programCommandLine.empty()) {
    invocation.error = "no program given";
  }
  return invocation;
}
