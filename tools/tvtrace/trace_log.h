// The log file a trace is written to. Every piece goes to the file the moment it
// arrives, so the log holds everything up to a crash of the traced program.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "support/handles.h"

class TraceLog {
 public:
  // Creates (or empties) the file; Open() tells whether that worked.
  TraceLog(const std::string& path, bool pieces);
  bool Open() const { return static_cast<bool>(file_); }

  // One OutputDebugString call of the traced program.
  void WritePiece(std::string_view piece);
  // A line of tvtrace's own, about the run rather than from the program.
  void WriteNote(const std::string& note);

 private:
  void Write(std::string_view bytes);

  FileHandle file_;
  bool pieces_;
};
