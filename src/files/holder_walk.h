// The directories that hold a directory: those on its path up to its root, and, where a
// link leads it elsewhere, those on the path of where it really is. Each directory is
// looked up once however many walks pass it.
#pragma once

#include <map>
#include <string>

#include "support/file_identity.h"
#include "support/real_location.h"

class HolderWalk {
 public:
  // What `directory` (as FullDirectoryPath spells it) and every directory that holds it
  // are, the roots left out (they are judged apart). Returns the first that is `wanted`
  // (kFound), or kFailed when one of them could not be looked up, or kMissing when none
  // is and all could be told.
  IdentityLookup::Outcome FindHolder(const std::string& directory, const IdentityLookup& wanted);

  // What one directory is, and where it really is.
  const LocatedDirectory& LookUp(const std::string& directory);

 private:
  RealLocations locations_;
  std::map<std::string, LocatedDirectory> seen_;  // by the path in lower case
};
