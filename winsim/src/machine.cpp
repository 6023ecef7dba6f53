#include <winsim/machine.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

namespace winsim {
namespace {

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::unique_ptr<Machine> current;
std::function<void(const std::string&)> failureHook;

}  // namespace

Machine& machine() {
  if (!current) Reset();
  return *current;
}

Machine& Reset() {
  // A handle still open when the machine is thrown away is one the run leaked.
  if (current && failureHook && current->LeakedHandles() != 0) {
    failureHook(std::to_string(current->LeakedHandles()) + " handles left open on the machine");
  }
  current = std::make_unique<Machine>();
  current->files.AddDirectory(current->system.windowsDirectory + "\\system32");
  current->files.AddDirectory(current->system.windowsDirectory + "\\system");
  current->registry.CreateKey(HKEY_LOCAL_MACHINE, kSessionManagerKey);
  return *current;
}

std::size_t Machine::LeakedHandles() const {
  const std::size_t failedToClose = faults.injectedInto && ReleasesHandle(*faults.injectedInto) ? 1 : 0;
  return OpenHandles() - std::min(OpenHandles(), failedToClose);
}

std::size_t Machine::OpenHandles() const {
  return registry.OpenHandles() + files.OpenHandles() + services.OpenHandles() +
         processes.OpenHandles() + OpenLocalBlocks() + dde.OpenHandles();
}

// The pending list shows in its own section, as the paths it names, rather than as a
// registry value.
std::string Machine::Snapshot() const {
  const std::string listLine = std::string("HKEY_LOCAL_MACHINE\\") + kSessionManagerKey + " : \"" +
                               kPendingMovesValue + "\"";
  std::string text = "[registry]\n";
  std::istringstream lines(registry.Dump());
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(listLine, 0) != 0) text += line + "\n";
  }
  text += "[files]\n" + files.Dump() + "[services]\n" + services.Dump() + "[pending]\n";
  for (const PendingMove& move : Pending()) {
    text += move.from + " -> " + (move.to ? *move.to : "(delete)") + "\n";
  }
  return text + "[groups]\n" + dde.programManager.Dump();
}

void Machine::Restart() {
  if (faults.PowerCut()) files.LosePower();
  files.Restart();
  registry.DropHandles();
  processes.DropHandles();
  dde.DropHandles();
  desktop = Desktop{};
  faults.RestorePower();
  CarryOutPendingMoves(registry, files);
  services.Restart();
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const std::string& name : registry.ValueNames(root, kRunKey)) {
      if (const std::optional<RegValue> command = registry.Value(root, kRunKey, name)) {
        processes.StartAtLogon(command->Text());
      }
    }
  }
}

void SetFailureHook(std::function<void(const std::string&)> hook) { failureHook = std::move(hook); }

void ReportFailure(const std::string& message) {
  if (failureHook) {
    failureHook(message);
    return;
  }
  std::fprintf(stderr, "winsim: %s\n", message.c_str());
  std::abort();
}

}  // namespace winsim
