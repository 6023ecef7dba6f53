// The registry: keys, values, subkeys, their order and sizes, deleted keys; and the list of
// moves and deletions that MoveFileExA keeps there for the next restart.
#include <windows.h>

#include <vector>

#include "pending_registry.h"
#include "probe.h"
#include "probe_report.h"
#include "support/handles.h"

namespace {

const char kProbeKey[] = "Software\\TvProbe";

LONG SetText(HKEY key, const char* name, const std::string& data, DWORD type = REG_SZ) {
  return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}

// A value read into a buffer of `capacity` bytes: the status, type, size and data.
std::string Query(HKEY key, const char* name, DWORD capacity) {
  std::vector<BYTE> buffer(capacity + 1, 0xEE);
  DWORD type = 0, size = capacity;
  const LONG status = RegQueryValueExA(key, name, nullptr, &type, buffer.data(), &size);
  std::string text =
      Status(status) + " type " + std::to_string(type) + " size " + std::to_string(size);
  if (status == ERROR_SUCCESS) {
    text += " data " + Escaped(std::string(buffer.begin(), buffer.begin() + size));
    text += buffer[size] == 0xEE ? "" : " (wrote past its size)";
  }
  return text;
}

// The names RegEnumValueA or RegEnumKeyExA (`enumerate`) lists, then the status that
// ended the listing.
template <typename Enumerate>
std::string ListedNames(HKEY key, Enumerate enumerate) {
  std::vector<std::string> names;
  char name[64];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    const LONG status = enumerate(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
      names.push_back(std::string("(") + Status(status) + ")");
      break;
    }
    names.emplace_back(name);
  }
  return Joined(names);
}

std::string ValueNames(HKEY key) { return ListedNames(key, RegEnumValueA); }

std::string SubkeyNames(HKEY key) { return ListedNames(key, RegEnumKeyExA); }

// The first subkey read into a buffer of `capacity` characters: the status, and the
// name and its length when it fitted.
std::string FirstSubkey(HKEY key, DWORD capacity) {
  char name[64] = "";
  DWORD length = capacity;
  const LONG status = RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) return Status(status);
  return Status(status) + " name " + name + " length " + std::to_string(length);
}

// Subkeys of a key of their own, so that the other lines stay as they were: their
// order, and a name that fits only with its terminator.
void ProbeSubkeys(HKEY parent) {
  RegKey key;
  RegCreateKeyExA(parent, "Enum", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr);
  for (const char* name : {"beta", "Alpha", "Gamma"}) {
    RegKey sub;
    RegCreateKeyExA(key.Get(), name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, sub.Receive(), nullptr);
  }
  Report("registry.subkey-order", SubkeyNames(key.Get()));
  Report("registry.subkey-name-without-room-for-terminator", FirstSubkey(key.Get(), 5));
  Report("registry.subkey-name-just-fits", FirstSubkey(key.Get(), 6));
  for (const char* name : {"beta", "Alpha", "Gamma"}) RegDeleteKeyA(key.Get(), name);
  key.Reset();
  RegDeleteKeyA(parent, "Enum");
}

// The pairs of the delete-at-restart list that name the probe's folder, as "source ->
// target" with the list's own spelling; and whether the list ends with an empty string.
std::string ProbesPendingMoves() {
  const std::optional<PendingList> list = ReadPendingList();
  if (!list) return "no list";
  const std::vector<std::string> strings = list->Strings();
  std::vector<std::string> pairs;
  for (std::size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (strings[i].find("tvprobe") != std::string::npos) {
      pairs.push_back("[" + strings[i] + " -> " + strings[i + 1] + "]");
    }
  }
  const bool ended = list->data.ends_with(std::string(2, '\0'));
  return "type " + std::to_string(list->type) + " ends with an empty string " + YesNo(ended) +
         " " + Joined(pairs);
}

}  // namespace

void ProbeRegistry() {
  RegKey key;
  DWORD disposition = 0;
  const LONG created = RegCreateKeyExA(HKEY_CURRENT_USER, kProbeKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                       nullptr, key.Receive(), &disposition);
  Report("registry.create", Status(created) + " disposition " + std::to_string(disposition));
  {
    RegKey again;
    RegCreateKeyExA(HKEY_CURRENT_USER, kProbeKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    again.Receive(), &disposition);
    Report("registry.create-again-disposition", std::to_string(disposition));
    Report("registry.create-leading-backslash",
           Status(RegCreateKeyExA(key.Get(), "\\Lead", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  again.Receive(), nullptr)));
    Report("registry.open-missing",
           Status(RegOpenKeyExA(key.Get(), "Missing", 0, KEY_READ, again.Receive())));
    Report("registry.open-trailing-backslash",
           Status(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\TvProbe\\", 0, KEY_READ,
                                again.Receive())));
    Report("registry.open-any-case", Status(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\tvprobe", 0,
                                                          KEY_READ, again.Receive())));
  }

  SetText(key.Get(), "b", std::string("second\0", 7));
  SetText(key.Get(), "a", std::string("first\0", 6));
  SetText(key.Get(), "C", std::string("third\0", 6));
  Report("registry.value-order", ValueNames(key.Get()));
  Report("registry.unterminated-string-set", Status(SetText(key.Get(), "open", "abc")));
  Report("registry.unterminated-string-read", Query(key.Get(), "open", 64));
  Report("registry.unterminated-string-read-exact", Query(key.Get(), "open", 3));
  Report("registry.multi-string",
         (SetText(key.Get(), "multi", std::string("one\0two\0\0", 9), REG_MULTI_SZ),
          Query(key.Get(), "multi", 64)));
  Report("registry.binary", (SetText(key.Get(), "bin", std::string("\x01\x00\x02", 3), REG_BINARY),
                             Query(key.Get(), "bin", 64)));
  Report("registry.read-too-small", Query(key.Get(), "b", 3));
  Report("registry.read-any-case", Query(key.Get(), "B", 64));
  Report("registry.read-missing", Query(key.Get(), "none", 64));
  {
    DWORD type = 0, size = 0;
    const LONG status = RegQueryValueExA(key.Get(), "b", nullptr, &type, nullptr, &size);
    Report("registry.read-size-only", Status(status) + " size " + std::to_string(size));
  }
  {
    char name[1];
    DWORD length = sizeof name;
    BYTE data[64];
    DWORD size = sizeof data;
    const LONG status = RegEnumValueA(key.Get(), 0, name, &length, nullptr, nullptr, data, &size);
    Report("registry.enum-name-too-small", Status(status));
    length = sizeof name;
    Report("registry.enum-past-end",
           Status(RegEnumValueA(key.Get(), 99, name, &length, nullptr, nullptr, nullptr, nullptr)));
  }
  {
    RegKey sub;
    RegCreateKeyExA(key.Get(), "Sub\\Leaf", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, sub.Receive(),
                    nullptr);
  }
  DWORD subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxData = 0;
  RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values,
                   &maxName, &maxData, nullptr, nullptr);
  // The largest data is given in bytes as the system stores them, which may be more.
  Report("registry.info", "subkeys " + std::to_string(subkeys) + " longest " +
                              std::to_string(maxSubkey) + " values " + std::to_string(values) +
                              " longest name " + std::to_string(maxName) +
                              " largest data covered " + YesNo(maxData >= 9));
  Report("registry.delete-key-with-subkeys", Status(RegDeleteKeyA(key.Get(), "Sub")));
  Report("registry.delete-missing-key", Status(RegDeleteKeyA(key.Get(), "None")));
  Report("registry.delete-missing-value", Status(RegDeleteValueA(key.Get(), "none")));
  Report("registry.delete-value", Status(RegDeleteValueA(key.Get(), "A")));
  Report("registry.value-order-after-delete", ValueNames(key.Get()));
  {
    RegKey leaf;
    RegOpenKeyExA(key.Get(), "Sub\\Leaf", 0, KEY_ALL_ACCESS, leaf.Receive());
    Report("registry.delete-leaf", Status(RegDeleteKeyA(key.Get(), "Sub\\Leaf")));
    Report("registry.deleted-key-read", Query(leaf.Get(), "none", 8));
    Report("registry.deleted-key-flush", Status(RegFlushKey(leaf.Get())));
    Report("registry.deleted-key-set", Status(SetText(leaf.Get(), "x", "y")));
  }
  Report("registry.flush", Status(RegFlushKey(key.Get())));
  ProbeSubkeys(key.Get());
}

void ProbeScheduling() {
  const DWORD kDelay = MOVEFILE_DELAY_UNTIL_REBOOT;
  MakeFile(InProbe("p1.txt"), "1");
  MakeFile(InProbe("p2.txt"), "2");
  MakeFile(InProbe("p3.txt"), "3");
  CreateDirectoryA(InProbe("pd").c_str(), nullptr);
  Report("pending.file", Outcome(MoveFileExA(InProbe("p1.txt").c_str(), nullptr, kDelay)));
  Report("pending.directory", Outcome(MoveFileExA(InProbe("pd").c_str(), nullptr, kDelay)));
  Report("pending.missing-file",
         Outcome(MoveFileExA(InProbe("never.txt").c_str(), nullptr, kDelay)));
  Report("pending.unnormalised-path",
         Outcome(MoveFileExA("C:/tvprobe/../tvprobe/p3.txt", nullptr, kDelay)));
  Report("pending.move",
         Outcome(MoveFileExA(InProbe("p2.txt").c_str(), InProbe("p2-moved.txt").c_str(), kDelay)));
  Report("pending.list", ProbesPendingMoves());
  Report("pending.with-copy-allowed",
         Outcome(MoveFileExA(InProbe("p1.txt").c_str(), nullptr, kDelay | MOVEFILE_COPY_ALLOWED)));
  Report("pending.file-still-there",
         YesNo(GetFileAttributesA(InProbe("p1.txt").c_str()) != INVALID_FILE_ATTRIBUTES));
}

void ProbeAfterRestart() {
  for (const char* name : {"p1.txt", "pd", "p2.txt", "p2-moved.txt", "p3.txt", "a.txt"}) {
    Report(std::string("restart.") + name + "-there",
           YesNo(GetFileAttributesA(InProbe(name).c_str()) != INVALID_FILE_ATTRIBUTES));
  }
  Report("restart.pending-list", ProbesPendingMoves());
  RegKey key;
  Report("restart.registry-kept",
         Status(RegOpenKeyExA(HKEY_CURRENT_USER, kProbeKey, 0, KEY_READ, key.Receive())));
}
