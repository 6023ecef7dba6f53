#include "services/platform.h"

#include <windows.h>

int QueryPlatform() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return kPlatformOther;
  switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
      return kPlatformWindows;
    case VER_PLATFORM_WIN32_NT:
      return kPlatformNt;
    default:
      return kPlatformOther;
  }
}
