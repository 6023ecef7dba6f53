#include "files/relative_path.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Windows drops trailing dots and blanks from a name, so ".. " and "..." may climb too;
// only the single "." (the directory itself) is harmless.
bool ClimbsOrIsUnclear(std::string_view segment) {
  if (segment.empty() || segment == ".") return false;
  return segment.find_first_not_of(". ") == std::string_view::npos;
}

}  // namespace

bool IsPlainRelativePath(std::string_view entry) {
  if (entry.empty() || IsSeparator(entry.front())) return false;
  if (entry.find(':') != std::string_view::npos) return false;
  std::size_t start = 0;
  while (start <= entry.size()) {
    std::size_t end = start;
    while (end < entry.size() && !IsSeparator(entry[end])) ++end;
    if (ClimbsOrIsUnclear(entry.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}
