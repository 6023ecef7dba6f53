// The system's English message texts, as FormatMessageA gives them on Windows NT.
#include <winsim/system.h>

#include <map>

namespace winsim {

const char* SystemMessage(DWORD code) {
  static const std::map<DWORD, const char*> texts = {
      {0, "The operation completed successfully.\r\n"},
      {1, "Incorrect function.\r\n"},
      {2, "The system cannot find the file specified.\r\n"},
      {3, "The system cannot find the path specified.\r\n"},
      {5, "Access is denied.\r\n"},
      {6, "The handle is invalid.\r\n"},
      {8, "Not enough storage is available to process this command.\r\n"},
      {14, "Not enough storage is available to complete this operation.\r\n"},
      {18, "There are no more files.\r\n"},
      {21, "The device is not ready.\r\n"},
      {32, "The process cannot access the file because it is being used by another process.\r\n"},
      {34, "The wrong diskette is in the drive.\r\nInsert %2 (Volume Serial Number: %3) into drive %1.\r\n"},
      {53, "The network path was not found.\r\n"},
      {87, "The parameter is incorrect.\r\n"},
      {122, "The data area passed to a system call is too small.\r\n"},
      {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
      {145, "The directory is not empty.\r\n"},
      {161, "The specified path is invalid.\r\n"},
      {183, "Cannot create a file when that file already exists.\r\n"},
      {206, "The filename or extension is too long.\r\n"},
      {234, "More data is available.\r\n"},
      {259, "No more data is available.\r\n"},
      {267, "The directory name is invalid.\r\n"},
      {1018, "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
      {1051, "A stop control has been sent to a service that other running services are dependent on.\r\n"},
      {1052, "The requested control is not valid for this service.\r\n"},
      {1053, "The service did not respond to the start or control request in a timely fashion.\r\n"},
      {1055, "The service database is locked.\r\n"},
      {1056, "An instance of the service is already running.\r\n"},
      {1058, "The service cannot be started, either because it is disabled or because it has no enabled devices associated with it.\r\n"},
      {1060, "The specified service does not exist as an installed service.\r\n"},
      {1061, "The service cannot accept control messages at this time.\r\n"},
      {1062, "The service has not been started.\r\n"},
      {1064, "An exception occurred in the service when handling the control request.\r\n"},
      {1065, "The database specified does not exist.\r\n"},
      {1066, "The service has returned a service-specific error code.\r\n"},
      {1072, "The specified service has been marked for deletion.\r\n"},
      {1073, "The specified service already exists.\r\n"},
      {1223, "The operation was canceled by the user.\r\n"},
  };
  auto it = texts.find(code);
  return it == texts.end() ? nullptr : it->second;
}

}  // namespace winsim
