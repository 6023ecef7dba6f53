// Restarting the SNMP service, so that it comes up without the agent it no longer has
// in its list. Every routine that fails records the failure in the failure text.
#pragma once

#include <windows.h>

#include "support/handles.h"

// A stopped service is left alone; any other is stopped and started again. 1 when the
// service was stopped already or runs again, 0 on failure.
int RestartSnmpService();

// Opens the service manager and the "SNMP" service; 0 (and nothing left open) when
// either cannot be opened.
int OpenSNMPService(ServiceHandle& manager, ServiceHandle& service);

// The service's current state; 0 when it cannot be queried.
int GetServiceStatus(SC_HANDLE service, DWORD* state);

// Closes the service handle, then the manager handle.
void CloseSNMPService(ServiceHandle& manager, ServiceHandle& service);

// Asks the service to stop and waits until it has; a service that is not running
// counts as stopped.
int StopService(SC_HANDLE service);

// Starts the service and waits until it runs.
int StartSNMPService(SC_HANDLE service);

// Waits for `desiredState` as long as the service advances its checkpoint, sleeping for
// its own wait hint between queries. 1 when the state is reached; otherwise 0 with the
// last error set to ERROR_SERVICE_SPECIFIC_ERROR, or to the error of a first query that
// failed.
int WaitForServiceState(SC_HANDLE service, DWORD desiredState);
