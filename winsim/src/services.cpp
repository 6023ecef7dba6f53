#include <winsim/machine.h>
#include <winsim/services.h>
#include <winsim/text.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace winsim {
namespace {

const char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services\\";

// Whether the service's start type, as its key holds it, is boot, system or automatic.
bool StartsWithSystem(const Service& service) {
  const std::optional<RegValue> start =
      machine().registry.Value(HKEY_LOCAL_MACHINE, kServicesKey + service.name, "Start");
  DWORD type = SERVICE_DEMAND_START;
  if (start && start->data.size() == sizeof type) std::memcpy(&type, start->data.data(), sizeof type);
  return type <= SERVICE_AUTO_START;
}

}  // namespace

Service& ServiceManager::Install(std::string name, DWORD state, std::vector<std::string> dependsOn) {
  auto service = std::make_unique<Service>();
  service->name = name;
  service->displayName = name;
  service->status.state = state;
  service->dependsOn = std::move(dependsOn);
  Registry& registry = machine().registry;
  std::string key = kServicesKey + name;
  registry.SetDword(HKEY_LOCAL_MACHINE, key, "Type", service->type);
  registry.SetDword(HKEY_LOCAL_MACHINE, key, "Start", 2);
  registry.SetString(HKEY_LOCAL_MACHINE, key, "DisplayName", name);
  services_.push_back(std::move(service));
  return *services_.back();
}

Service* ServiceManager::Get(const std::string& name) {
  for (auto& service : services_) {
    if (SameName(service->name, name)) return service.get();
  }
  return nullptr;
}

std::vector<std::string> ServiceManager::Names() const {
  std::vector<std::string> names;
  for (const auto& service : services_) names.push_back(service->name);
  return names;
}

std::string ServiceManager::Dump() const {
  std::string out;
  for (const auto& service : services_) {
    out += service->name + " state " + std::to_string(service->status.state) +
           (service->markedForDelete ? " marked for delete" : "") + "\n";
  }
  return out;
}

SC_HANDLE ServiceManager::Open(Handle handle) {
  ULONG_PTR id = nextHandle_;
  nextHandle_ += 4;
  handles_[id] = std::move(handle);
  return reinterpret_cast<SC_HANDLE>(id);
}

ServiceManager::Handle* ServiceManager::Get(SC_HANDLE handle) {
  auto it = handles_.find(reinterpret_cast<ULONG_PTR>(handle));
  return it == handles_.end() ? nullptr : &it->second;
}

bool ServiceManager::Close(SC_HANDLE handle) {
  if (handles_.erase(reinterpret_cast<ULONG_PTR>(handle)) != 1) return false;
  Reap();
  return true;
}

ServiceState ServiceManager::Advance(Service& service) {
  if (!service.upcoming.empty()) {
    service.status = service.upcoming.front();
    service.upcoming.pop_front();
  }
  return service.status;
}

void ServiceManager::Reap() {
  auto gone = [&](const std::unique_ptr<Service>& service) {
    if (!service->markedForDelete || service->status.state != SERVICE_STOPPED) return false;
    for (const auto& [id, handle] : handles_) {
      if (!handle.manager && handle.service == service->name) return false;
    }
    machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, kServicesKey + service->name);
    return true;
  };
  services_.erase(std::remove_if(services_.begin(), services_.end(), gone), services_.end());
}

void ServiceManager::Restart() {
  handles_.clear();
  Registry& registry = machine().registry;
  std::erase_if(services_, [&](const std::unique_ptr<Service>& service) {
    const std::string key = kServicesKey + service->name;
    if (service->markedForDelete) registry.DeleteTree(HKEY_LOCAL_MACHINE, key);
    return service->markedForDelete || !registry.KeyExists(HKEY_LOCAL_MACHINE, key);
  });
  for (auto& service : services_) {
    service->status = ServiceState{};
    service->upcoming.clear();
  }
  auto running = [&](const std::string& name) {
    const Service* needed = Get(name);
    return needed && needed->status.state == SERVICE_RUNNING;
  };
  // A pass starts those whose services all run already, until a pass starts none.
  for (bool started = true; started;) {
    started = false;
    for (auto& service : services_) {
      if (service->status.state == SERVICE_RUNNING || service->startError || !StartsWithSystem(*service) ||
          !std::all_of(service->dependsOn.begin(), service->dependsOn.end(), running)) {
        continue;
      }
      service->status.state = SERVICE_RUNNING;
      started = true;
    }
  }
}

std::vector<std::string> ServiceManager::DependentsOf(const std::string& name) const {
  std::vector<std::string> found;
  std::function<void(const std::string&)> collect = [&](const std::string& of) {
    for (const auto& service : services_) {
      bool depends = std::any_of(service->dependsOn.begin(), service->dependsOn.end(),
                                 [&](const std::string& needed) { return SameName(needed, of); });
      if (depends && std::find(found.begin(), found.end(), service->name) == found.end()) {
        found.push_back(service->name);
        collect(service->name);
      }
    }
  };
  collect(name);
  return found;
}

}  // namespace winsim
