// What a half-removed product leaves behind once its App Paths entry and its removal
// record are gone (a setup or an uninstaller that failed half-way, a registration wiped by
// a restore or a cleaner): services and drivers still starting, an SNMP agent still
// loaded, shell and start-up entries pointing at missing files. A run with the profile
// setting RemoveLeftovers=1 looks for them by the product's own names, the same tables a
// whole run removes, never by a guessed path.
#pragma once

#include <string>
#include <vector>

struct Leftovers {
  std::vector<std::string> found;   // each thing found, as traced
  std::vector<std::string> places;  // resolved directories where the product's files were seen
};

// Looks for every leftover, tracing "Leftover found: <what>" for each: the product's
// services and drivers, the agent's event-log source, the SNMP agent's key and list
// entries, the application keys, the shell keys, the start-up values, the running
// programs, the driver files in the registered common directory and the supplementary
// files (the profile, which says to look, is not one). Also notes the directories that
// the services' images, the start-up values and the agent's DLL name.
Leftovers FindLeftovers();

// The agent DLL as the agent's key registers it ("Pathname"), when the run may delete it:
// a fully qualified path in the one strict form, the DLL's own name, in a directory the
// directory warning would let a run remove. Empty otherwise, with a trace line when a
// DLL is registered.
std::string RemovableAgentDll();

// Traces each place as left in place: nothing says that those directories hold only the
// product's files.
void TracePlacesLeft(const Leftovers& leftovers);
