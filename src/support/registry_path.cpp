#include "support/registry_path.h"

#include <new>
#include <string_view>

#include "support/ascii.h"
#include "support/handles.h"

namespace {

struct RootName {
  const char* name;
  HKEY key;
};

const RootName kRoots[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
};

// The notation taken apart; views into the caller's string, which stays untouched.
struct ParsedPath {
  std::string_view root;
  std::string_view keyPath;  // empty for the root key itself
  std::string_view name;
  bool namesRoot = false;
};

// Splits the notation into its fields; false when it does not follow the notation.
bool ParsePath(std::string_view text, ParsedPath* parsed) {
  const std::size_t rootEnd = text.find('\\');
  if (rootEnd == std::string_view::npos) return false;
  parsed->root = text.substr(0, rootEnd);
  std::string_view rest = text.substr(rootEnd + 1);
  if (!rest.empty() && rest.front() == '\\') {
    parsed->namesRoot = true;
    rest.remove_prefix(1);
  } else {
    // The key path runs up to the first pair of backslashes; single ones separate subkeys.
    const std::size_t separator = rest.find("\\\\");
    if (separator == std::string_view::npos) return false;
    parsed->keyPath = rest.substr(0, separator);
    rest.remove_prefix(separator + 2);
  }
  const std::size_t bar = rest.find('|');
  if (bar != std::string_view::npos) {
    // NAME is not the last field: its blanks stay. Trimming DATA changes nothing here,
    // as the key deletion does not use it.
    parsed->name = rest.substr(0, bar);
  } else {
    parsed->name = rest;
    while (!parsed->name.empty() && parsed->name.back() == ' ') parsed->name.remove_suffix(1);
  }
  return true;
}

}  // namespace

HKEY RegRootFromName(const char* text) {
  if (!text) return nullptr;
  for (const RootName& root : kRoots) {
    if (EqualIgnoringAsciiCase(text, root.name)) return root.key;
  }
  return nullptr;
}

int RegPathOpen(const char* notation, HKEY* key, std::string* name, bool* isRoot) {
  *key = nullptr;
  name->clear();
  *isRoot = false;
  ParsedPath parsed;
  if (!notation || !ParsePath(notation, &parsed)) return kRegPathMalformed;
  try {
    const HKEY root = RegRootFromName(std::string(parsed.root).c_str());
    if (!root) return kRegPathMalformed;
    std::string nameCopy(parsed.name);
    if (parsed.namesRoot) {
      *key = root;
      *isRoot = true;
    } else {
      DWORD disposition = 0;
      if (RegCreateKeyExA(root, std::string(parsed.keyPath).c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key,
                          &disposition) != ERROR_SUCCESS) {
        *key = nullptr;
        return kRegPathCannotOpenParent;
      }
    }
    *name = std::move(nameCopy);
    return kRegPathOk;
  } catch (const std::bad_alloc&) {
    name->clear();
    return kRegPathNoMemory;
  }
}

int RegPathDeleteKey(const char* notation, bool flush) {
  HKEY parent = nullptr;
  std::string name;
  bool isRoot = false;
  const int opened = RegPathOpen(notation, &parent, &name, &isRoot);
  if (opened != kRegPathOk) return opened;
  // Root keys are predefined and never closed.
  const RegKey ownedParent(isRoot ? nullptr : parent);
  if (name.empty()) return kRegPathOk;

  const LONG deleted = RegDeleteKeyA(parent, name.c_str());
  const int result =
      (deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND) ? kRegPathOk : kRegPathDeleteFailed;
  if (flush) RegFlushKey(parent);
  return result;
}
