// The product's agent service, "Tessor Anti-Virus Service".
#pragma once

#include <string>

// 1 when the agent service's key exists (or on a platform other than Windows NT).
int AgentServiceInstalled();

// Stops and deletes the agent service and its event-log source. 0 removed, 1 stopping or
// deleting failed, 2 removed but still active at the end.
int RemoveAgentService();

// Stops and deletes the service, then removes its event-log source entry. 0 done;
// nonzero when stopping or deleting failed (the entry then stays).
int UnregisterAgentService();

// The key of the service's event-log source, below HKEY_LOCAL_MACHINE.
std::string AgentEventSourceKey();

// Removes the service's event-log source entry when it is there, for when the service
// itself is gone already (a run cut off between the two leaves it). For Windows NT only.
void RemoveAgentEventSource();

// 1 when the agent service is active (or its state cannot be read), else 0.
int AgentServiceRunning();

// 0 stopped or not active; 2 active and the stop failed.
int StopAgentService();
