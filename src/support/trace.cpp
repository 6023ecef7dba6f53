#include "support/trace.h"

#include <windows.h>

void Trace(const char* piece) { OutputDebugStringA(piece); }

void TraceValue(const char* label, const std::string& value) {
  OutputDebugStringA(label);
  OutputDebugStringA(value.c_str());
  OutputDebugStringA("\n");
}
