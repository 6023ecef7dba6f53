#include "support/full_path.h"

#include <windows.h>

#include <algorithm>

#include "support/ascii.h"

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool IsDevicePrefixed(std::string_view path) {
  return StartsWith(path, "\\\\?\\") || StartsWith(path, "\\\\.\\");
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "D:" followed by nothing or a separator.
bool IsOnDrive(std::string_view path) {
  return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':' &&
         (path.size() == 2 || path[2] == '\\');
}

// "\\server\share" followed by nothing or a separator, where the server is a name and not
// a device namespace.
bool IsOnShare(std::string_view path) {
  if (!StartsWith(path, "\\\\")) return false;
  const std::size_t serverEnd = path.find('\\', 2);
  if (serverEnd == std::string_view::npos || serverEnd == 2) return false;
  const std::string_view server = path.substr(2, serverEnd - 2);
  if (server == "?" || server == ".") return false;
  const std::size_t shareEnd = std::min(path.find('\\', serverEnd + 1), path.size());
  return shareEnd > serverEnd + 1;
}

// The position after a share's root "\\server\share".
std::size_t ShareRootLength(std::string_view path) {
  const std::size_t share = path.find('\\', path.find('\\', 2) + 1);
  return share == std::string_view::npos ? path.size() : share;
}

bool IsSameOrPrefixDirectory(const std::string& path, const std::string& directory) {
  if (directory.empty() || path.size() < directory.size()) return false;
  if (!EqualIgnoringAsciiCase(std::string_view(path).substr(0, directory.size()), directory)) {
    return false;
  }
  return path.size() == directory.size() || path[directory.size()] == '\\';
}

// The 8.3 spelling of an existing directory, without a trailing backslash; empty when
// the system cannot give one.
std::string ShortDirectoryPath(const std::string& directory) {
  char buffer[MAX_PATH];
  const DWORD length = GetShortPathNameA(CallablePath(directory).c_str(), buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return "";
  std::string shortPath(buffer, length);
  if (shortPath.size() > 2 && shortPath.back() == '\\') shortPath.pop_back();
  return shortPath;
}

}  // namespace

std::string FullyQualifiedPath(std::string_view given) {
  std::string path(given);
  std::replace(path.begin(), path.end(), '/', '\\');
  while (IsDevicePrefixed(path)) {
    path.erase(0, 4);
    if (path.size() >= 4 && EqualIgnoringAsciiCase(std::string_view(path).substr(0, 4), "UNC\\")) {
      path.replace(0, 4, "\\\\");
      break;  // a share follows, not another device
    }
  }
  if (IsOnDrive(path)) return path.size() == 2 ? path + "\\" : path;
  return IsOnShare(path) ? path : "";
}

bool IsStrictFullPath(std::string_view path) { return !path.empty() && FullyQualifiedPath(path) == path; }

std::string FullDirectoryPath(const char* path) {
  const std::string qualified = FullyQualifiedPath(path);
  if (qualified.empty()) return "";
  char buffer[MAX_PATH];
  char* filePart = nullptr;
  const DWORD length = GetFullPathNameA(qualified.c_str(), sizeof buffer, buffer, &filePart);
  if (length == 0 || length >= sizeof buffer) return "";
  std::string full(buffer, length);
  // Whatever the system made of it must still be a plain path on a drive or a share.
  if (FullyQualifiedPath(full) != full) return "";
  while (full.size() > 2 && full.back() == '\\') full.pop_back();
  return full;
}

bool IsRootDirectory(const std::string& directory) {
  return !directory.empty() && directory == RootOf(directory);
}

std::string RootOf(const std::string& directory) {
  if (IsOnDrive(directory)) return directory.substr(0, 2);
  return IsOnShare(directory) ? directory.substr(0, ShareRootLength(directory)) : "";
}

std::string ParentOf(const std::string& directory) {
  if (IsRootDirectory(directory)) return "";
  return directory.substr(0, directory.rfind('\\'));
}

std::string CallablePath(const std::string& directory) {
  return directory.size() == 2 ? directory + "\\" : directory;
}

bool IsAtOrBelow(const std::string& path, const std::string& directory) {
  if (IsSameOrPrefixDirectory(path, directory)) return true;
  const std::string shortPath = ShortDirectoryPath(path);
  return !shortPath.empty() && IsSameOrPrefixDirectory(shortPath, ShortDirectoryPath(directory));
}
