#include "support/windows_directory.h"

#include <windows.h>

std::string WindowsDirectoryPath(const char* fileName) {
  char directory[MAX_PATH] = "";
  UINT length = GetWindowsDirectoryA(directory, sizeof directory);
  if (length == 0 || length >= sizeof directory) return "";
  return std::string(directory) + "\\" + fileName;
}
