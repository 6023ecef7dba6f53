#include "uninstall/single_run.h"

#include <windows.h>

#include "support/trace.h"

namespace {

// Without a backslash: NT 3.51 and 4.0 have no "Global\" or "Local\" namespaces.
const char kMutexName[] = "Varden Anti-Virus Uninstall";

}  // namespace

SingleRun::SingleRun() {
  SetLastError(ERROR_SUCCESS);  // what a new mutex leaves
  mutex_ = KernelHandle(CreateMutexA(nullptr, FALSE, kMutexName));
  const DWORD error = GetLastError();
  // A mutex made by a copy that runs under another account (the scheduler's) is denied
  // to this one: it is there all the same.
  if (mutex_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED) {
    Trace("Another run of the uninstaller is in progress, this one ends.\n");
    refused_ = true;
  } else if (!mutex_) {
    Trace("Cannot tell whether another run of the uninstaller is in progress, this one ends.\n");
    refused_ = true;
  }
}
