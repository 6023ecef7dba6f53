// Service behaviours the tests script on the simulated service manager.
#pragma once

#include <winsim/machine.h>

#include <string>

// After the stop request the service reports stop-pending, with advancing checkpoints,
// for `polls` more status queries, then stopped.
inline void StopPendingFor(winsim::Service& service, int polls) {
  service.onStop.clear();
  for (int i = 0; i <= polls; ++i) {
    service.onStop.push_back({SERVICE_STOP_PENDING, static_cast<DWORD>(i + 1), 2000});
  }
  service.onStop.push_back({SERVICE_STOPPED, 0, 0});
}

// The service never gets past stop-pending.
inline void NeverStops(winsim::Service& service) {
  service.onStop = {{SERVICE_STOP_PENDING, 1, 2000}};
}

// The line a service makes in the manager's list of its services.
inline std::string Listed(const std::string& name, DWORD state, bool markedForDelete = false) {
  return name + " state " + std::to_string(state) + (markedForDelete ? " marked for delete" : "") + "\n";
}
