#include "uninstall/environment.h"

#include <windows.h>

#include "support/handles.h"
#include "support/trace.h"

int HasServiceManagerRights() {
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE | SC_MANAGER_LOCK));
  return manager ? 1 : 0;
}

void SetCursorShape(const char* cursorId) {
  if (HCURSOR cursor = LoadCursorA(nullptr, cursorId)) SetCursor(cursor);
}

bool IsNt3Mode() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);  // on failure the major version reads as 0: the NT 3.x path
  return version.dwMajorVersion < 4;
}
