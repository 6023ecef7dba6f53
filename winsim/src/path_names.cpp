// How Windows spells a path out in full (GetFullPathNameA), in 8.3 aliases
// (GetShortPathNameA) and as what an open handle really is (GetFinalPathNameByHandleA),
// over the simulated file system.
#include <winsim/filesystem.h>
#include <winsim/text.h>

#include <algorithm>
#include <cctype>

namespace winsim {

namespace {

bool IsSeparator(char c) { return c == '\\'; }

bool IsDrivePath(const std::string& path) { return path.size() >= 2 && path[1] == ':'; }

// The root a full path starts from, and the rest of it. ".." never climbs above the root,
// which is the prefix itself for "\\?\" and "\\.\" device paths (so "\\?\C:\.." is
// "\\?\"), the server and share for UNC paths, and the drive for the others.
struct Rooted {
  std::string root;  // "C:", "\\server\share", "\\?\"
  std::string rest;
  bool unc = false;  // "\\server\share": a separator follows only when one was given
};

Rooted SplitFull(const std::string& path) {
  if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
      (path[2] == '?' || path[2] == '.') && IsSeparator(path[3])) {
    return {path.substr(0, 4), path.substr(4)};
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::size_t end = 2;  // past the server and the share
    for (int name = 0; name < 2 && end < path.size(); ++name) {
      if (name > 0) ++end;
      while (end < path.size() && !IsSeparator(path[end])) ++end;
    }
    return {path.substr(0, end), path.substr(std::min(end, path.size())), true};
  }
  return {path.substr(0, 2), path.size() > 2 ? path.substr(2) : ""};
}

// "\\?\C:\x" and "\\.\C:\x" as "C:\x", "\\?\UNC\server\share\x" as "\\server\share\x".
std::string WithoutDevicePrefix(std::string path) {
  while (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
         (path[2] == '?' || path[2] == '.') && IsSeparator(path[3])) {
    path.erase(0, 4);
    if (path.size() >= 4 && SameName(path.substr(0, 4), "UNC\\")) path.replace(0, 4, "\\\\");
  }
  return path;
}

bool IsUncPath(const std::string& path) {
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

}  // namespace

std::string FileSystem::FullPathName(std::string_view given) const {
  std::string path(given);
  if (path.empty()) return "";
  // Either separator, in the prefix too: "//?/C:/x" is the device path "\\?\C:\x".
  std::replace(path.begin(), path.end(), '/', '\\');
  // The system keeps one current directory. "D:name" on another drive goes on from the
  // directory the command prompt last had on D (handed down as the "=D:" environment
  // variable, here driveDirectories), else from D's root.
  std::string current = currentDirectory;
  std::replace(current.begin(), current.end(), '/', '\\');
  Rooted rooted;
  if (IsSeparator(path[0]) && path.size() >= 2 && IsSeparator(path[1])) {
    rooted = SplitFull(path);  // a device or UNC path: no current directory applies
  } else if (IsDrivePath(path) && path.size() > 2 && IsSeparator(path[2])) {
    rooted = SplitFull(path);
  } else if (IsDrivePath(path)) {
    std::string base = path.substr(0, 2) + "\\";
    const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    if (IsDrivePath(current) && SameName(current.substr(0, 2), path.substr(0, 2))) {
      base = current;
    } else if (auto it = driveDirectories.find(drive); it != driveDirectories.end()) {
      base = it->second;
    }
    rooted = SplitFull(base);
    rooted.rest += "\\" + path.substr(2);
  } else if (IsSeparator(path[0])) {
    rooted = SplitFull(current);
    rooted.rest = path;
  } else {
    rooted = SplitFull(current);
    rooted.rest += "\\" + path;
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
  // Without a separator at its end, the path loses its trailing periods and blanks. A
  // drive alone ("D:") is its directory with a separator at its end.
  const bool trailingSeparator =
      IsSeparator(path.back()) || (IsDrivePath(path) && path.size() == 2);
  if (!trailingSeparator && !names.empty()) {
    std::string& last = names.back();
    last.erase(last.find_last_not_of(". ") + 1);
    if (last.empty()) names.pop_back();
  }

  std::string full = rooted.root;
  const bool rootEndsInSeparator = IsSeparator(full.back());
  for (std::size_t i = 0; i < names.size(); ++i) {
    full += (i == 0 && rootEndsInSeparator ? "" : "\\") + names[i];
  }
  if (names.empty() ? !rootEndsInSeparator && (!rooted.unc || trailingSeparator)
                    : trailingSeparator) {
    full += "\\";
  }
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

// A file opened through a share is known to the redirector by its path on the share: the
// server follows the junctions on the way, and gives back the names it stores (long
// names, not 8.3 aliases). Any other is named by where it is on its own drive, past the
// junctions and SUBST drives that led to it.
std::string FileSystem::FinalPathName(const OpenedFile& file) const {
  const std::string path = WithoutSubstDrives(WithoutDevicePrefix(file.path));
  if (IsUncPath(path)) return "\\\\?\\UNC\\" + StoredNamesOnShare(path).substr(2);
  return "\\\\?\\" + PathOf(*file.node);
}

// A mapped network drive stands for a share, which the redirector names the file by.
std::string FileSystem::WithoutSubstDrives(std::string path) const {
  while (IsDrivePath(path)) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    const auto subst = substDrives_.find(letter);
    if (subst == substDrives_.end()) break;
    path = FullPathName(subst->second + "\\" + path.substr(2));
  }
  return path;
}

// "\\server\share\rest" with each name of `rest` as the server stores it; as given when
// a name is no longer there (renamed since the file was opened).
std::string FileSystem::StoredNamesOnShare(const std::string& path) const {
  const Rooted rooted = SplitFull(path);
  const auto target = shares_.find(Upper(rooted.root));
  FileNode* node = target == shares_.end() ? nullptr : Lookup(target->second);
  std::string stored = rooted.root;
  for (const std::string& name : SplitPath(rooted.rest)) {
    if (name.empty()) continue;
    node = Resolve(node);
    node = node && node->IsDirectory() ? node->Child(name) : nullptr;
    if (!node) return path;
    stored += "\\" + node->name;
  }
  return stored == rooted.root ? stored + "\\" : stored;
}

}  // namespace winsim
