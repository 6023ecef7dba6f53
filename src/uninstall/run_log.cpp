#include "uninstall/run_log.h"

#include "support/full_path.h"

namespace {

// The directory that holds the file `path`, as FullDirectoryPath spells it; empty when
// the path cannot be resolved.
std::string DirectoryOfFile(const std::string& path) {
  const std::string full = FullDirectoryPath(path.c_str());
  const std::size_t slash = full.rfind('\\');
  return slash == std::string::npos ? full : full.substr(0, slash);
}

}  // namespace

void OpenRunLog(RunLog& log, const std::string& path, const std::string& productDirectory) {
  // Compared through the directory that holds the log, which exists where the log may
  // not yet: as the system resolves it and by its 8.3 alias, so that
  // "...\ANTI-V~1\log.txt" is inside "...\Anti-Virus" and "...\Anti-Virus2\log.txt" is not.
  const bool inside =
      !path.empty() && !productDirectory.empty() && IsAtOrBelow(DirectoryOfFile(path), productDirectory);
  if (inside) TraceValue("Log file refused, it lies in the VDAV directory: ", path);
  log.Open(inside ? "" : path);
}
