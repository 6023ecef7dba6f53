#include "files/tree_removal.h"

#include <windows.h>

#include <cstring>
#include <optional>

#include "files/directory_listing.h"
#include "files/file_deletion.h"
#include "support/full_path.h"

void StripTrailingBackslash(char* path) {
  std::size_t length = std::strlen(path);
  if (length > 0 && path[length - 1] == '\\') path[length - 1] = '\0';
}

namespace {

// After a failed removal: true when there was nothing left to remove.
bool AlreadyGone() {
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// An empty directory, or a link (which is never entered: removing it leaves what it
// points to alone). True when it is gone.
bool RemoveEmptyDirectory(const std::string& directory) {
  return RemoveProductDirectory(directory.c_str()) || AlreadyGone();
}

bool RemoveTree(const std::string& directory);

// Removes one entry of `directory` now, or schedules it for removal at the next system
// start when it is still there.
void RemoveEntry(const std::string& directory, const WIN32_FIND_DATAA& entry) {
  const bool isDirectory = IsDirectoryEntry(entry);
  const std::optional<std::string> path = ChildPath(directory, entry.cFileName, isDirectory);
  if (!path) return;
  bool removed;
  if (!isDirectory) {
    removed = DeleteProductFile(path->c_str()) || AlreadyGone();
  } else if (IsLinkEntry(entry)) {
    removed = RemoveEmptyDirectory(*path);
  } else {
    removed = RemoveTree(*path);
  }
  if (!removed) MoveFileExA(path->c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// Depth first: each subdirectory is emptied and removed before the listing of its
// parent goes on. True when `directory` itself is gone.
bool RemoveTree(const std::string& directory) {
  ForEachEntry(directory, [&](const WIN32_FIND_DATAA& entry) { RemoveEntry(directory, entry); });
  return RemoveEmptyDirectory(directory);
}

}  // namespace

// The top directory is not scheduled when it stays: the caller comes back for it a
// moment later, once the programs that held its files have let go.
void RemoveDirectoryTree(const char* directory) {
  // A root is never removed, and "D:" alone would name drive D's current directory.
  if (IsRootDirectory(directory)) {
    ForEachEntry(directory, [&](const WIN32_FIND_DATAA& entry) { RemoveEntry(directory, entry); });
    return;
  }
  RemoveTree(directory);
}
