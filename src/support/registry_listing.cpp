#include "support/registry_listing.h"

#include <cstring>

#include "support/handles.h"

namespace {

// Registry names are at most 255 characters long.
constexpr DWORD kNameCapacity = 256;

}  // namespace

PathValue ReadSubkeyNames(HKEY root, const std::string& path, std::vector<std::string>& names) {
  RegKey key;
  const LONG opened = RegOpenKeyExA(root, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, key.Receive());
  if (opened == ERROR_FILE_NOT_FOUND) return PathValue::kMissing;
  if (opened != ERROR_SUCCESS) return PathValue::kFailed;
  for (DWORD index = 0;; ++index) {
    char name[kNameCapacity];
    DWORD length = sizeof name;
    const LONG result = RegEnumKeyExA(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) return PathValue::kRead;
    if (result != ERROR_SUCCESS) return PathValue::kFailed;
    names.emplace_back(name, strnlen(name, std::min<DWORD>(length, sizeof name)));
  }
}

PathValue ReadTextValues(HKEY key, std::vector<NamedText>& values) {
  for (DWORD index = 0;; ++index) {
    char name[kNameCapacity];
    DWORD nameLength = sizeof name;
    char data[MAX_PATH];
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    const LONG result = RegEnumValueA(key, index, name, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &size);
    if (result == ERROR_NO_MORE_ITEMS) return PathValue::kRead;
    if (result != ERROR_SUCCESS) return PathValue::kFailed;
    if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
    // Text data need not end in a terminator: it ends at the first one, or at its size.
    const std::size_t length = strnlen(data, std::min<DWORD>(size, sizeof data));
    if (length == sizeof data) return PathValue::kFailed;
    values.push_back({std::string(name, strnlen(name, std::min<DWORD>(nameLength, sizeof name))),
                      std::string(data, length)});
  }
}
