#include "support/file_identity.h"

#include "support/full_path.h"

namespace {

bool IsNotFound(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

FileHandle OpenForAttributes(const std::string& path) {
  // Asking for the attributes alone opens what others hold open too, and a directory
  // opens only with backup semantics.
  return FileHandle(CreateFileA(CallablePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

IdentityLookup AfterFailedOpen(const std::string& path) {
  // Missing only when the system says so twice: a path that exists is never taken for
  // one that does not.
  const bool missing = IsNotFound(GetLastError()) &&
                       GetFileAttributesA(CallablePath(path).c_str()) == INVALID_FILE_ATTRIBUTES &&
                       IsNotFound(GetLastError());
  return {missing ? IdentityLookup::Outcome::kMissing : IdentityLookup::Outcome::kFailed, {}};
}

IdentityLookup LookUpIdentity(const std::string& path) {
  const FileHandle file = OpenForAttributes(path);
  return file ? IdentityOfOpenFile(file.Get()) : AfterFailedOpen(path);
}

IdentityLookup IdentityOfOpenFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(file, &information)) return {};
  const FileIdentity identity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                              information.nFileIndexLow};
  if (!TellsFilesApart(identity)) return {};
  return {IdentityLookup::Outcome::kFound, identity};
}
