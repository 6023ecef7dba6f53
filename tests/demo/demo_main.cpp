// Runs the uninstaller on the simulated machine with the whole sample product installed
// and running (its SNMP agent, the management product, its services and programs, and a
// file held open) and shows what it did: the prompts it asked (answered Yes), its trace,
// what changed, and what the restart list holds before and after a restart.
#include <winsim/machine.h>

#include <algorithm>
#include <iostream>
#include <set>
#include <sstream>

#include "common/product.h"
#include "uninstall/sequence.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Printable(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
  return out;
}

void ShowProgramsAndRestartList(const char* when) {
  std::cout << "\n[" << when << "]\n";
  for (const char* windowClass : {"VFW_MainWindow", "V-Agent"}) {
    std::cout << "program " << windowClass << ": "
              << (FindWindowA(windowClass, nullptr) ? "running" : "closed") << "\n";
  }
  const std::vector<winsim::PendingMove> pending = winsim::machine().Pending();
  std::cout << "delete-at-restart list:" << (pending.empty() ? " (empty)" : "") << "\n";
  for (const winsim::PendingMove& move : pending) std::cout << "  " << move.from << "\n";
}

}  // namespace

int main() {
  winsim::Machine& machine = winsim::Reset();
  const SampleProduct product = SampleOfVariant(SampleVariant::kEverything, "");
  InstallProduct(product);
  StartProductRunning();
  machine.files.HoldOpen(product.directory + "\\Bases\\main.avc");
  machine.ui.answerer = [](const winsim::MessageBoxRecord& box) {
    const UINT buttons = box.style & MB_TYPEMASK;
    const bool yes = buttons == MB_YESNO || buttons == MB_YESNOCANCEL;
    std::cout << "[prompt] " << box.caption << ": " << Printable(box.text) << "\n"
              << "         answered " << (yes ? "Yes" : "OK") << "\n";
    return yes ? IDYES : IDOK;
  };
  const std::string before = machine.Snapshot();
  ShowProgramsAndRestartList("before the run");

  std::cout << "\nRunning tvuninst on the simulated machine (Windows NT 4.0, product in "
            << product.directory << ")\n\n";
  int exitCode = RunUninstall("");

  std::cout << "\n[trace]\n";
  for (const std::string& piece : machine.debug.pieces) std::cout << piece;
  std::cout << "\n[exit code] " << exitCode << "\n";

  std::cout << "\n[changes on the machine]\n";
  std::vector<std::string> old = Lines(before), now = Lines(machine.Snapshot());
  std::set<std::string> oldSet(old.begin(), old.end()), nowSet(now.begin(), now.end());
  for (const std::string& line : old) {
    if (!nowSet.count(line)) std::cout << "- " << line << "\n";
  }
  for (const std::string& line : now) {
    if (!oldSet.count(line)) std::cout << "+ " << line << "\n";
  }

  ShowProgramsAndRestartList("after the run");

  machine.Restart();
  ShowProgramsAndRestartList("after a restart");
  const bool gone = !machine.files.Exists("C:\\WINNT\\tvuninst.exe") &&
                    !machine.files.Exists(product.directory);
  std::cout << "the product directory and tvuninst.exe " << (gone ? "are gone" : "are still there") << "\n";
  return exitCode == 6 && gone ? 0 : 1;
}
