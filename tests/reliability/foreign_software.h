// A machine full of other people's software, generated from a seed: services (some of
// them on top of the product's on-access driver), SNMP agents, class identifiers and
// context-menu handlers, start-up values, the vendor's other products, Program Manager
// groups, and files beside the product's, many with names close to the product's own.
#pragma once

#include <winsim/machine.h>

struct ForeignSoftware {
  bool dependsOnOnAccessDriver = false;  // a foreign service needs "Varden Wardel"
};

// Installs the foreign software of `seed` on `machine`, before the product is installed.
ForeignSoftware InstallForeignSoftware(winsim::Machine& machine, unsigned seed);
