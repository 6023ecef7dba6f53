#include <winsim/registry.h>
#include <winsim/text.h>

namespace winsim {
namespace {

const std::pair<HKEY, const char*> kRoots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
};

ULONG_PTR Id(HKEY key) { return reinterpret_cast<ULONG_PTR>(key); }

void DumpKey(const RegKeyNode& node, const std::string& path, std::string& out) {
  out += path + "\n";
  for (const RegValue& value : node.values) {
    out += path + " : \"" + value.name + "\" type " + std::to_string(value.type) + " = ";
    for (BYTE b : value.data) {
      if (b >= 0x20 && b < 0x7f && b != '\\') {
        out += static_cast<char>(b);
      } else {
        static const char hex[] = "0123456789abcdef";
        out += "\\x";
        out += hex[b >> 4];
        out += hex[b & 15];
      }
    }
    out += "\n";
  }
  for (const auto& [upper, child] : node.subkeys) DumpKey(*child, path + "\\" + child->name, out);
}

}  // namespace

std::string RegValue::Text() const {
  std::string text(data.begin(), data.end());
  return text.substr(0, text.find('\0'));
}

RegValue* RegKeyNode::FindValue(std::string_view valueName) {
  for (RegValue& value : values) {
    if (SameName(value.name, valueName)) return &value;
  }
  return nullptr;
}

Registry::Registry() {
  for (const auto& [key, name] : kRoots) {
    auto node = std::make_shared<RegKeyNode>();
    node->name = name;
    roots_[Id(key)] = node;
  }
}

bool Registry::IsRoot(HKEY key) {
  for (const auto& [root, name] : kRoots) {
    if (root == key) return true;
  }
  return false;
}

std::shared_ptr<RegKeyNode> Registry::Root(HKEY root) const {
  auto it = roots_.find(Id(root));
  return it == roots_.end() ? nullptr : it->second;
}

std::shared_ptr<RegKeyNode> Registry::Resolve(HKEY key) const {
  if (auto root = Root(key)) return root;
  auto it = handles_.find(Id(key));
  return it == handles_.end() ? nullptr : it->second;
}

HKEY Registry::AddHandle(std::shared_ptr<RegKeyNode> node) {
  ULONG_PTR id = nextHandle_;
  nextHandle_ += 4;
  handles_[id] = std::move(node);
  return reinterpret_cast<HKEY>(id);
}

bool Registry::CloseHandle(HKEY key) { return handles_.erase(Id(key)) == 1; }

std::shared_ptr<RegKeyNode> Registry::Find(std::shared_ptr<RegKeyNode> from,
                                           std::string_view path, LONG* error) const {
  std::shared_ptr<RegKeyNode> node = from;
  RegKeyNode* at = from.get();
  if (path.empty()) {
    *error = ERROR_SUCCESS;
    return node;
  }
  std::vector<std::string> parts = SplitPath(path);
  if (!parts.empty() && parts.back().empty()) parts.pop_back();  // one trailing backslash
  for (const std::string& part : parts) {
    if (part.empty()) {
      *error = ERROR_BAD_PATHNAME;
      return nullptr;
    }
    auto it = at->subkeys.find(Upper(part));
    if (it == at->subkeys.end()) {
      *error = ERROR_FILE_NOT_FOUND;
      return nullptr;
    }
    node = it->second;
    at = node.get();
  }
  *error = ERROR_SUCCESS;
  return node;
}

std::string Registry::PathOf(const RegKeyNode& node) const {
  if (!node.parent) return node.name;
  return PathOf(*node.parent) + "\\" + node.name;
}

std::shared_ptr<RegKeyNode> Registry::Create(HKEY root, std::string_view path) {
  std::shared_ptr<RegKeyNode> node = Root(root);
  for (const std::string& part : SplitPath(path)) {
    if (part.empty()) continue;
    auto& slot = node->subkeys[Upper(part)];
    if (!slot) {
      slot = std::make_shared<RegKeyNode>();
      slot->name = part;
      slot->parent = node.get();
    }
    node = slot;
  }
  return node;
}

void Registry::CreateKey(HKEY root, std::string_view path) { Create(root, path); }

void Registry::SetValue(HKEY root, std::string_view path, std::string_view name, DWORD type,
                        std::vector<BYTE> data) {
  auto node = Create(root, path);
  RegValue* value = node->FindValue(name);
  if (!value) {
    node->values.push_back(RegValue{std::string(name), type, {}});
    value = &node->values.back();
  }
  value->type = type;
  value->data = std::move(data);
}

void Registry::SetString(HKEY root, std::string_view path, std::string_view name,
                         std::string_view text, DWORD type) {
  std::vector<BYTE> data(text.begin(), text.end());
  data.push_back(0);
  SetValue(root, path, name, type, std::move(data));
}

void Registry::SetDword(HKEY root, std::string_view path, std::string_view name, DWORD value) {
  std::vector<BYTE> data(4);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<BYTE>(value >> (8 * i));
  SetValue(root, path, name, REG_DWORD, std::move(data));
}

void Registry::DenyAccess(HKEY root, std::string_view path, REGSAM mask) {
  Create(root, path)->deniedAccess = mask;
}

void Registry::DeleteTree(HKEY root, std::string_view path) {
  LONG error = 0;
  auto node = Find(Root(root), path, &error);
  if (!node || !node->parent) return;
  std::function<void(RegKeyNode&)> mark = [&](RegKeyNode& n) {
    n.deleted = true;
    for (auto& [upper, child] : n.subkeys) mark(*child);
  };
  mark(*node);
  node->parent->subkeys.erase(Upper(node->name));
}

bool Registry::KeyExists(HKEY root, std::string_view path) const {
  LONG error = 0;
  return Find(Root(root), path, &error) != nullptr;
}

std::optional<RegValue> Registry::Value(HKEY root, std::string_view path,
                                        std::string_view name) const {
  LONG error = 0;
  auto node = Find(Root(root), path, &error);
  if (!node) return std::nullopt;
  RegValue* value = node->FindValue(name);
  if (!value) return std::nullopt;
  return *value;
}

std::vector<std::string> Registry::SubkeyNames(HKEY root, std::string_view path) const {
  LONG error = 0;
  auto node = Find(Root(root), path, &error);
  std::vector<std::string> names;
  if (node) {
    for (const auto& [upper, child] : node->subkeys) names.push_back(child->name);
  }
  return names;
}

std::vector<std::string> Registry::ValueNames(HKEY root, std::string_view path) const {
  LONG error = 0;
  auto node = Find(Root(root), path, &error);
  std::vector<std::string> names;
  if (node) {
    for (const RegValue& value : node->values) names.push_back(value.name);
  }
  return names;
}

std::string Registry::Dump() const {
  std::string out;
  for (const auto& [key, name] : kRoots) DumpKey(*Root(key), name, out);
  return out;
}

}  // namespace winsim
