#include <winsim/machine.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace winsim {
namespace {

std::unique_ptr<Machine> current;
std::function<void(const std::string&)> failureHook;

}  // namespace

Machine& machine() {
  if (!current) Reset();
  return *current;
}

Machine& Reset() {
  current = std::make_unique<Machine>();
  current->files.AddDirectory(current->system.windowsDirectory + "\\system32");
  current->files.AddDirectory(current->system.windowsDirectory + "\\system");
  return *current;
}

std::size_t Machine::OpenHandles() const {
  return registry.OpenHandles() + files.OpenHandles() + services.OpenHandles() +
         processes.OpenHandles() + OpenLocalBlocks() + dde.OpenHandles();
}

std::string Machine::Snapshot() const {
  std::string text = "[registry]\n" + registry.Dump() + "[files]\n" + files.Dump() +
                     "[services]\n" + services.Dump() + "[pending]\n";
  for (const PendingMove& move : files.pending) {
    text += move.from + " -> " + (move.to ? *move.to : "(delete)") + "\n";
  }
  return text;
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
