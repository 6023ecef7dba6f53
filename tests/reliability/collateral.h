// What a run did to the machine, item by item: a registry key or value, a file or
// directory, a service, a deletion pending until restart. Items are told apart as
// foreign (there before the product was installed), the product's (added by its
// install) or new (made by the run).
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

// Every item of a machine snapshot (winsim::Machine::Snapshot), by its identity, with the
// line that describes its present state.
using MachineItems = std::map<std::string, std::string>;
MachineItems ItemsOf(const std::string& snapshot);

struct Collateral {
  std::vector<std::string> touched;  // foreign items changed, removed or scheduled
  std::vector<std::string> created;  // items the run made that were not there before
  std::size_t foreignChecked = 0;
};

// Compares a machine before the product was installed, once installed, and after a run.
// A foreign service named in `mayRestart` may change its state (the run restarts it);
// a pending deletion of a path that does not exist touches nothing.
Collateral CheckCollateral(const MachineItems& beforeInstall, const MachineItems& installed,
                           const MachineItems& afterRun, const std::set<std::string>& mayRestart = {});

// Text for a failure message: the items, one a line.
std::string Lines(const std::vector<std::string>& items);
