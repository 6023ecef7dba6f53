// The registry path notation over arbitrary strings: no crash, no registry call for a
// string the parser refuses, the caller's string unchanged, no key left open.
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_machine.h"
#include "support/registry_path.h"

namespace {

bool MadeRegistryCalls(const winsim::Machine& machine) {
  const auto& calls = machine.faults.Calls();
  return std::any_of(calls.begin(), calls.end(),
                     [](const std::string& call) { return call.rfind("Reg", 0) == 0; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  winsim::Machine& machine = FreshMachine();
  machine.registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden\\Anti-Virus", "Version", "3.0");
  machine.registry.CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden\\Anti-Virus\\SNMP Agent");
  machine.registry.CreateKey(HKEY_CLASSES_ROOT, "CLSID\\{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}");

  const std::uint8_t operation = data[0];
  // The notation as the caller holds it: a terminated copy of the rest of the input.
  std::string notation(reinterpret_cast<const char*>(data + 1), size - 1);
  notation = notation.substr(0, notation.find('\0'));
  const std::string original = notation;

  int result;
  if (operation & 1) {
    result = RegPathDeleteKey(notation.c_str(), (operation & 2) != 0);
  } else {
    HKEY key = nullptr;
    std::string name = "preset";
    bool isRoot = false;
    result = RegPathOpen(notation.c_str(), &key, &name, &isRoot);
    if (result == kRegPathOk) {
      FUZZ_CHECK(key != nullptr);
      if (!isRoot) RegCloseKey(key);
    } else {
      FUZZ_CHECK(name.empty());
    }
  }
  FUZZ_CHECK(result == kRegPathOk || result == kRegPathCannotOpenParent || result == kRegPathDeleteFailed ||
             result == kRegPathMalformed || result == kRegPathNoMemory);
  if (result == kRegPathMalformed) FUZZ_CHECK(!MadeRegistryCalls(machine));
  FUZZ_CHECK(notation == original);
  FUZZ_CHECK(machine.OpenHandles() == 0);
  return 0;
}
