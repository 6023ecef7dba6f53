// The failure text: the system's message for the last failure that the SNMP agent's
// removal recorded. The removal reports every failing call here and later shows the
// text to the user; the last report wins.
#pragma once

#include <windows.h>

// Replaces the failure text with the system's message for `error`, without its line
// break. A code the system has no message for leaves the text as it was. `label` names
// the failing step ("StopService - ControlService"); it is not part of the text.
// Returns `error`.
DWORD FormatSystemError(const char* label, DWORD error);

// The failure text; empty until a report found a message. Valid until the next report.
const char* LastErrorText();
