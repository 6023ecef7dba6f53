// The error each simulated function most plausibly fails with on a real machine: the one
// an administrator meets (a key or file refused, a file in use, a service that will not
// take the control now), rather than one that only a programming error gives.
#include <winsim/faults.h>

#include <ddeml.h>

#include <map>

namespace winsim {
namespace {

const std::map<std::string_view, DWORD>& ErrorTable() {
  static const std::map<std::string_view, DWORD> table = {
      // Registry
      {"RegOpenKeyExA", ERROR_ACCESS_DENIED},
      {"RegCreateKeyExA", ERROR_ACCESS_DENIED},
      {"RegEnumKeyExA", ERROR_ACCESS_DENIED},
      {"RegEnumValueA", ERROR_MORE_DATA},
      {"RegQueryInfoKeyA", ERROR_ACCESS_DENIED},
      {"RegQueryValueExA", ERROR_MORE_DATA},
      {"RegDeleteKeyA", ERROR_ACCESS_DENIED},
      {"RegDeleteValueA", ERROR_ACCESS_DENIED},
      {"RegFlushKey", ERROR_ACCESS_DENIED},
      {"RegCloseKey", ERROR_INVALID_HANDLE},
      {"RegSetValueExA", ERROR_ACCESS_DENIED},
      // Service control manager
      {"OpenSCManagerA", ERROR_ACCESS_DENIED},
      {"OpenServiceA", ERROR_ACCESS_DENIED},
      {"QueryServiceStatus", ERROR_ACCESS_DENIED},
      {"ControlService", ERROR_SERVICE_CANNOT_ACCEPT_CTRL},
      {"StartServiceA", ERROR_SERVICE_REQUEST_TIMEOUT},
      {"DeleteService", ERROR_SERVICE_MARKED_FOR_DELETE},
      {"EnumDependentServicesA", ERROR_MORE_DATA},
      {"EnumServicesStatusA", ERROR_MORE_DATA},
      {"CloseServiceHandle", ERROR_INVALID_HANDLE},
      {"CreateServiceA", ERROR_ACCESS_DENIED},
      // Files
      {"CreateFileA", ERROR_FILE_NOT_FOUND},
      {"DeleteFileA", ERROR_SHARING_VIOLATION},
      {"RemoveDirectoryA", ERROR_SHARING_VIOLATION},
      {"MoveFileExA", ERROR_ACCESS_DENIED},
      {"FindFirstFileA", ERROR_ACCESS_DENIED},
      {"FindNextFileA", ERROR_NO_MORE_FILES},
      {"FindClose", ERROR_INVALID_HANDLE},
      {"GetFileAttributesA", ERROR_ACCESS_DENIED},
      {"GetFullPathNameA", ERROR_INVALID_NAME},
      {"GetShortPathNameA", ERROR_ACCESS_DENIED},
      {"SetFileAttributesA", ERROR_ACCESS_DENIED},
      {"GetPrivateProfileStringA", ERROR_FILE_NOT_FOUND},
      {"GetPrivateProfileIntA", ERROR_FILE_NOT_FOUND},
      {"WritePrivateProfileStringA", ERROR_ACCESS_DENIED},
      {"WritePrivateProfileSectionA", ERROR_ACCESS_DENIED},
      {"CreateDirectoryA", ERROR_ACCESS_DENIED},
      {"CopyFileA", ERROR_SHARING_VIOLATION},
      {"WriteFile", ERROR_DISK_FULL},
      {"SetFilePointer", ERROR_NETNAME_DELETED /* a file on a share that went away */},
      {"FlushFileBuffers", ERROR_DISK_FULL},
      {"GetFileType", ERROR_INVALID_HANDLE},
      {"GetFileInformationByHandle", ERROR_INVALID_FUNCTION /* a file system without file indexes */},
      {"GetLogicalDrives", ERROR_NOT_ENOUGH_MEMORY},
      {"GetDriveTypeA", ERROR_NOT_ENOUGH_MEMORY},
      {"GetFinalPathNameByHandleA", ERROR_INVALID_FUNCTION /* a redirector that cannot name its files */},
      // Processes and the system
      {"CreateProcessA", ERROR_FILE_NOT_FOUND},
      {"WaitForSingleObject", ERROR_INVALID_HANDLE},
      {"CreateMutexA", ERROR_ACCESS_DENIED /* made by another account, which denies this one */},
      {"CloseHandle", ERROR_INVALID_HANDLE},
      {"GetWindowsDirectoryA", ERROR_NOT_ENOUGH_MEMORY},
      {"ExpandEnvironmentStringsA", ERROR_NOT_ENOUGH_MEMORY},
      {"GetModuleHandleA", ERROR_MOD_NOT_FOUND},
      {"GetProcAddress", ERROR_PROC_NOT_FOUND /* an older KERNEL32 without the export */},
      {"GetVersionExA", ERROR_INSUFFICIENT_BUFFER},
      {"GetComputerNameA", ERROR_NOT_ENOUGH_MEMORY},
      {"FormatMessageA", ERROR_NOT_ENOUGH_MEMORY},
      // Windows, messages and the user
      {"MessageBoxA", ERROR_NOT_ENOUGH_MEMORY},
      {"LoadCursorA", ERROR_NOT_ENOUGH_MEMORY},
      {"FindWindowA", ERROR_FILE_NOT_FOUND},
      {"GetWindowThreadProcessId", ERROR_INVALID_HANDLE},
      {"PostThreadMessageA", ERROR_NOT_ENOUGH_MEMORY},
      // The DDE library reports its own codes
      {"DdeInitializeA", DMLERR_SYS_ERROR},
      {"DdeCreateStringHandleA", DMLERR_SYS_ERROR},
      {"DdeConnect", DMLERR_NO_CONV_ESTABLISHED},
      {"DdeCreateDataHandle", DMLERR_SYS_ERROR},
      {"DdeClientTransaction", DMLERR_NOTPROCESSED},
      {"DdeFreeStringHandle", DMLERR_INVALIDPARAMETER},
      {"DdeDisconnect", DMLERR_NO_CONV_ESTABLISHED},
      {"DdeUninitialize", DMLERR_DLL_NOT_INITIALIZED},
  };
  return table;
}

}  // namespace

std::optional<DWORD> PlausibleError(std::string_view api) {
  auto it = ErrorTable().find(api);
  if (it == ErrorTable().end()) return std::nullopt;
  return it->second;
}

bool ReleasesHandle(std::string_view api) {
  for (std::string_view release : {"RegCloseKey", "CloseServiceHandle", "FindClose", "CloseHandle",
                                   "DdeFreeStringHandle", "DdeDisconnect",
                                   "DdeUninitialize"}) {
    if (api == release) return true;
  }
  return false;
}

}  // namespace winsim
