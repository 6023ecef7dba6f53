// Placeholder until the SNMP agent removal is built: reports no SNMP service.
#include "snmp/snmp_agent.h"

int IsSNMPMasterAgentInstalled() { return 0; }

int SnmpAgentInstalled() { return 0; }

int UninstallSnmpAgent(const ProfileTexts&, const char*) { return 1; }
