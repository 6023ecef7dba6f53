#include <winsim/filesystem.h>
#include <winsim/pending_moves.h>
#include <winsim/registry.h>
#include <winsim/text.h>

namespace winsim {
namespace {

const char kNtPrefix[] = "\\??\\";

std::string WithoutPrefix(std::string path) {
  if (path.rfind(kNtPrefix, 0) == 0) path.erase(0, sizeof kNtPrefix - 1);
  return path;
}

// The list's key, or null with the error a program writing to it would get.
std::shared_ptr<RegKeyNode> ListKey(const Registry& registry, REGSAM access, DWORD* error) {
  LONG status = ERROR_SUCCESS;
  std::shared_ptr<RegKeyNode> key =
      registry.Find(registry.Resolve(HKEY_LOCAL_MACHINE), kSessionManagerKey, &status);
  *error = static_cast<DWORD>(status);
  if (key && (key->deniedAccess & access)) {
    *error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  return key;
}

std::vector<BYTE> Encode(const std::vector<PendingMove>& moves) {
  std::string data;
  for (const PendingMove& move : moves) {
    data += kNtPrefix + move.from + '\0';
    if (move.to) data += (move.replaces ? "!" : "") + (kNtPrefix + *move.to);
    data += '\0';
  }
  data += '\0';
  return std::vector<BYTE>(data.begin(), data.end());
}

}  // namespace

DWORD SchedulePendingMove(Registry& registry, const PendingMove& move) {
  DWORD error = ERROR_SUCCESS;
  if (!ListKey(registry, KEY_QUERY_VALUE | KEY_SET_VALUE, &error)) return error;
  std::vector<PendingMove> moves = PendingMoves(registry);
  moves.push_back(move);
  registry.SetValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingMovesValue, REG_MULTI_SZ,
                    Encode(moves));
  return ERROR_SUCCESS;
}

std::vector<PendingMove> PendingMoves(const Registry& registry) {
  const std::optional<RegValue> value =
      registry.Value(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingMovesValue);
  if (!value) return {};
  std::vector<std::string> strings;
  const std::string data(value->data.begin(), value->data.end());
  for (std::size_t start = 0; start < data.size();) {
    std::size_t end = data.find('\0', start);
    if (end == std::string::npos) end = data.size();
    strings.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  std::vector<PendingMove> moves;
  for (std::size_t i = 0; i + 1 < strings.size() && !strings[i].empty(); i += 2) {
    PendingMove move{WithoutPrefix(strings[i]), std::nullopt, false};
    std::string target = strings[i + 1];
    if (!target.empty()) {
      move.replaces = target[0] == '!';
      move.to = WithoutPrefix(move.replaces ? target.substr(1) : target);
    }
    moves.push_back(std::move(move));
  }
  return moves;
}

void CarryOutPendingMoves(Registry& registry, FileSystem& files) {
  for (const PendingMove& move : PendingMoves(registry)) {
    FileNode* node = files.Lookup(move.from);
    if (!node) continue;
    if (move.to) {
      FileNode* existing = files.Lookup(*move.to);
      if (existing && move.replaces && !existing->IsDirectory()) files.Remove(*existing);
      files.Move(*node, *move.to);
      continue;
    }
    // The system cannot delete these either.
    const bool readOnly = (node->attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly || (node->IsDirectory() && !node->children.empty())) continue;
    files.Remove(*node);
  }
  DWORD error = ERROR_SUCCESS;
  if (std::shared_ptr<RegKeyNode> key = ListKey(registry, 0, &error)) {
    std::erase_if(key->values,
                  [](const RegValue& value) { return SameName(value.name, kPendingMovesValue); });
  }
}

}  // namespace winsim
