#include "snmp/snmp_agent.h"

#include <windows.h>

#include <io.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "files/removal_tally.h"
#include "snmp/registry_cleanup.h"
#include "snmp/service_restart.h"
#include "support/bounded_text.h"
#include "support/failure_text.h"
#include "support/handles.h"

namespace {

const char kAgentDllSuffix[] = "\\vlalag32.dll";
// The user sees at most this much of the failure text, terminator included.
constexpr unsigned kFailureTextCapacity = 256;

// Deletes the agent DLL through the runtime library. Returns 0, or the runtime's error
// number of the failed deletion; a path too long for a path buffer is not tried. A DLL
// that stays is left for good: the run does not schedule it.
int DeleteAgentDll(const std::string& path) {
  if (path.size() >= MAX_PATH) return ENAMETOOLONG;
  if (_unlink(path.c_str()) == 0) {
    NoteRemoval(path, false, Removal::kDeleted);
    return 0;
  }
  const int error = errno;
  if (error != ENOENT) NoteRemoval(path, false, Removal::kLeft);
  return error;
}

}  // namespace

std::string AgentDllIn(const std::string& productDirectory) { return productDirectory + kAgentDllSuffix; }

int UninstallSnmpAgent(Prompts& prompts, const std::string& agentDll) {
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
  if (answer == IDYES && !agentDll.empty()) {
    if (int error = DeleteAgentDll(agentDll)) {
      prompts.TellSnmpAgentNotRemoved(std::strerror(error));
      return 0;
    }
  }
  prompts.TellSnmpAgentRemoved();
  return 0;
}

bool AgentDllLeft(const std::string& productDirectory) {
  const std::string path = AgentDllIn(productDirectory);
  return path.size() < MAX_PATH && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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
