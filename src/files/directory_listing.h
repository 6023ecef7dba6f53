// Walking the product directory's tree: the paths of its entries and the listing of one
// directory, shared by both removal modes.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Every path the removal builds fits the system's path limit, terminator included.
constexpr std::size_t kPathCapacity = MAX_PATH;

// `directory`, "\" and `name`; none when that does not fit kPathCapacity, in which case
// the path is traced as skipped (as a directory or as a file).
std::optional<std::string> ChildPath(const std::string& directory, std::string_view name,
                                     bool isDirectory);

// The path of a listed `entry` of `directory`, as ChildPath gives it; an entry whose path
// does not fit is there all the same and stays, so it is noted left (RemovalTally).
std::optional<std::string> EntryPath(const std::string& directory, const WIN32_FIND_DATAA& entry);

// Calls `visit` for each entry of `directory` in listing order. The listing's first
// entry is passed over as the directory's own "." entry; "." and ".." are skipped. A missing
// or unreadable directory has no entries.
void ForEachEntry(const std::string& directory,
                  const std::function<void(const WIN32_FIND_DATAA&)>& visit);

inline bool IsDirectoryEntry(const WIN32_FIND_DATAA& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A junction or a symbolic link: removing it must never reach what it points to.
inline bool IsLinkEntry(const WIN32_FIND_DATAA& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
