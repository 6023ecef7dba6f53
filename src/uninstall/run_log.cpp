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

// The log's path, or empty when there is none or it is refused.
std::string AcceptedLogPath(const ProfileTexts& profile, const std::string& productDirectory) {
  const std::string& path = profile.logFile;
  if (profile.logFileTooLong) {
    Trace("Log file refused, its path is too long.\n");
    return "";
  }
  if (path.empty()) return "";
  if (FullyQualifiedPath(path).empty()) {
    TraceValue("Log file refused, it is not a full path: ", path);
    return "";
  }
  if (productDirectory.empty()) return path;
  // Compared through the directory that holds the log, which exists where the log may
  // not yet: as the system resolves it and by its 8.3 alias, so that
  // "...\ANTI-V~1\log.txt" is inside "...\Anti-Virus" and "...\Anti-Virus2\log.txt" is not.
  // One that cannot be resolved may be inside.
  const std::string directory = DirectoryOfFile(path);
  if (directory.empty() || IsAtOrBelow(directory, productDirectory)) {
    TraceValue("Log file refused, it lies in the VDAV directory: ", path);
    return "";
  }
  return path;
}

}  // namespace

void OpenRunLog(RunLog& log, const ProfileTexts& profile, const std::string& productDirectory) {
  log.Open(AcceptedLogPath(profile, productDirectory));
}
