// Benchmark, not a test: what the directory warning's check costs in system calls on a
// crowded machine, 300 services, 200 App Paths entries and 100 Uninstall entries beside
// the product, for an ordinary product directory (the check reads everything and finds
// nothing). It prints the calls by function and their total; the check only reads.
//
//   tvbench_warning_cost
#include <winsim/machine.h>

#include <cstdio>
#include <map>
#include <string>

#include "files/directory_warning.h"

namespace {

void CrowdTheMachine(winsim::Machine& machine) {
  winsim::Registry& registry = machine.registry;
  const std::string kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
  registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir", "C:\\Program Files\\Common Files");
  const std::string profiles = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
  registry.SetString(HKEY_LOCAL_MACHINE, profiles, "ProfilesDirectory", "%SystemRoot%\\Profiles", REG_EXPAND_SZ);
  for (const char* user : {"Administrator", "admin", "Default User", "All Users"}) {
    registry.SetString(HKEY_LOCAL_MACHINE, profiles + "\\S-1-5-21-" + user, "ProfileImagePath",
                       std::string("%SystemRoot%\\Profiles\\") + user, REG_EXPAND_SZ);
  }
  for (const char* folder : {"Desktop", "Personal", "Programs", "Start Menu", "Startup", "Favorites", "SendTo"}) {
    registry.SetString(HKEY_CURRENT_USER, kCurrentVersion + "\\Explorer\\User Shell Folders", folder,
                       std::string("%USERPROFILE%\\") + folder, REG_EXPAND_SZ);
    registry.SetString(HKEY_CURRENT_USER, kCurrentVersion + "\\Explorer\\Shell Folders", folder,
                       std::string("C:\\WINNT\\Profiles\\admin\\") + folder);
  }
  machine.system.environment["USERPROFILE"] = "C:\\WINNT\\Profiles\\admin";
  for (int i = 0; i < 300; ++i) {
    const std::string name = "Service" + std::to_string(i);
    registry.SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\" + name, "ImagePath",
                       i % 2 ? "System32\\drivers\\" + name + ".sys" : "%SystemRoot%\\System32\\" + name + ".exe",
                       REG_EXPAND_SZ);
  }
  for (int i = 0; i < 200; ++i) {
    const std::string folder = "C:\\Program Files\\Vendor" + std::to_string(i / 4) + "\\Tool" + std::to_string(i);
    const std::string key = kCurrentVersion + "\\App Paths\\TOOL" + std::to_string(i) + ".EXE";
    registry.SetString(HKEY_LOCAL_MACHINE, key, "", folder + "\\tool.exe");
    registry.SetString(HKEY_LOCAL_MACHINE, key, "Path", folder);
    machine.files.AddFile(folder + "\\tool.exe");
  }
  for (int i = 0; i < 100; ++i) {
    registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion + "\\Uninstall\\Product" + std::to_string(i),
                       "UninstallString",
                       "\"C:\\Program Files\\Vendor" + std::to_string(i / 2) + "\\remove.exe\" /x");
  }
  machine.files.AddFile("C:\\WINNT\\system32\\drivers\\beep.sys");
  machine.files.AddFile("C:\\Program Files\\Varden\\Anti-Virus\\TESSORNT.EXE");
}

}  // namespace

int main() {
  winsim::Reset();
  winsim::Machine& machine = winsim::machine();
  CrowdTheMachine(machine);
  machine.faults = winsim::Faults{};
  const int warning = DirectoryNeedsWarning("C:\\Program Files\\Varden\\Anti-Virus");
  std::map<std::string, unsigned> calls;
  for (const std::string& call : machine.faults.Calls()) ++calls[call];
  for (const auto& [name, count] : calls) std::printf("%-28s %6u\n", name.c_str(), count);
  std::printf("%-28s %6u (warning %d, debug output %u lines)\n", "total", machine.faults.TotalCalls(), warning,
              calls["OutputDebugStringA"] / 3);
  return warning == 0 ? 0 : 1;
}
