// RegOpenKeyExA and the other registry functions, over the simulated registry.
#include <windows.h>

#include <winsim/text.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "api.h"

using winsim::machine;
using winsim::RegKeyNode;

namespace {

winsim::Registry& reg() { return machine().registry; }

// The key a handle names, or the error for a handle that is not open or was deleted.
std::shared_ptr<RegKeyNode> Open(HKEY key, LONG* error) {
  auto node = reg().Resolve(key);
  if (!node) {
    *error = ERROR_INVALID_HANDLE;
  } else if (node->deleted) {
    *error = ERROR_KEY_DELETED;
    node = nullptr;
  } else {
    *error = ERROR_SUCCESS;
  }
  return node;
}

// Copies `bytes` into a caller's buffer as RegQueryValueExA does: the size is always
// reported, the data only when it fits.
LONG CopyData(const std::vector<BYTE>& bytes, LPBYTE data, LPDWORD size) {
  if (!size) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  DWORD capacity = *size;
  *size = static_cast<DWORD>(bytes.size());
  if (!data) return ERROR_SUCCESS;
  if (capacity < bytes.size()) return ERROR_MORE_DATA;
  std::copy(bytes.begin(), bytes.end(), data);
  return ERROR_SUCCESS;
}

}  // namespace

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  if (auto e = winsim::api::Enter("RegOpenKeyExA")) return static_cast<LONG>(*e);
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  LONG error = 0;
  auto parent = Open(hKey, &error);
  if (!parent) return error;
  auto node = reg().Find(parent, lpSubKey ? lpSubKey : "", &error);
  if (!node) return error;
  if (node->deniedAccess & samDesired) return ERROR_ACCESS_DENIED;
  *phkResult = reg().AddHandle(node);
  return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                            LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (auto e = winsim::api::Enter("RegCreateKeyExA")) return static_cast<LONG>(*e);
  if (!phkResult || !lpSubKey) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  LONG error = 0;
  auto node = Open(hKey, &error);
  if (!node) return error;
  if (lpSubKey[0] == '\\') return ERROR_BAD_PATHNAME;
  DWORD disposition = REG_OPENED_EXISTING_KEY;
  std::vector<std::string> parts = winsim::SplitPath(lpSubKey);
  if (!parts.empty() && parts.back().empty()) parts.pop_back();
  for (const std::string& part : parts) {
    if (part.empty()) return ERROR_BAD_PATHNAME;
    auto& slot = node->subkeys[winsim::Upper(part)];
    if (!slot) {
      if (node->deniedAccess & KEY_CREATE_SUB_KEY) {
        node->subkeys.erase(winsim::Upper(part));
        return ERROR_ACCESS_DENIED;
      }
      slot = std::make_shared<RegKeyNode>();
      slot->name = part;
      slot->parent = node.get();
      disposition = REG_CREATED_NEW_KEY;
    }
    node = slot;
  }
  if (node->deniedAccess & samDesired) return ERROR_ACCESS_DENIED;
  *phkResult = reg().AddHandle(node);
  if (lpdwDisposition) *lpdwDisposition = disposition;
  return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY hKey) {
  if (auto e = winsim::api::Enter("RegCloseKey")) return static_cast<LONG>(*e);
  if (winsim::Registry::IsRoot(hKey)) return ERROR_SUCCESS;
  return reg().CloseHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  if (auto e = winsim::api::Enter("RegDeleteKeyA")) return static_cast<LONG>(*e);
  LONG error = 0;
  auto parent = Open(hKey, &error);
  if (!parent) return error;
  if (!lpSubKey || !*lpSubKey) return ERROR_BAD_PATHNAME;
  auto node = reg().Find(parent, lpSubKey, &error);
  if (!node) return error;
  if (!node->parent) return ERROR_ACCESS_DENIED;  // a root key
  if (!node->subkeys.empty()) return ERROR_ACCESS_DENIED;  // NT removes leaf keys only
  if (node->deniedAccess & DELETE) return ERROR_ACCESS_DENIED;
  node->deleted = true;
  node->parent->subkeys.erase(winsim::Upper(node->name));
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  if (auto e = winsim::api::Enter("RegDeleteValueA")) return static_cast<LONG>(*e);
  LONG error = 0;
  auto node = Open(hKey, &error);
  if (!node) return error;
  std::string_view name = lpValueName ? lpValueName : "";
  auto it = std::find_if(node->values.begin(), node->values.end(),
                         [&](const winsim::RegValue& v) { return winsim::SameName(v.name, name); });
  if (it == node->values.end()) return ERROR_FILE_NOT_FOUND;
  node->values.erase(it);
  return ERROR_SUCCESS;
}

// Subkeys come in the registry's own order (see registry.h). A key's rights are the ones
// it grants any handle: one that refuses enumeration refuses it here as RegOpenKeyExA
// refuses KEY_READ on it.
LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                          LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                          PFILETIME lpftLastWriteTime) {
  if (auto e = winsim::api::Enter("RegEnumKeyExA")) return static_cast<LONG>(*e);
  LONG error = 0;
  auto node = Open(hKey, &error);
  if (!node) return error;
  if (!lpName || !lpcchName || lpReserved) return ERROR_INVALID_PARAMETER;
  if (node->deniedAccess & KEY_ENUMERATE_SUB_KEYS) return ERROR_ACCESS_DENIED;
  if (dwIndex >= node->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  const std::string& name = std::next(node->subkeys.begin(), dwIndex)->second->name;
  // No key has a class: an empty one still needs room for its terminator.
  const bool classFits = !lpClass || !lpcchClass || *lpcchClass > 0;
  if (*lpcchName <= name.size() || !classFits) return ERROR_MORE_DATA;
  std::memcpy(lpName, name.c_str(), name.size() + 1);
  *lpcchName = static_cast<DWORD>(name.size());
  if (lpClass && lpcchClass) lpClass[0] = '\0';
  if (lpcchClass) *lpcchClass = 0;
  if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                          LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (auto e = winsim::api::Enter("RegEnumValueA")) return static_cast<LONG>(*e);
  LONG error = 0;
  auto node = Open(hKey, &error);
  if (!node) return error;
  if (!lpValueName || !lpcchValueName) return ERROR_INVALID_PARAMETER;
  if (dwIndex >= node->values.size()) return ERROR_NO_MORE_ITEMS;
  const winsim::RegValue& value = node->values[dwIndex];
  if (*lpcchValueName <= value.name.size()) return ERROR_MORE_DATA;
  std::memcpy(lpValueName, value.name.c_str(), value.name.size() + 1);
  *lpcchValueName = static_cast<DWORD>(value.name.size());
  if (lpType) *lpType = value.type;
  return CopyData(value.data, lpData, lpcbData);
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData) {
  if (auto e = winsim::api::Enter("RegQueryValueExA")) return static_cast<LONG>(*e);
  LONG error = 0;
  auto node = Open(hKey, &error);
  if (!node) return error;
  winsim::RegValue* value = node->FindValue(lpValueName ? lpValueName : "");
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (lpType) *lpType = value->type;
  return CopyData(value->data, lpData, lpcbData);
}

LONG WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD,
                             LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                             LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen,
                             LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                             LPFILETIME lpftLastWriteTime) {
  if (auto e = winsim::api::Enter("RegQueryInfoKeyA")) return static_cast<LONG>(*e);
  LONG error = 0;
  auto node = Open(hKey, &error);
  if (!node) return error;
  DWORD maxSubKey = 0, maxName = 0, maxData = 0;
  for (const auto& [upper, child] : node->subkeys) {
    maxSubKey = std::max<DWORD>(maxSubKey, static_cast<DWORD>(child->name.size()));
  }
  for (const winsim::RegValue& value : node->values) {
    maxName = std::max<DWORD>(maxName, static_cast<DWORD>(value.name.size()));
    maxData = std::max<DWORD>(maxData, static_cast<DWORD>(value.data.size()));
  }
  if (lpClass && lpcchClass && *lpcchClass > 0) lpClass[0] = '\0';
  if (lpcchClass) *lpcchClass = 0;
  if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(node->subkeys.size());
  if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = maxSubKey;
  if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
  if (lpcValues) *lpcValues = static_cast<DWORD>(node->values.size());
  if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = maxName;
  if (lpcbMaxValueLen) *lpcbMaxValueLen = maxData;
  if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
  if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG WINAPI RegFlushKey(HKEY hKey) {
  if (auto e = winsim::api::Enter("RegFlushKey")) return static_cast<LONG>(*e);
  LONG error = 0;
  auto node = Open(hKey, &error);
  if (!node) return error;
  reg().flushes.push_back(reg().PathOf(*node));
  return ERROR_SUCCESS;
}
