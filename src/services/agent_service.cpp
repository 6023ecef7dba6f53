// Placeholder until the agent service removal is built: reports no agent service.
#include "services/agent_service.h"

int AgentServiceInstalled() { return 0; }

int RemoveAgentService() { return 0; }
