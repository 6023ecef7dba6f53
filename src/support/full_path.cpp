#include "support/full_path.h"

#include <windows.h>

#include <string_view>

#include "support/ascii.h"

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// "\\?\C:\x" and "\\.\C:\x" name C:\x, "\\?\UNC\server\share" names \\server\share.
std::string WithoutDevicePrefix(std::string_view path) {
  if (!StartsWith(path, "\\\\?\\") && !StartsWith(path, "\\\\.\\")) return std::string(path);
  const std::string_view rest = path.substr(4);
  if (rest.size() >= 4 && EqualIgnoringAsciiCase(rest.substr(0, 4), "UNC\\")) {
    return "\\\\" + std::string(rest.substr(4));
  }
  return std::string(rest);
}

// The directory as a path the system takes on its own: "D:" alone would name the
// current directory of drive D, so a root gets its backslash back.
std::string CallablePath(const std::string& directory) {
  return directory.size() == 2 ? directory + "\\" : directory;
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

bool IsSameOrPrefixDirectory(const std::string& path, const std::string& directory) {
  if (directory.empty() || path.size() < directory.size()) return false;
  if (!EqualIgnoringAsciiCase(std::string_view(path).substr(0, directory.size()), directory)) {
    return false;
  }
  return path.size() == directory.size() || path[directory.size()] == '\\';
}

}  // namespace

std::string FullDirectoryPath(const char* path) {
  const std::string given = WithoutDevicePrefix(path);
  if (given.empty()) return "";
  char buffer[MAX_PATH];
  char* filePart = nullptr;
  const DWORD length = GetFullPathNameA(given.c_str(), sizeof buffer, buffer, &filePart);
  if (length == 0 || length >= sizeof buffer) return "";
  std::string full(buffer, length);
  while (full.size() > 2 && full.back() == '\\') full.pop_back();
  return full;
}

bool IsRootDirectory(const std::string& directory) {
  if (directory.size() == 2 && directory[1] == ':') return true;
  if (!StartsWith(directory, "\\\\")) return false;
  const std::size_t share = directory.find('\\', 2);
  return share == std::string::npos || directory.find('\\', share + 1) == std::string::npos;
}

bool IsAtOrBelow(const std::string& path, const std::string& directory) {
  if (IsSameOrPrefixDirectory(path, directory)) return true;
  const std::string shortPath = ShortDirectoryPath(path);
  return !shortPath.empty() && IsSameOrPrefixDirectory(shortPath, ShortDirectoryPath(directory));
}

bool IsSameDirectory(const std::string& a, const std::string& b) {
  return IsAtOrBelow(a, b) && IsAtOrBelow(b, a);
}
