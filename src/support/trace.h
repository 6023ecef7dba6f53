// The trace: every step of the run written to the system debug output, one
// OutputDebugStringA call per piece, so that a debugger or trace recorder captures the
// pieces exactly as written. While the run has a log file (RunLog), every piece goes to
// it too: no step can write one without the other.
#pragma once

#include <string>

#include "support/handles.h"

void Trace(const char* piece);
inline void Trace(const std::string& piece) { Trace(piece.c_str()); }

// A line that shows a value: the label, the value and the line end, as three pieces.
void TraceValue(const char* label, const std::string& value);

// The run's log file, appended to. From its construction it keeps the trace pieces until
// Open says where they go; from then on each piece is written and flushed to the disk
// before Trace returns, so a run cut off by a crash or a power loss keeps its log up to
// the step it was in. A log that cannot be opened or written changes nothing in the run:
// the trace says so once, and the run goes on without it. One RunLog at a time.
class RunLog {
 public:
  RunLog();
  ~RunLog();
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  // Opens `path` (created when missing) and writes the first line (local date and time,
  // computer name, program version, command line) and the pieces kept so far; an empty
  // path means no log, and the kept pieces are let go.
  void Open(const std::string& path);
  // The last line, with the run's exit code; the file is closed.
  void Close(int exitCode);

  // For Trace: appends a piece while the log is open, keeps it until then.
  void Append(const std::string& piece);

 private:
  bool Write(const std::string& text);
  void GiveUp(const char* why);

  enum class State { kKeeping, kOpen, kNone } state_ = State::kKeeping;
  std::string kept_;
  std::string path_;
  FileHandle file_;
};
