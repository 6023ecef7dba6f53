#include "snmp/registry_cleanup.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>

#include "support/bounded_text.h"
#include "support/failure_text.h"
#include "support/handles.h"

namespace {

const char kSoftwarePrefix[] = "SOFTWARE\\";
// The walk up stops at a path this long or shorter: "SOFTWARE" and its backslash.
constexpr std::size_t kWalkStopLength = sizeof kSoftwarePrefix - 1;

using Text = std::unique_ptr<char[]>;

Text Allocate(std::size_t capacity) { return Text(new (std::nothrow) char[capacity]); }

// "SOFTWARE\<agent key path>": the agent key's path below HKEY_LOCAL_MACHINE, in a
// buffer of exactly its length. Null when it cannot be allocated.
Text AgentKeyText(const char* agentKeyPath) {
  const std::size_t capacity = std::strlen(kSoftwarePrefix) + std::strlen(agentKeyPath) + 1;
  Text text = Allocate(capacity);
  if (text) {
    CopyText(text.get(), capacity, kSoftwarePrefix);
    AppendText(text.get(), capacity, agentKeyPath);
  }
  return text;
}

}  // namespace

int RegRemoveExtAgentParameters(const char* agentKeyPath) {
  RegKey list;
  LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionAgentsKey, 0,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, list.Receive());
  if (result != ERROR_SUCCESS) {
    return RecordFailure("RegRemoveExtAgentParameters - RegOpenKeyEx", result);
  }

  DWORD longestName = 0;
  DWORD longestData = 0;
  result = RegQueryInfoKeyA(list.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, &longestName, &longestData, nullptr, nullptr);
  if (result != ERROR_SUCCESS) {
    return RecordFailure("RegRemoveExtAgentParameters - RegQueryInfoKey", result);
  }

  const DWORD nameCapacity = longestName + 1;
  const DWORD dataCapacity = longestData + 1;
  Text name = Allocate(nameCapacity);
  Text data = Allocate(dataCapacity);
  Text target = AgentKeyText(agentKeyPath);
  if (!name || !data || !target) {
    return RecordFailure("RegRemoveExtAgentParameters - malloc", ERROR_NOT_ENOUGH_MEMORY);
  }

  for (DWORD index = 0;;) {
    DWORD nameLength = nameCapacity;
    DWORD dataLength = dataCapacity;
    result = RegEnumValueA(list.Get(), index, name.get(), &nameLength, nullptr, nullptr,
                           reinterpret_cast<BYTE*>(data.get()), &dataLength);
    if (result == ERROR_NO_MORE_ITEMS) return 1;
    if (result != ERROR_SUCCESS) {
      return RecordFailure("RegRemoveExtAgentParameters - RegEnumValue", result);
    }

    // The data as text whatever its type: up to its terminator, or all of it.
    TerminateText(data.get(), dataCapacity, dataLength);
    if (std::strcmp(data.get(), target.get()) != 0) {
      ++index;
      continue;
    }

    // Every value that names the agent goes, or the service would still load it. The
    // values after a deleted one move down an index; none is renamed.
    result = RegDeleteValueA(list.Get(), name.get());
    if (result != ERROR_SUCCESS) {
      return RecordFailure("RegRemoveExtAgentParameters - RegDeleteValue", result);
    }
  }
}

int RegRemoveExtAgentSOFTWARE(const char* agentKeyPath) {
  Text path = AgentKeyText(agentKeyPath);
  if (!path) return RecordFailure("RegRemoveExtAgentSOFTWARE - malloc", ERROR_NOT_ENOUGH_MEMORY);
  std::size_t length = std::strlen(path.get());

  // Leaf first: the agent's key, then each parent that is left without subkeys. A key
  // already gone is passed over: a run cut off during the walk leaves its parents.
  while (length > kWalkStopLength) {
    LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.get());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
      return RecordFailure("RegRemoveExtAgentSOFTWARE - RegDeleteKey", result);
    }

    char* separator = std::strrchr(path.get(), '\\');
    if (!separator) break;
    *separator = '\0';
    length = static_cast<std::size_t>(separator - path.get());

    DWORD subkeys = 0;
    {
      RegKey parent;
      result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.get(), 0, KEY_QUERY_VALUE, parent.Receive());
      if (result == ERROR_FILE_NOT_FOUND) continue;
      if (result != ERROR_SUCCESS) {
        return RecordFailure("RegRemoveExtAgentSOFTWARE - RegOpenKeyEx", result);
      }
      result = RegQueryInfoKeyA(parent.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    if (result != ERROR_SUCCESS) {
      return RecordFailure("RegRemoveExtAgentSOFTWARE - RegQueryInfoKey", result);
    }
    if (subkeys != 0) break;
  }
  return 1;
}
