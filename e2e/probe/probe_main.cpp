// e2e_probe.exe: the probe under Wine (see probe.h).
//   e2e_probe before <child program>   the probe up to the restart
//   e2e_probe after                    after the restart
//   e2e_probe child                    ends at once: the program the probe starts
#include <cstdio>
#include <string>

#include "probe.h"

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "child") return 0;
  if (mode == "before" && argc == 3) {
    ProbeBeforeRestart(argv[2]);
    return 0;
  }
  if (mode == "after" && argc == 2) {
    ProbeAfterRestart();
    return 0;
  }
  std::fputs("usage: e2e_probe before <child program> | after | child\n", stderr);
  return 2;
}
