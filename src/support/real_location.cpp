#include "support/real_location.h"

#include "support/full_path.h"

RealLocations::RealLocations() {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel) {
    finalPath_ = reinterpret_cast<FinalPathFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetFinalPathNameByHandleA")));
  }
  systemHasLinks_ = finalPath_ != nullptr || GetLastError() != ERROR_PROC_NOT_FOUND;
}

LocatedDirectory RealLocations::LookUp(const std::string& directory) const {
  LocatedDirectory located;
  const FileHandle file = OpenForAttributes(directory);
  if (!file) {
    located.identity = AfterFailedOpen(directory);
    return located;
  }
  located.identity = IdentityOfOpenFile(file.Get());
  if (!located.identity.Found() || !systemHasLinks_) return located;
  char path[MAX_PATH];
  const DWORD length = finalPath_ ? finalPath_(file.Get(), path, sizeof path, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS) : 0;
  located.realPath = length > 0 && length < sizeof path ? FullDirectoryPath(path) : "";
  if (located.realPath.empty()) located.identity = {};  // a link's end the system could not name
  return located;
}
