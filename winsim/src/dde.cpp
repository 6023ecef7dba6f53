// Program Manager's commands and the DDE library's handle tables.
#include <winsim/dde.h>
#include <winsim/text.h>

#include <algorithm>

namespace winsim {
namespace {

std::string Trimmed(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      arguments.push_back(Trimmed(current));
      current.clear();
    } else {
      current += c;
    }
  }
  arguments.push_back(Trimmed(current));
  return arguments;
}

template <typename Map>
std::size_t EraseOfInstance(Map& handles, DWORD instance) {
  std::size_t erased = 0;
  for (auto it = handles.begin(); it != handles.end();) {
    if (it->second.instance == instance) {
      it = handles.erase(it);
      ++erased;
    } else {
      ++it;
    }
  }
  return erased;
}

}  // namespace

void ProgramManager::AddGroup(std::string_view group) {
  if (!Find(group)) groups_.push_back({std::string(group), {}});
}

void ProgramManager::AddItem(std::string_view group, std::string_view item) {
  AddGroup(group);
  Find(group)->items.emplace_back(item);
}

bool ProgramManager::HasGroup(std::string_view group) const { return Find(group) != nullptr; }

bool ProgramManager::HasItem(std::string_view group, std::string_view item) const {
  const ProgramGroup* found = Find(group);
  if (!found) return false;
  return std::any_of(found->items.begin(), found->items.end(),
                     [&](const std::string& name) { return SameName(name, item); });
}

std::vector<std::string> ProgramManager::GroupNames() const {
  std::vector<std::string> names;
  for (const ProgramGroup& group : groups_) names.push_back(group.name);
  return names;
}

std::string ProgramManager::Dump() const {
  std::string out;
  for (const ProgramGroup& group : groups_) {
    out += group.name + "\n";
    for (const std::string& item : group.items) out += group.name + " : " + item + "\n";
  }
  return out;
}

const ProgramGroup* ProgramManager::Find(std::string_view group) const {
  for (const ProgramGroup& candidate : groups_) {
    if (SameName(candidate.name, group)) return &candidate;
  }
  return nullptr;
}

ProgramGroup* ProgramManager::Find(std::string_view group) {
  return const_cast<ProgramGroup*>(static_cast<const ProgramManager&>(*this).Find(group));
}

bool ProgramManager::Execute(std::string_view commands) {
  if (commands.empty()) return false;
  std::size_t position = 0;
  while (position < commands.size()) {
    std::size_t open = commands.find('(', position);
    std::size_t end = commands.find(")]", position);
    if (commands[position] != '[' || open == std::string_view::npos ||
        end == std::string_view::npos || open > end) {
      return false;
    }
    std::string_view name = commands.substr(position + 1, open - position - 1);
    if (!Obey(name, SplitArguments(commands.substr(open + 1, end - open - 1)))) return false;
    position = end + 2;
  }
  return true;
}

bool ProgramManager::Obey(std::string_view name, const std::vector<std::string>& arguments) {
  if (SameName(name, "CreateGroup")) {
    if (arguments[0].empty()) return false;
    AddGroup(arguments[0]);
    activeGroup = Find(arguments[0])->name;
    return true;
  }
  if (SameName(name, "AddItem")) {
    // The item's name is the second argument, else the program's file name.
    if (!Find(activeGroup) || arguments[0].empty()) return false;
    std::string item = arguments.size() > 1 ? arguments[1] : "";
    if (item.empty()) {
      item = arguments[0].substr(arguments[0].find_last_of('\\') + 1);
      item = item.substr(0, item.rfind('.'));
    }
    AddItem(activeGroup, item);
    return true;
  }
  if (SameName(name, "ShowGroup")) {
    ProgramGroup* group = Find(arguments[0]);
    if (!group) return false;
    activeGroup = group->name;
    return true;
  }
  if (SameName(name, "DeleteGroup")) {
    ProgramGroup* group = Find(arguments[0]);
    if (!group) return false;
    if (SameName(activeGroup, group->name)) activeGroup.clear();
    groups_.erase(groups_.begin() + (group - groups_.data()));
    return true;
  }
  if (SameName(name, "DeleteItem")) {
    ProgramGroup* group = Find(activeGroup);
    if (!group) return false;
    auto item = std::find_if(group->items.begin(), group->items.end(),
                             [&](const std::string& candidate) { return SameName(candidate, arguments[0]); });
    if (item == group->items.end()) return false;
    group->items.erase(item);
    return true;
  }
  return false;
}

DWORD Dde::Initialize(DWORD flags) {
  initializeFlags.push_back(flags);
  instances_.push_back(nextInstance_);
  return nextInstance_++;
}

bool Dde::Uninitialize(DWORD instance) {
  auto it = std::find(instances_.begin(), instances_.end(), instance);
  if (it == instances_.end()) return false;
  instances_.erase(it);
  leftForUninitialize += EraseOfInstance(strings_, instance) + EraseOfInstance(data_, instance) +
                         EraseOfInstance(conversations_, instance);
  return true;
}

void Dde::DropHandles() {
  instances_.clear();
  strings_.clear();
  data_.clear();
  conversations_.clear();
}

HSZ Dde::CreateString(DWORD instance, std::string text) {
  if (std::find(instances_.begin(), instances_.end(), instance) == instances_.end()) return nullptr;
  strings_[nextHandle_] = {instance, std::move(text)};
  return reinterpret_cast<HSZ>(nextHandle_++);
}

bool Dde::FreeString(DWORD instance, HSZ handle) {
  auto it = strings_.find(reinterpret_cast<ULONG_PTR>(handle));
  if (it == strings_.end() || it->second.instance != instance) return false;
  strings_.erase(it);
  return true;
}

HCONV Dde::Connect(DWORD instance, HSZ service, HSZ topic, const CONVCONTEXT* context) {
  DdeConnection connection;
  auto serviceName = strings_.find(reinterpret_cast<ULONG_PTR>(service));
  auto topicName = strings_.find(reinterpret_cast<ULONG_PTR>(topic));
  bool named = serviceName != strings_.end() && topicName != strings_.end() &&
               serviceName->second.instance == instance && topicName->second.instance == instance;
  if (named) {
    connection.service = serviceName->second.text;
    connection.topic = topicName->second.text;
  }
  if (context) {
    connection.withContext = true;
    connection.contextSize = context->cb;
    connection.contextOtherwiseZero =
        context->wFlags == 0 && context->wCountryID == 0 && context->iCodePage == 0 &&
        context->dwLangID == 0 && context->dwSecurity == 0 && context->qos.Length == 0 &&
        context->qos.ImpersonationLevel == 0 && context->qos.ContextTrackingMode == 0 &&
        context->qos.EffectiveOnly == 0;
  }
  connection.established = named && programManager.running &&
                           SameName(connection.service, "PROGMAN") &&
                           SameName(connection.topic, "PROGMAN");
  connections.push_back(connection);
  if (!connection.established) return nullptr;
  conversations_[nextHandle_] = {instance};
  return reinterpret_cast<HCONV>(nextHandle_++);
}

bool Dde::Disconnect(HCONV conversation) {
  return conversations_.erase(reinterpret_cast<ULONG_PTR>(conversation)) == 1;
}

HDDEDATA Dde::CreateData(DWORD instance, const BYTE* bytes, DWORD size, DWORD offset, UINT format) {
  if (std::find(instances_.begin(), instances_.end(), instance) == instances_.end()) return nullptr;
  DataHandle data{instance, std::vector<BYTE>(offset + size), format};
  if (bytes) std::copy(bytes, bytes + size, data.bytes.begin() + offset);
  data_[nextHandle_] = std::move(data);
  return reinterpret_cast<HDDEDATA>(nextHandle_++);
}

HDDEDATA Dde::Transact(const BYTE* data, DWORD size, HCONV conversation, UINT format, UINT type,
                       DWORD timeoutMs, LPDWORD result) {
  DdeTransaction transaction;
  transaction.type = type;
  transaction.timeoutMs = timeoutMs;
  std::vector<BYTE> bytes;
  if (size == 0xFFFFFFFFu) {
    // A data handle passes to the system with the transaction, whatever its outcome.
    auto handle = data_.find(reinterpret_cast<ULONG_PTR>(data));
    transaction.dataHandle = true;
    if (handle != data_.end()) {
      bytes = std::move(handle->second.bytes);
      transaction.format = handle->second.format;
      transaction.instance = handle->second.instance;
      data_.erase(handle);
    }
  } else {
    if (data) bytes.assign(data, data + size);
    transaction.format = format;
  }
  auto end = std::find(bytes.begin(), bytes.end(), BYTE{0});
  transaction.command.assign(bytes.begin(), end);
  transaction.terminated = end != bytes.end();
  auto live = conversations_.find(reinterpret_cast<ULONG_PTR>(conversation));
  transaction.connected = live != conversations_.end();
  if (transaction.connected) transaction.instance = live->second.instance;
  transaction.accepted = transaction.connected && type == XTYP_EXECUTE &&
                         transaction.format == CF_TEXT && transaction.terminated &&
                         programManager.Execute(transaction.command);
  transactions.push_back(transaction);
  if (result) *result = transaction.accepted ? DDE_FACK : DDE_FNOTPROCESSED;
  return transaction.accepted ? reinterpret_cast<HDDEDATA>(1) : nullptr;
}

}  // namespace winsim
