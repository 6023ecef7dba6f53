#include "files/directory_listing.h"

#include <cstring>

#include "files/removal_tally.h"
#include "support/handles.h"
#include "support/trace.h"

std::optional<std::string> ChildPath(const std::string& directory, std::string_view name,
                                     bool isDirectory) {
  std::string path = directory + "\\" + std::string(name);
  if (path.size() < kPathCapacity) return path;
  TraceValue(isDirectory ? "Path too long, directory skipped: " : "Path too long, file skipped: ",
             path);
  return std::nullopt;
}

std::optional<std::string> EntryPath(const std::string& directory, const WIN32_FIND_DATAA& entry) {
  const bool isDirectory = IsDirectoryEntry(entry);
  std::optional<std::string> path = ChildPath(directory, entry.cFileName, isDirectory);
  if (!path) NoteRemoval(directory + "\\" + entry.cFileName, isDirectory, Removal::kLeft);
  return path;
}

void ForEachEntry(const std::string& directory,
                  const std::function<void(const WIN32_FIND_DATAA&)>& visit) {
  const std::string pattern = directory + "\\*.*";
  if (pattern.size() >= kPathCapacity) {
    TraceValue("Path too long, directory not listed: ", directory);
    return;
  }
  WIN32_FIND_DATAA entry;
  FindHandle listing(FindFirstFileA(pattern.c_str(), &entry));
  if (!listing) return;
  // The first entry is taken to be ".". Should "." come again later, it is not entered:
  // that would walk the same directory once more.
  while (FindNextFileA(listing.Get(), &entry)) {
    if (std::strcmp(entry.cFileName, "..") != 0 && std::strcmp(entry.cFileName, ".") != 0) {
      visit(entry);
    }
  }
}
