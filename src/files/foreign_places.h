// What the machine registers as other programs' and users' places: the directories
// that a product directory must never be nor hold, read from where Windows and setups
// write them. The product's own entries (its App Paths entry, its services and drivers,
// its Uninstall entry) are never among them.
#pragma once

#include <string>
#include <vector>

enum class PlaceKind {
  kProgramsDirectory,  // Program Files or Common Files
  kUserFolder,         // the profiles' root, a profile, a shell folder
  kOtherProgram,       // another program's directory, service image or uninstaller
};

struct ForeignPlace {
  PlaceKind kind;
  std::string named;      // what the registry names, as expanded: the trace shows it
  std::string directory;  // the directory that is or holds it, as FullDirectoryPath spells it
};

struct ForeignPlaces {
  std::vector<ForeignPlace> places;
  // The first entry that is there but could not be read or resolved, in the registry
  // path notation; empty when every one could. A key or value that is absent is none.
  std::string unreadable;
};

// Reads every place. A value that is not a path at all (no drive letter or share, as a
// bare program name) names no place and is passed over.
ForeignPlaces ReadForeignPlaces(const std::string& windowsDirectory);
