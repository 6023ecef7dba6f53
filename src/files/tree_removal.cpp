#include "files/tree_removal.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "support/ascii.h"

void StripTrailingBackslash(char* path) {
  std::size_t length = std::strlen(path);
  if (length > 0 && path[length - 1] == '\\') path[length - 1] = '\0';
}

int DirectoryNeedsWarning(char* directory) {
  char windowsDirectory[MAX_PATH] = "";
  UINT length = GetWindowsDirectoryA(windowsDirectory, sizeof windowsDirectory);
  if (length >= sizeof windowsDirectory) windowsDirectory[0] = '\0';
  StripTrailingBackslash(directory);
  StripTrailingBackslash(windowsDirectory);

  std::string systemDirectory = std::string(windowsDirectory) + "\\system";
  if (windowsDirectory[0] != '\0' &&
      (EqualIgnoringAsciiCase(directory, windowsDirectory) ||
       EqualIgnoringAsciiCase(directory, systemDirectory) ||
       EqualIgnoringAsciiCase(directory, systemDirectory + "32"))) {
    return 1;
  }
  return std::strlen(directory) < 3 ? 2 : 0;
}

// Placeholder until the tree removal is built: removes nothing.
void RemoveDirectoryTree(char* directory) { StripTrailingBackslash(directory); }
