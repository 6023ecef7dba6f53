#include "files/holder_walk.h"

#include <set>
#include <vector>

#include "support/ascii.h"
#include "support/full_path.h"

const LocatedDirectory& HolderWalk::LookUp(const std::string& directory) {
  const std::string key = AsciiLowered(directory);
  const auto known = seen_.find(key);
  if (known != seen_.end()) return known->second;
  return seen_.emplace(key, locations_.LookUp(directory)).first->second;
}

IdentityLookup::Outcome HolderWalk::FindHolder(const std::string& directory, const IdentityLookup& wanted) {
  bool failed = false;
  std::set<std::string> walked;  // a path met again has had its holders walked already
  std::vector<std::string> paths{directory};
  while (!paths.empty()) {
    std::string path = paths.back();
    paths.pop_back();
    for (; !path.empty() && !IsRootDirectory(path) && walked.insert(AsciiLowered(path)).second; path = ParentOf(path)) {
      const LocatedDirectory& located = LookUp(path);
      if (located.identity.Is(wanted)) return IdentityLookup::Outcome::kFound;
      failed = failed || located.identity.Failed();
      if (!located.realPath.empty()) paths.push_back(located.realPath);
    }
  }
  return failed ? IdentityLookup::Outcome::kFailed : IdentityLookup::Outcome::kMissing;
}
