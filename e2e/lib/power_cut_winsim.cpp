#include "power_cut.h"

#include <winsim/machine.h>

void LosePower() {
  winsim::Faults& faults = winsim::machine().faults;
  faults.CutPower(faults.TotalCalls() + 1);  // from the next call on
}
