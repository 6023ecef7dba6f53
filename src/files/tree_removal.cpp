#include "files/tree_removal.h"

#include <windows.h>

#include <cstring>
#include <optional>

#include "files/directory_listing.h"
#include "files/file_deletion.h"
#include "files/removal_tally.h"
#include "support/full_path.h"

void StripTrailingBackslash(char* path) {
  std::size_t length = std::strlen(path);
  if (length > 0 && path[length - 1] == '\\') path[length - 1] = '\0';
}

namespace {

bool RemoveTree(const std::string& directory);

// Removes one entry of `directory` now, or schedules it for removal at the next system
// start when it is still there. A link is removed itself, never entered: that leaves
// what it points to alone.
void RemoveEntry(const std::string& directory, const WIN32_FIND_DATAA& entry) {
  const std::optional<std::string> path = EntryPath(directory, entry);
  if (!path) return;
  const bool isDirectory = IsDirectoryEntry(entry);
  bool removed;
  if (!isDirectory) {
    removed = DeleteProductFile(path->c_str());
  } else if (IsLinkEntry(entry)) {
    removed = RemoveProductDirectory(path->c_str());
  } else {
    removed = RemoveTree(*path);
  }
  ScheduleUnlessDeleted(*path, isDirectory, removed);
}

// Depth first: each subdirectory is emptied and removed before the listing of its
// parent goes on. True when `directory` itself was removed; otherwise the last error is
// that of its removal.
bool RemoveTree(const std::string& directory) {
  ForEachEntry(directory, [&](const WIN32_FIND_DATAA& entry) { RemoveEntry(directory, entry); });
  return RemoveProductDirectory(directory.c_str());
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
  if (RemoveTree(directory)) NoteRemoval(directory, true, Removal::kDeleted);
}
