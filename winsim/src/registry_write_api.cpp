// RegSetValueExA, over the simulated registry.
#include <windows.h>

#include "api.h"

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                           DWORD cbData) {
  if (auto e = winsim::api::Enter("RegSetValueExA")) return static_cast<LONG>(*e);
  auto node = winsim::machine().registry.Resolve(hKey);
  if (!node) return ERROR_INVALID_HANDLE;
  if (node->deleted) return ERROR_KEY_DELETED;
  if (node->deniedAccess & KEY_SET_VALUE) return ERROR_ACCESS_DENIED;
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  std::vector<BYTE> data(lpData, lpData + cbData);
  std::string name = lpValueName ? lpValueName : "";
  if (winsim::RegValue* value = node->FindValue(name)) {
    value->type = dwType;
    value->data = std::move(data);
  } else {
    node->values.push_back(winsim::RegValue{name, dwType, std::move(data)});
  }
  return ERROR_SUCCESS;
}
