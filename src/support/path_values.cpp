#include "support/path_values.h"

#include <algorithm>
#include <cstring>

namespace {

PathValue TakeRegistryText(LONG result, const char* data, std::size_t capacity, DWORD size,
                           std::string& path) {
  if (result == ERROR_MORE_DATA) return PathValue::kTooLong;
  if (result == ERROR_FILE_NOT_FOUND || result == ERROR_NO_MORE_ITEMS) return PathValue::kMissing;
  if (result != ERROR_SUCCESS) return PathValue::kFailed;
  // Registry data need not end in a terminator: it ends at the first one, or at its size.
  const std::size_t length = strnlen(data, std::min<std::size_t>(size, capacity));
  if (length == capacity) return PathValue::kTooLong;
  path.assign(data, length);
  return PathValue::kRead;
}

}  // namespace

PathValue ReadRegistryPath(HKEY key, const char* name, std::string& path) {
  char data[MAX_PATH];
  DWORD size = sizeof data;
  const LONG result =
      RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  return TakeRegistryText(result, data, sizeof data, size, path);
}

PathValue ReadFirstRegistryValue(HKEY key, std::string& path) {
  char name[100];
  DWORD nameLength = sizeof name;
  char data[MAX_PATH];
  DWORD size = sizeof data;
  const LONG result = RegEnumValueA(key, 0, name, &nameLength, nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(data), &size);
  return TakeRegistryText(result, data, sizeof data, size, path);
}

PathValue ReadProfilePath(const std::string& profilePath, const char* section, const char* key,
                          std::string& path) {
  // One character more than a path may have: a value that fills it was cut.
  char text[MAX_PATH + 1] = "";
  const DWORD length =
      GetPrivateProfileStringA(section, key, "", text, sizeof text, profilePath.c_str());
  if (length >= MAX_PATH) return PathValue::kTooLong;
  if (length == 0 || text[0] == '\0') return PathValue::kMissing;
  path = text;
  return PathValue::kRead;
}

PathValue ExpandPath(const std::string& value, std::string& path) {
  char expanded[MAX_PATH];
  const DWORD size = ExpandEnvironmentStringsA(value.c_str(), expanded, sizeof expanded);
  if (size == 0) return PathValue::kFailed;
  if (size > sizeof expanded) return PathValue::kTooLong;
  const std::string text = expanded;
  const std::size_t open = text.find('%');
  if (open != std::string::npos && text.find('%', open + 1) != std::string::npos) return PathValue::kFailed;
  path = text;
  return PathValue::kRead;
}
