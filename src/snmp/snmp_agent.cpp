#include "snmp/snmp_agent.h"

#include <windows.h>

#include <io.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "snmp/registry_cleanup.h"
#include "snmp/service_restart.h"
#include "support/bounded_text.h"
#include "support/failure_text.h"
#include "support/handles.h"

namespace {

const char kAgentDllSuffix[] = "\\vlalag32.dll";
// The user sees at most this much of the failure text, terminator included.
constexpr unsigned kFailureTextCapacity = 256;

// The agent DLL's path in the product directory; false when it does not fit.
bool AgentDllPath(char (&path)[MAX_PATH], const char* productDirectory) {
  return CopyText(path, productDirectory) && AppendText(path, kAgentDllSuffix);
}

// Deletes the agent DLL through the runtime library. Returns 0, or the runtime's error
// number of the failed deletion; a path too long for its buffer is not tried.
int DeleteAgentDll(const char* productDirectory) {
  char path[MAX_PATH];
  if (!AgentDllPath(path, productDirectory)) return ENAMETOOLONG;
  if (_unlink(path) == 0) return 0;
  return errno;
}

}  // namespace

int UninstallSnmpAgent(Prompts& prompts, const char* productDirectory) {
  // Only Yes or No goes on: Cancel, or a box that could not be shown, changes nothing.
  const int answer = prompts.AskSnmpAgentRemoval();
  if (answer != IDYES && answer != IDNO) return 0;

  // Yes and No both unregister the agent; only Yes removes its DLL as well.
  if (!UnregisterSnmpAgent(kSnmpAgentKeyPath)) {
    char failureText[kFailureTextCapacity];
    CopyText(failureText, LastErrorText());
    prompts.TellSnmpAgentNotRemoved(failureText);
    return 0;
  }
  if (answer == IDYES) {
    if (int error = DeleteAgentDll(productDirectory)) {
      prompts.TellSnmpAgentNotRemoved(std::strerror(error));
      return 0;
    }
  }
  prompts.TellSnmpAgentRemoved();
  return 0;
}

bool AgentDllLeft(const char* productDirectory) {
  char path[MAX_PATH];
  return AgentDllPath(path, productDirectory) && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

void RemoveAgentKeyParentsLeft() {
  const std::string path = std::string("SOFTWARE\\") + kSnmpAgentKeyPath;
  RegKey agent;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, agent.Receive()) ==
      ERROR_FILE_NOT_FOUND) {
    RegRemoveExtAgentSOFTWARE(kSnmpAgentKeyPath);
  }
}

int UnregisterSnmpAgent(const char* agentKeyPath) {
  if (!RegRemoveExtAgentParameters(agentKeyPath)) return 0;
  if (!RegRemoveExtAgentSOFTWARE(agentKeyPath)) return 0;
  // The service reads its list of agents when it starts.
  return RestartSnmpService();
}
