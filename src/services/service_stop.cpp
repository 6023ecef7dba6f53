#include "services/service_stop.h"

#include "support/handles.h"
#include "support/trace.h"

namespace {

constexpr int kStopPolls = 30;
constexpr DWORD kStopPollPauseMs = 500;

}  // namespace

bool IsActiveState(DWORD state) {
  return state == SERVICE_START_PENDING || state == SERVICE_RUNNING ||
         state == SERVICE_CONTINUE_PENDING;
}

int StopServiceAndWait(SC_HANDLE manager, const char* serviceName) {
  const ServiceHandle service(OpenServiceA(manager, serviceName, SERVICE_ALL_ACCESS));
  if (!service) return kStopCannotOpen;

  SERVICE_STATUS status{};
  // A service whose state cannot be read may well be running: it is not reported as
  // stopped, so that nothing of it is deleted on a guess.
  if (!QueryServiceStatus(service.Get(), &status)) return kStopRefused;
  if (!IsActiveState(status.dwCurrentState)) return kStopDone;

  int result = kStopDone;
  if (!ControlService(service.Get(), SERVICE_CONTROL_STOP, &status)) result = kStopRefused;
  FlushRunLog();
  for (int poll = 0; poll < kStopPolls; ++poll) {
    Sleep(kStopPollPauseMs);
    if (!QueryServiceStatus(service.Get(), &status) ||
        status.dwCurrentState != SERVICE_STOP_PENDING) {
      break;
    }
  }
  return result;
}

int StopAndDeleteService(const char* serviceName) {
  const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return 1;
  const int stopped = StopServiceAndWait(manager.Get(), serviceName);
  if (stopped != kStopDone) return stopped;

  const ServiceHandle service(OpenServiceA(manager.Get(), serviceName, SERVICE_ALL_ACCESS));
  if (!service) return 1;
  if (!DeleteService(service.Get())) {
    // A refusal is never reported as a deletion, even without an error code.
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? static_cast<int>(error) : 1;
  }
  return 0;
}
