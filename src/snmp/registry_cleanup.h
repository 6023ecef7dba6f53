// The SNMP agent's registration: its entry in the SNMP service's list of extension
// agents and its own key below HKEY_LOCAL_MACHINE\SOFTWARE. Both routines take the
// agent's key path relative to SOFTWARE, return 1 on success and 0 after recording the
// failure in the failure text.
#pragma once

// The SNMP service's list of extension agents, below HKEY_LOCAL_MACHINE: one value per
// agent, its data the agent key's path below HKEY_LOCAL_MACHINE.
inline constexpr char kExtensionAgentsKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents";

// Deletes every value of the ExtensionAgents list whose data is exactly
// "SOFTWARE\<agent key path>". No such value is no failure; the other values keep
// their names.
int RegRemoveExtAgentParameters(const char* agentKeyPath);

// Deletes the agent's key, then each parent it leaves without subkeys (values do not
// keep a parent), never SOFTWARE itself. A key of the path that is missing is no
// failure: the walk goes on with its parent.
int RegRemoveExtAgentSOFTWARE(const char* agentKeyPath);
