// The product's agent service.
#pragma once

// 1 when the agent service's key exists (or on a platform other than Windows NT).
int AgentServiceInstalled();

// Stops and deletes the agent service and its event-log source. 0 removed, 1 stopping or
// deleting failed, 2 removed but still active at the end.
int RemoveAgentService();
