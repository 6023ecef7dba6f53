// winsim_probe: the probe on a fresh simulated machine, restarted between its halves as
// the Wine run is with wineboot -r.
#include <winsim/machine.h>

#include "probe.h"

int main() {
  winsim::Machine& machine = winsim::Reset();
  const char kChild[] = "C:\\dist\\e2e_probe.exe";  // the program the probe copies and starts
  machine.files.AddFile(kChild);
  ProbeBeforeRestart(kChild);
  machine.Restart();
  ProbeAfterRestart();
  return 0;
}
