// The trace: every step of the run written to the system debug output, one
// OutputDebugStringA call per piece, so that a debugger or trace recorder captures the
// pieces exactly as written. While the run has a log file (RunLog), every piece goes to
// it too: no step can write one without the other.
#pragma once

#include <windows.h>

#include <string>

#include "support/handles.h"

void Trace(const char* piece);
inline void Trace(const std::string& piece) { Trace(piece.c_str()); }

// A line that shows a value: the label, the value and the line end, as three pieces.
void TraceValue(const char* label, const std::string& value);

// The line that starts a step of the run (or a phase of a long one): traced, and the
// log made lasting, so that the step's first line is on the disk before its work begins.
void TraceStep(const char* line);

// Before the program waits (for a child program, in Sleep, for a service or program to
// stop): makes the log's lines lasting, since none may come for a long while.
void FlushRunLog();

// The run's log file, appended to. From its construction it keeps the trace pieces until
// Open says where they go; from then on each line is written with one WriteFile as soon
// as it is complete, so a crash of the program loses nothing. Lines are made lasting
// (FlushFileBuffers) in groups: at the start of every step (TraceStep), at most a quarter
// of a second apart within a step, before every wait (FlushRunLog), and at the end; so a
// power loss takes at most the lines of the last quarter second. A log that cannot be
// opened or written changes nothing in the run: the trace says so once, and the run goes
// on without it. The newest RunLog is the one the trace goes to, until it ends.
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

  // Stops writing the log, with the trace line `why` and its path: the run is about to
  // remove the file. What was written stays, for as long as the file does.
  void Refuse(const char* why);
  // The open log file, or none.
  HANDLE File() const { return state_ == State::kOpen ? file_.Get() : INVALID_HANDLE_VALUE; }
  const std::string& Path() const { return path_; }

  // Appends a piece while the log is open, keeps it until then: every piece of the trace,
  // and the lines that go to the log alone.
  void Append(const std::string& piece);
  // For TraceStep: makes what was written lasting.
  void Flush();

 private:
  bool Write(const std::string& text);
  void GiveUp(const char* why);

  enum class State { kKeeping, kOpen, kNone } state_ = State::kKeeping;
  std::string kept_;
  std::string line_;  // the line being written, until its end
  std::string path_;
  FileHandle file_;
  DWORD lastFlush_ = 0;  // GetTickCount() at the last FlushFileBuffers
  RunLog* previous_;      // the one the trace went to before
};
