#include "uninstall/cleanup_tables.h"

#include <windows.h>

#include <span>
#include <string>

#include "support/ascii.h"
#include "support/bounded_text.h"
#include "support/handles.h"

namespace {

// Deletes keys given by their full paths below `root`, leaves before their parents.
void DeleteKeys(HKEY root, std::span<const char* const> paths) {
  for (const char* path : paths) RegDeleteKeyA(root, path);
}

// NT 3.x keeps document extensions as values of one system key that every program
// shares ("tsx" = "C:\Product\TESSORNT.EXE ^.tsx"). Only the product's own value goes,
// and only while it still names a program in the product directory.
void RemoveProductExtension(const char* productDirectory) {
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Extensions", 0,
                    KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS) {
    return;
  }
  char command[MAX_PATH];
  DWORD size = sizeof command;
  DWORD type = 0;
  if (RegQueryValueExA(key.Get(), "tsx", nullptr, &type, reinterpret_cast<BYTE*>(command), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return;
  }
  TerminateText(command, sizeof command, size);
  std::string prefix = std::string(productDirectory) + "\\";
  if (productDirectory[0] != '\0' &&
      EqualIgnoringAsciiCase(std::string_view(command).substr(0, prefix.size()), prefix)) {
    RegDeleteValueA(key.Get(), "tsx");
  }
}

}  // namespace

const char* const kScannerServiceKeys[12] = {
    "SYSTEM\\CurrentControlSet\\Services\\Varden Anti-Virus Service\\Enum",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Anti-Virus Service\\Security",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Anti-Virus Service",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Mirel\\Enum",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Mirel\\Parameters",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Mirel\\Security",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Mirel",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Tessor\\Enum",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Tessor\\Parameters\\Options",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Tessor\\Parameters",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Tessor\\Security",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Tessor",
};

const char* const kOnAccessDriverKeys[12] = {
    "SYSTEM\\CurrentControlSet\\Services\\Varden Filter\\Enum",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Filter\\Security",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Filter",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Wardel\\Enum",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Wardel\\Security",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Wardel\\Options",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Wardel\\Paths",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Wardel\\Parameters",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Wardel",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Recognizer\\Enum",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Recognizer\\Security",
    "SYSTEM\\CurrentControlSet\\Services\\Varden Recognizer",
};

const char* const kApplicationKeys[3] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TESSORNT.EXE",
    "SOFTWARE\\Velmora\\Varden\\Anti-Virus",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varden Anti-Virus",
};

const char* const kShellKeys[10] = {
    ".TSX",
    "TESSOR\\shell\\open\\command",
    "TESSOR\\shell\\open",
    "TESSOR\\shell",
    "TESSOR",
    "CLSID\\{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}\\InprocServer",
    "CLSID\\{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}\\InprocServer32",
    "CLSID\\{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}",
    "*\\shellex\\ContextMenuHandlers\\{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}",
    "Folder\\shellex\\ContextMenuHandlers\\{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}",
};

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kStartupValues[2] = {"Tessor Professional", "Varden Anti-Virus"};

void RemoveScannerServiceKeys() { DeleteKeys(HKEY_LOCAL_MACHINE, kScannerServiceKeys); }

void RemoveOnAccessDriverKeys() { DeleteKeys(HKEY_LOCAL_MACHINE, kOnAccessDriverKeys); }

void RemoveApplicationKeys(const char* productDirectory) {
  DeleteKeys(HKEY_LOCAL_MACHINE, kApplicationKeys);
  RemoveProductExtension(productDirectory);
}

void RemoveShellIntegration() { DeleteKeys(HKEY_CLASSES_ROOT, kShellKeys); }

void RemoveStartupValues() {
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS) return;
  for (const char* name : kStartupValues) RegDeleteValueA(key.Get(), name);
}
