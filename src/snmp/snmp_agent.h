// The product's extension agent of the SNMP service: an entry in the service's list of
// extension agents, the agent's key below HKEY_LOCAL_MACHINE\SOFTWARE, and the agent
// DLL in the product directory.
#pragma once

#include <string>

#include "support/prompts.h"

// The agent's key, relative to HKEY_LOCAL_MACHINE\SOFTWARE.
inline constexpr char kSnmpAgentKeyPath[] =
    "Velmora\\Varden\\Anti-Virus\\SNMP Agent\\CurrentVersion";

// 1 when the service manager lists a Win32 service named exactly "SNMP", in any state.
int IsSNMPMasterAgentInstalled();

// 1 when the product's agent key can be opened with full access.
int SnmpAgentInstalled();

// The agent DLL's path in `productDirectory`.
std::string AgentDllIn(const std::string& productDirectory);

// Asks through `prompts`, unregisters the agent, restarts the SNMP service and, on Yes,
// deletes the agent DLL `agentDll` (none when empty); Cancel changes nothing. The outcome
// is told through `prompts` only: the result is always 0.
int UninstallSnmpAgent(Prompts& prompts, const std::string& agentDll);

// True when the agent DLL is in `productDirectory`. A run cut off after it unregistered
// the agent and before it deleted the DLL leaves it so.
bool AgentDllLeft(const std::string& productDirectory);

// Once the agent's own key is gone, deletes its parents that are left without subkeys,
// as the walk of UnregisterSnmpAgent does: a run cut off during that walk leaves them.
// A key that is still there stays for the SNMP step.
void RemoveAgentKeyParentsLeft();

// Removes the agent's list entry, then its key, then restarts the SNMP service,
// stopping at the first step that fails. 1 when all three succeeded; 0 with the
// failure text describing the failure.
int UnregisterSnmpAgent(const char* agentKeyPath);
