#include "services/on_access.h"

#include <windows.h>

#include "services/application_close.h"
#include "services/platform.h"
#include "services/service_stop.h"
#include "support/handles.h"

namespace {

const char kOnAccessDevice[] = "\\\\.\\WardelDev";
const char kOnAccessWindowClass[] = "KVX95MainWnd";
const char kOnAccessService[] = "Tessor Wardel";
const char kOnAccessServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\Tessor Wardel";

constexpr int kStopFailed = 2;

}  // namespace

int OnAccessComponentRunning() {
  if (QueryPlatform() != kPlatformNt) return WindowOfClassExists(kOnAccessWindowClass) ? 1 : 0;
  // The driver's device is there while the driver runs; it is only opened, never used.
  const FileHandle device(CreateFileA(kOnAccessDevice, GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr));
  return device ? 1 : 0;
}

int StopOnAccessComponent() {
  if (!OnAccessComponentRunning()) return 0;
  if (QueryPlatform() == kPlatformNt) return StopOnAccessService() != 0 ? kStopFailed : 0;
  return CloseApplicationByClass(kOnAccessWindowClass, kCloseTimeoutMs) == kCloseTimedOut
             ? kStopFailed
             : 0;
}

int StopOnAccessService() {
  const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!OnAccessServiceInstalled()) return 0;
  // Without the manager the installed service cannot be reached: it did not stop.
  if (!manager) return kStopFailed;
  return StopServiceAndWait(manager.Get(), kOnAccessService) != kStopDone ? kStopFailed : 0;
}

int OnAccessServiceInstalled() {
  RegKey key;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOnAccessServiceKey, 0, KEY_READ, key.Receive()) ==
                 ERROR_SUCCESS
             ? 1
             : 0;
}
