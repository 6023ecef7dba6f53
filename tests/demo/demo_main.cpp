// Runs the uninstaller on the simulated machine with the sample product installed and
// shows what it did: the prompts it asked (answered Yes), its trace, and what changed.
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

}  // namespace

int main() {
  winsim::Machine& machine = winsim::Reset();
  InstallProduct();
  machine.ui.answerer = [](const winsim::MessageBoxRecord& box) {
    bool yesNo = (box.style & MB_TYPEMASK) == MB_YESNO;
    std::cout << "[prompt] " << box.caption << ": " << Printable(box.text) << "\n"
              << "         answered " << (yesNo ? "Yes" : "OK") << "\n";
    return yesNo ? IDYES : IDOK;
  };
  const std::string before = machine.Snapshot();

  std::cout << "Running tvuninst on the simulated machine (Windows NT 4.0, product in "
            << SampleProduct{}.directory << ")\n\n";
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

  machine.Restart();
  std::cout << "\n[after a restart] tvuninst.exe "
            << (machine.files.Exists("C:\\WINNT\\tvuninst.exe") ? "is still there" : "is gone") << "\n";
  return 0;
}
