// How Windows spells a path out in full (GetFullPathNameA) and in 8.3 aliases
// (GetShortPathNameA), over the simulated file system.
#include <winsim/filesystem.h>
#include <winsim/text.h>

#include <algorithm>

namespace winsim {

namespace {

bool IsSeparator(char c) { return c == '\\'; }

// The root a path starts from, and the rest of it: "\\?\" and "\\.\" device paths keep
// their first name in the root, UNC paths their server and share.
struct Rooted {
  std::string root;  // "C:", "\\server\share", "\\.\C:"
  std::string rest;
  bool unc = false;  // a root that is written without a separator after it
};

// Splits off the first `count` names after `prefixLength` characters as the root.
Rooted SplitRoot(const std::string& path, std::size_t prefixLength, int count) {
  std::size_t end = prefixLength;
  for (int name = 0; name < count && end < path.size(); ++name) {
    if (name > 0) ++end;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
  }
  return {path.substr(0, end), end < path.size() ? path.substr(end) : "", true};
}

}  // namespace

std::string FileSystem::FullPathName(std::string_view given) const {
  std::string path(given);
  if (path.empty()) return "";
  std::replace(path.begin(), path.end(), '/', '\\');
  // "\\?\" paths are taken literally when opened, but spelt out here like "\\.\" ones.
  Rooted rooted;
  if (path.rfind("\\\\?\\", 0) == 0 || path.rfind("\\\\.\\", 0) == 0) {
    rooted = SplitRoot(path, 4, 1);
  } else if (path.rfind("\\\\", 0) == 0) {
    rooted = SplitRoot(path, 2, 2);
  } else if (path.size() >= 2 && path[1] == ':') {
    rooted.root = path.substr(0, 2);  // the drive letter as written
    rooted.rest = path.substr(2);
    // "D:name" goes on from the current directory when it is on that drive.
    if (rooted.rest.empty() || !IsSeparator(rooted.rest[0])) {
      if (SameName(currentDirectory.substr(0, 2), rooted.root)) {
        rooted.rest = currentDirectory.substr(2) + "\\" + rooted.rest;
      }
    }
  } else if (IsSeparator(path[0])) {
    rooted.root = currentDirectory.substr(0, 2);
    rooted.rest = path;
  } else {
    rooted.root = currentDirectory.substr(0, 2);
    rooted.rest = currentDirectory.substr(2) + "\\" + path;
  }

  // Runs of separators and "." go, ".." climbs (never above the root), and a name that
  // ends in a single period loses it.
  std::vector<std::string> names;
  for (std::string& name : SplitPath(rooted.rest)) {
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    if (name.size() > 1 && name.back() == '.' && name[name.size() - 2] != '.') name.pop_back();
    names.push_back(std::move(name));
  }
  // Without a separator at its end, the path loses its trailing periods and blanks.
  const bool trailingSeparator = IsSeparator(path.back());
  if (!trailingSeparator && !names.empty()) {
    std::string& last = names.back();
    last.erase(last.find_last_not_of(". ") + 1);
    if (last.empty()) names.pop_back();
  }

  std::string full = rooted.root;
  for (const std::string& name : names) full += "\\" + name;
  if (names.empty() ? !rooted.unc : trailingSeparator) full += "\\";
  return full;
}

std::optional<std::string> FileSystem::ShortPathName(std::string_view path) const {
  char drive = 0;
  const std::vector<std::string> parts = Components(FullPathName(path), &drive);
  if (!drive) return std::nullopt;
  std::string out(1, drive);
  out += ":";
  FileNode* node = volumes_.at(drive).get();
  for (const std::string& part : parts) {
    node = Resolve(node);
    node = node && node->IsDirectory() ? node->Child(part) : nullptr;
    if (!node) return std::nullopt;
    out += "\\" + (node->shortName.empty() ? node->name : node->shortName);
  }
  if (parts.empty()) out += "\\";
  return out;
}

}  // namespace winsim
