#include "uninstall/run_log.h"

#include "support/file_identity.h"
#include "support/full_path.h"

namespace {

// The log's path, or empty when there is none or it is refused.
std::string AcceptedLogPath(const ProfileTexts& profile) {
  if (profile.logFileTooLong) {
    Trace("Log file refused, its path is too long.\n");
    return "";
  }
  if (!profile.logFile.empty() && FullyQualifiedPath(profile.logFile).empty()) {
    TraceValue("Log file refused, it is not a full path: ", profile.logFile);
    return "";
  }
  return profile.logFile;
}

// True when the file at `path` lies in `directory`, or when that cannot be told: by path
// (its 8.3 aliases too), and by what each directory on its way is.
bool LiesIn(const std::string& path, const std::string& directory) {
  const std::string full = FullDirectoryPath(path.c_str());
  const std::string holder = ParentOf(full);
  if (holder.empty() || IsAtOrBelow(holder, directory)) return true;
  const IdentityLookup product = LookUpIdentity(directory);
  if (!product.Found()) return product.Failed();
  for (std::string on = holder; !on.empty(); on = ParentOf(on)) {
    const IdentityLookup lookup = LookUpIdentity(on);
    if (lookup.Failed() || lookup.Is(product)) return true;
  }
  return false;
}

// True when the open log is one of `files`, or when that cannot be told.
bool IsOneOf(const IdentityLookup& log, const std::vector<std::string>& files) {
  if (!log.Found()) return true;
  for (const std::string& file : files) {
    if (file.empty()) return true;
    const IdentityLookup lookup = LookUpIdentity(file);
    if (lookup.Failed() || lookup.Is(log)) return true;
  }
  return false;
}

}  // namespace

void OpenRunLog(RunLog& log, const ProfileTexts& profile) { log.Open(AcceptedLogPath(profile)); }

void RefuseLogInRemoval(RunLog& log, const std::string& productDirectory,
                        const std::vector<std::string>& files) {
  if (log.File() == INVALID_HANDLE_VALUE) return;
  if (!productDirectory.empty() && LiesIn(log.Path(), productDirectory)) {
    log.Refuse("Log file refused, it lies in the VDAV directory: ");
  } else if (IsOneOf(IdentityOfOpenFile(log.File()), files)) {
    log.Refuse("Log file refused, it is a file the run removes: ");
  }
}
