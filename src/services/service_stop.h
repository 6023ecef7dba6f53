// Stopping a service and waiting for it, shared by the on-access and agent removals.
#pragma once

#include <windows.h>

// Start-pending, running or continue-pending; every other state counts as not active.
bool IsActiveState(DWORD state);

// Results of StopServiceAndWait.
constexpr int kStopDone = 0;        // stopped, or was not active
constexpr int kStopCannotOpen = 1;  // the service could not be opened
constexpr int kStopRefused = 2;     // the stop request was refused, or the state unreadable

// Sends an active service the stop request and polls its state up to 30 times, 500 ms
// apart, until it is no longer stop-pending. One still stop-pending after that counts
// as done.
int StopServiceAndWait(SC_HANDLE manager, const char* serviceName);

// Stops a service with StopServiceAndWait and deletes it. 0 when deleted; nonzero when
// the manager or the service could not be opened, the service did not stop, or the
// deletion was refused (then the system's error code).
int StopAndDeleteService(const char* serviceName);
