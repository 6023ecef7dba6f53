#include "support/failure_text.h"

namespace {

// The system writes at most this many characters, terminator included.
constexpr DWORD kSystemCapacity = 511;

char failureText[kSystemCapacity + 1] = "";

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

}  // namespace

DWORD FormatSystemError(const char* /*label*/, DWORD error) {
  // There are no values for a message's inserts ("%1"): they are shown as they stand.
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), failureText,
                                kSystemCapacity, nullptr);
  if (length == 0) return error;
  // System messages end in a carriage return and a line feed; cut that line break, and
  // only that, so that a message without one keeps its last characters.
  if (length >= kSystemCapacity) length = kSystemCapacity - 1;
  for (int cut = 0; cut < 2 && length > 0 && IsLineBreak(failureText[length - 1]); ++cut) --length;
  failureText[length] = '\0';
  return error;
}

const char* LastErrorText() { return failureText; }
