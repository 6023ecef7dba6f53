#include "files/directory_listing.h"

#include <cstring>

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
