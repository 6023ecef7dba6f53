// The product's extension agent of the SNMP service.
#pragma once

#include "uninstall/profile.h"

// 1 when the SNMP service is installed.
int IsSNMPMasterAgentInstalled();

// 1 when the product's agent is registered with the SNMP service.
int SnmpAgentInstalled();

// Asks the user, unregisters the agent, restarts the SNMP service and, on Yes, deletes
// the agent DLL from the product directory.
int UninstallSnmpAgent(const ProfileTexts& profile, const char* productDirectory);
