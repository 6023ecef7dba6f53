#include "uninstall/product_files.h"

#include "files/tree_removal.h"
#include "shell/manager.h"
#include "support/windows_directory.h"

namespace {

const char* const kDriverFiles[] = {
    "vdwd.sys", "vdfilter.sys", "vdrec.sys", "vdwd.400", "vdfilter.400", "vdrec.400",
    "vdwd.351", "vdfilter.351", "vdrec.351", "vdwd.350", "vdfilter.350", "vdrec.350",
};

}  // namespace

// Without the common directory there is nothing to remove: a bare "\vdwd.sys" would
// name the root of the current drive.
std::vector<std::string> DriverFilePaths() {
  char commonDirectory[kCommonDirectoryCapacity] = "";
  ReadCommonDirectory(commonDirectory);
  StripTrailingBackslash(commonDirectory);
  std::vector<std::string> paths;
  if (commonDirectory[0] == '\0') return paths;
  for (const char* name : kDriverFiles) paths.push_back(std::string(commonDirectory) + "\\" + name);
  return paths;
}
