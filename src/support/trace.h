// The trace: every step of the run written to the system debug output, one
// OutputDebugStringA call per piece, so that a debugger or trace recorder captures the
// pieces exactly as written.
#pragma once

#include <string>

void Trace(const char* piece);
inline void Trace(const std::string& piece) { Trace(piece.c_str()); }

// A line that shows a value: the label, the value and the line end, as three pieces.
void TraceValue(const char* label, const std::string& value);
