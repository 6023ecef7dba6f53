#include "uninstall/product_directory.h"

#include <windows.h>

#include <algorithm>

#include "support/ascii.h"
#include "support/file_identity.h"
#include "support/full_path.h"
#include "support/handles.h"
#include "support/trace.h"

PathValue ReadRegisteredDirectory(std::string& directory) {
  // Reading needs no more than the right to read: a key refused to a wider access is
  // still there, and only a key the system says is not there is gone.
  RegKey key;
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                                    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TESSORNT.EXE", 0,
                                    KEY_QUERY_VALUE, key.Receive());
  if (opened != ERROR_SUCCESS) return opened == ERROR_FILE_NOT_FOUND ? PathValue::kMissing : PathValue::kFailed;
  const PathValue path = ReadRegistryPath(key.Get(), "Path", directory);
  if (path == PathValue::kRead) directory.erase(std::min(directory.find(';'), directory.size()));
  return path == PathValue::kMissing ? ReadFirstRegistryValue(key.Get(), directory) : path;
}

std::string CheckedProductDirectory(PathValue read, const std::string& value) {
  if (read == PathValue::kTooLong) Trace("VDAV Path refused, it is too long.\n");
  if (read == PathValue::kFailed) Trace("VDAV Path cannot be read.\n");
  if (read != PathValue::kRead || value.empty()) return "";
  if (FullyQualifiedPath(value).empty()) {
    TraceValue("VDAV Path refused, it is not a full path: ", value);
    return "";
  }
  const std::string directory = FullDirectoryPath(value.c_str());
  if (directory.empty()) TraceValue("VDAV Path cannot be resolved: ", value);
  return directory;
}

bool IsSameDirectory(const std::string& a, const std::string& b) {
  const std::string first = FullDirectoryPath(a.c_str());
  const std::string second = FullDirectoryPath(b.c_str());
  if (first.empty() || second.empty()) return false;
  const IdentityLookup firstIs = LookUpIdentity(first);
  const IdentityLookup secondIs = LookUpIdentity(second);
  if (firstIs.Found() || secondIs.Found()) return firstIs.Is(secondIs);
  return !firstIs.Failed() && !secondIs.Failed() && EqualIgnoringAsciiCase(first, second);
}
