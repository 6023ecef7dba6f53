#include "services/service_removal.h"

#include <windows.h>

#include "support/handles.h"
#include "support/trace.h"

namespace {

// One pause after the stop request; a service still stopping is deleted all the same
// and goes once it has stopped.
constexpr DWORD kAfterStopPauseMs = 500;

}  // namespace

int RemoveServiceByName(const char* serviceName) {
  TraceValue("Searching for service: ", serviceName);
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  if (!manager) {
    Trace("Can't open service...\n");
    return -1;
  }
  ServiceHandle service(OpenServiceA(manager.Get(), serviceName, SERVICE_ALL_ACCESS));
  if (!service) {
    Trace("Service was not foundn");
    return -2;
  }
  Trace("Service was found.\n");

  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service.Get(), &status)) {
    Trace("Error in querying service status.\n");
    return -3;
  }
  if (status.dwCurrentState != SERVICE_STOPPED) {
    Trace("Stopping service...\n");
    if (!ControlService(service.Get(), SERVICE_CONTROL_STOP, &status)) {
      Trace("Error in ControlService...\n");
      return -4;
    }
    FlushRunLog();
    Sleep(kAfterStopPauseMs);
    Trace("Done.\n");
  }

  Trace("Removing service... \n");
  if (!DeleteService(service.Get())) {
    Trace("Can't delete service...\n");
    return -5;
  }
  service.Reset();
  manager.Reset();
  Trace("Service was removed sucessfully\n");
  return 0;
}
