// The simulated registry: four root keys, keys and values with names compared without
// case, values in creation order, subkeys listed sorted; every open handle is tracked.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace winsim {

struct RegValue {
  std::string name;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  std::string Text() const;  // the data as text, up to its first NUL
};

struct RegKeyNode {
  std::string name;
  RegKeyNode* parent = nullptr;
  std::map<std::string, std::shared_ptr<RegKeyNode>> subkeys;  // by upper-case name
  std::vector<RegValue> values;                                // creation order
  REGSAM deniedAccess = 0;
  bool deleted = false;
  RegValue* FindValue(std::string_view valueName);
};

class Registry {
 public:
  Registry();

  // Setting the machine up.
  void CreateKey(HKEY root, std::string_view path);
  void SetValue(HKEY root, std::string_view path, std::string_view name, DWORD type,
                std::vector<BYTE> data);
  void SetString(HKEY root, std::string_view path, std::string_view name, std::string_view text,
                 DWORD type = REG_SZ);  // stored with its terminator
  void SetDword(HKEY root, std::string_view path, std::string_view name, DWORD value);
  void DenyAccess(HKEY root, std::string_view path, REGSAM mask);
  void DeleteTree(HKEY root, std::string_view path);

  // Reading it back.
  bool KeyExists(HKEY root, std::string_view path) const;
  std::optional<RegValue> Value(HKEY root, std::string_view path, std::string_view name) const;
  std::vector<std::string> SubkeyNames(HKEY root, std::string_view path) const;
  std::vector<std::string> ValueNames(HKEY root, std::string_view path) const;
  std::size_t OpenHandles() const { return handles_.size(); }
  std::vector<std::string> flushes;  // the key paths RegFlushKey was called for
  std::string Dump() const;          // every key and value, one line each

  // For the API layer.
  std::shared_ptr<RegKeyNode> Resolve(HKEY key) const;  // root or open handle
  HKEY AddHandle(std::shared_ptr<RegKeyNode> node);
  bool CloseHandle(HKEY key);
  void DropHandles() { handles_.clear(); }  // the program that held them has ended
  std::shared_ptr<RegKeyNode> Find(std::shared_ptr<RegKeyNode> from, std::string_view path,
                                   LONG* error) const;
  std::string PathOf(const RegKeyNode& node) const;
  static bool IsRoot(HKEY key);

 private:
  std::shared_ptr<RegKeyNode> Root(HKEY root) const;
  std::shared_ptr<RegKeyNode> Create(HKEY root, std::string_view path);

  std::map<ULONG_PTR, std::shared_ptr<RegKeyNode>> roots_;
  std::map<ULONG_PTR, std::shared_ptr<RegKeyNode>> handles_;
  ULONG_PTR nextHandle_ = 0x1000;
};

}  // namespace winsim
