#include "shell/manager.h"

#include <windows.h>

#include <string>

#include "support/bounded_text.h"
#include "support/child_process.h"
#include "support/full_path.h"
#include "support/handles.h"
#include "support/path_values.h"
#include "support/trace.h"

namespace {

constexpr char kManagerKey[] = "SOFTWARE\\Velmora\\Varden\\Manager\\1.0";
constexpr char kCommonKey[] = "SOFTWARE\\Velmora\\Common\\Paths";

// A directory value of `key`, read whole, and only in the one strict full form: a path
// without its drive letter would name a directory on whatever drive the program was
// started from, so it counts as not registered.
PathValue ReadDirectoryValue(HKEY key, const char* name, std::string& directory) {
  const PathValue read = ReadRegistryPath(key, name, directory);
  return read == PathValue::kRead && !IsStrictFullPath(directory) ? PathValue::kMissing : read;
}

PathValue ReadVendorDirectory(const char* keyPath, const char* name, std::string& directory) {
  RegKey key;
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, key.Receive());
  if (opened != ERROR_SUCCESS) return opened == ERROR_FILE_NOT_FOUND ? PathValue::kMissing : PathValue::kFailed;
  return ReadDirectoryValue(key.Get(), name, directory);
}

// A directory is used as read: one backslash always goes before the file name.
std::string PathIn(const std::string& directory, const char* fileName) {
  return std::string(directory) + "\\" + fileName;
}

bool FitsPath(const std::string& path) { return path.size() < MAX_PATH; }

bool FileExists(const std::string& mask) {
  WIN32_FIND_DATAA found;
  FindHandle search(FindFirstFileA(mask.c_str(), &found));
  return static_cast<bool>(search);
}

}  // namespace

int ManagerInstalled() {
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kManagerKey, 0, KEY_ALL_ACCESS, key.Receive()) !=
      ERROR_SUCCESS) {
    Trace("VDMGR is not installed...\n");
    return 0;
  }
  Trace("VDMGR key exists...\n");
  Trace("Looking for VDMGR.EXE file ...\n");

  std::string directory;
  if (ReadDirectoryValue(key.Get(), "ProgramDir", directory) != PathValue::kRead) {
    Trace("Can't open Program Dir value. Assuming that VDMGR is not installed...\n");
    return 0;
  }
  TraceValue("VDMGR Directory ...\n", directory);

  const std::string mask = PathIn(directory, "VDMGR.EXE");
  if (!FitsPath(mask)) {
    TraceValue("File mask too long, VDMGR is assumed not installed: ", mask);
    return 0;
  }
  TraceValue("File mask: ", mask);
  if (!FileExists(mask)) {
    Trace("The file VDMGR.EXE was not found. Assuming that VDMGR is not installed...\n");
    return 0;
  }
  Trace("The file VDMGR.EXE was found. VDMGR is assumed installed...\n");
  return 1;
}

int ReadCommonDirectory(char* buffer) {
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCommonKey, 0, KEY_ALL_ACCESS, key.Receive()) !=
      ERROR_SUCCESS) {
    return 0;
  }
  std::string directory;
  const PathValue read = ReadDirectoryValue(key.Get(), "Common", directory);
  if (read == PathValue::kRead) CopyText(buffer, kCommonDirectoryCapacity, directory);
  if (read == PathValue::kTooLong) buffer[0] = '\0';
  return 1;
}

PathValue ReadCommonDirectoryPath(std::string& directory) {
  return ReadVendorDirectory(kCommonKey, "Common", directory);
}

PathValue ReadManagerDirectory(std::string& directory) {
  return ReadVendorDirectory(kManagerKey, "ProgramDir", directory);
}

int RemoveManager() {
  Trace("Getting common dir...\n");
  char commonDirectory[kCommonDirectoryCapacity] = "";
  if (ReadCommonDirectory(commonDirectory) == 1) {
    Trace(commonDirectory);
    Trace("\n");
  }

  // Without the common directory the uninstaller would be looked for at the root of the
  // current drive, where any program of that name could sit: nothing is started then.
  if (commonDirectory[0] == '\0') {
    Trace("Common directory not found, VDMGR uninstaller vduninst.exe not found.\n");
    return 1;
  }
  const std::string application = PathIn(commonDirectory, "vduninst.exe");
  if (!FitsPath(application)) {
    TraceValue("Path too long, VDMGR uninstaller not started: ", application);
    return 1;
  }
  // The uninstaller gets its bare file name as the first word of its command line.
  const std::string commandLine = "vduninst.exe UNINSTALL";
  Trace(application);
  Trace("\n");
  Trace(commandLine);
  Trace("\n");
  RunAndWait(application, commandLine);
  return 1;
}
