// Shared by the files that implement the Win32 functions over the machine.
#pragma once

#include <winsim/machine.h>

#include <optional>

namespace winsim::api {

// Counts the call and tells whether an injected failure is due, with its error code.
inline std::optional<DWORD> Enter(const char* name) { return machine().faults.Enter(name); }

// Sets the last error and returns FALSE, as a failing BOOL function does.
inline BOOL Fail(DWORD error) {
  machine().system.lastError = error;
  return FALSE;
}

template <typename T>
T FailWith(DWORD error, T result) {
  machine().system.lastError = error;
  return result;
}

}  // namespace winsim::api
