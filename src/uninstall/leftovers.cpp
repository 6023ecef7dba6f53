#include "uninstall/leftovers.h"

#include <windows.h>

#include <algorithm>
#include <span>

#include "files/directory_warning.h"
#include "services/agent_service.h"
#include "services/component_stop.h"
#include "services/product_services.h"
#include "snmp/registry_cleanup.h"
#include "snmp/snmp_agent.h"
#include "support/ascii.h"
#include "support/full_path.h"
#include "support/handles.h"
#include "support/path_values.h"
#include "support/program_paths.h"
#include "support/registry_listing.h"
#include "support/trace.h"
#include "support/windows_directory.h"
#include "uninstall/cleanup_tables.h"
#include "uninstall/product_files.h"
#include "uninstall/profile.h"

namespace {

constexpr char kAgentDllName[] = "vlalag32.dll";

std::string AgentKey() { return std::string("SOFTWARE\\") + kSnmpAgentKeyPath; }

// True when `path` lies below another key of `table`: only the top keys are named.
bool BelowAnother(const char* path, std::span<const char* const> table) {
  return std::any_of(table.begin(), table.end(), [&](const char* other) {
    const std::string prefix = std::string(other) + "\\";
    return EqualIgnoringAsciiCase(std::string_view(path).substr(0, prefix.size()), prefix);
  });
}

class Search {
 public:
  // A key that is there, readable or not: only "not found" means it is gone.
  void Key(HKEY root, const char* rootName, const std::string& path) {
    RegKey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_FILE_NOT_FOUND) {
      Found(std::string(rootName) + "\\" + path);
    }
  }

  void TopKeys(HKEY root, const char* rootName, std::span<const char* const> table) {
    for (const char* path : table) {
      if (!BelowAnother(path, table)) Key(root, rootName, path);
    }
  }

  void File(const std::string& path) {
    if (!path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) Found(path);
  }

  // The directory of the program at `program`, when it is a fully qualified path.
  void PlaceOf(const std::string& program) {
    if (FullyQualifiedPath(program).empty()) return;
    const std::string directory = ParentOf(FullDirectoryPath(program.c_str()));
    if (directory.empty()) return;
    const bool known = std::any_of(result_.places.begin(), result_.places.end(),
                                   [&](const std::string& place) { return EqualIgnoringAsciiCase(place, directory); });
    if (!known) result_.places.push_back(directory);
  }

  void Found(const std::string& what) {
    TraceValue("Leftover found: ", what);
    result_.found.push_back(what);
  }

  Leftovers Result() { return std::move(result_); }

 private:
  Leftovers result_;
};

// A text value of `path` below HKEY_LOCAL_MACHINE, read whole; empty when it cannot be.
std::string MachineText(const std::string& path, const char* name) {
  RegKey key;
  std::string text;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS ||
      ReadRegistryPath(key.Get(), name, text) != PathValue::kRead) {
    return "";
  }
  return text;
}

void FindServices(Search& search) {
  std::string windows = WindowsDirectoryPath("");  // the directory and a backslash
  if (!windows.empty()) windows.pop_back();
  for (const char* name : kProductServiceKeys) {
    const std::string key = std::string(kServicesKey) + "\\" + name;
    search.Key(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", key);
    const std::string image = MachineText(key, "ImagePath");
    if (!image.empty() && !windows.empty()) search.PlaceOf(ServiceImage(image, windows));
  }
  search.Key(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", AgentEventSourceKey());
}

void FindSnmpAgent(Search& search) {
  search.Key(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", AgentKey());
  search.PlaceOf(MachineText(AgentKey(), "Pathname"));
  RegKey list;
  std::vector<NamedText> entries;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionAgentsKey, 0, KEY_QUERY_VALUE, list.Receive()) != ERROR_SUCCESS) {
    return;
  }
  ReadTextValues(list.Get(), entries);
  for (const NamedText& entry : entries) {
    if (entry.text == AgentKey()) search.Found(std::string("HKEY_LOCAL_MACHINE\\") + kExtensionAgentsKey + "\\\\" + entry.name);
  }
}

void FindStartupValues(Search& search) {
  RegKey run;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, run.Receive()) != ERROR_SUCCESS) return;
  for (const char* name : kStartupValues) {
    std::string command;
    const PathValue read = ReadRegistryPath(run.Get(), name, command);
    if (read == PathValue::kMissing) continue;
    search.Found(std::string("HKEY_LOCAL_MACHINE\\") + kRunKey + "\\\\" + name);
    if (read == PathValue::kRead) search.PlaceOf(ProgramOf(command));
  }
}

void FindFiles(Search& search) {
  for (const char* windowClass : kProductProgramClasses) {
    if (FindWindowA(windowClass, nullptr)) search.Found(std::string("a running program of the window class ") + windowClass);
  }
  for (const std::string& path : DriverFilePaths()) search.File(path);
  for (const char* name : kSupplementaryFiles) {
    const std::string path = WindowsDirectoryPath(name);
    if (path != ProfilePath()) search.File(path);
  }
}

}  // namespace

Leftovers FindLeftovers() {
  Search search;
  FindServices(search);
  FindSnmpAgent(search);
  search.TopKeys(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kApplicationKeys);
  search.TopKeys(HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", kShellKeys);
  FindStartupValues(search);
  FindFiles(search);
  return search.Result();
}

std::string RemovableAgentDll() {
  const std::string registered = MachineText(AgentKey(), "Pathname");
  if (registered.empty()) return "";
  const std::size_t name = registered.find_last_of('\\');
  const bool removable = IsStrictFullPath(registered) && name != std::string::npos &&
                         EqualIgnoringAsciiCase(registered.substr(name + 1), kAgentDllName) &&
                         DirectoryNeedsWarning(registered.substr(0, name)) == 0;
  if (removable) return registered;
  TraceValue("SNMP agent DLL left in place: ", registered);
  return "";
}

void TracePlacesLeft(const Leftovers& leftovers) {
  for (const std::string& place : leftovers.places) TraceValue("Left in place: ", place);
}
