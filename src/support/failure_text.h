// The failure text: the system's message for the last failure that the SNMP agent's
// removal recorded. The removal reports every failing call here and later shows the
// text to the user; the last report wins.
#pragma once

#include <windows.h>

#include <string>

// The system's own text for `error` as it stands, its line end included; its inserts
// ("%1") are shown as they stand, as there are no values for them. Empty when the
// system has no text for it. Every system message the program shows or traces is this.
std::string SystemMessage(DWORD error);

// Replaces the failure text with the system's message for `error`, without its line
// break. A code the system has no message for leaves the text as it was. `label` names
// the failing step ("StopService - ControlService"); it is not part of the text.
// Returns `error`.
DWORD FormatSystemError(const char* label, DWORD error);

// Records a failure as FormatSystemError does and returns 0, the result of a routine
// that failed.
inline int RecordFailure(const char* label, DWORD error) {
  FormatSystemError(label, error);
  return 0;
}

// The failure text; empty until a report found a message. Valid until the next report.
const char* LastErrorText();
