#include <winsim/faults.h>

#include <ddeml.h>

namespace winsim {

void Faults::FailCall(const std::string& api, unsigned index, DWORD error) {
  api_ = api;
  index_ = index;
  error_ = error;
  injectedInto.reset();
}

void Faults::BeforeCall(const std::string& api, unsigned index, std::function<void()> action) {
  events_.push_back({api, index, std::move(action)});
}

unsigned Faults::CallCount(const std::string& api) const {
  auto it = counts_.find(api);
  return it == counts_.end() ? 0 : it->second;
}

std::optional<DWORD> Faults::Enter(const char* api) {
  unsigned count = ++counts_[api];
  calls_.emplace_back(api);
  ++total_;
  auto due = [&](const std::string& name, unsigned index) {
    return (name == "*" || name == api) && (index == 0 || (name == "*" ? total_ : count) == index);
  };
  for (std::size_t i = 0; i < events_.size(); ++i) {
    if (due(events_[i].api, events_[i].index)) events_[i].action();
  }
  // A machine without power answers nothing: the DDE library gives its own code.
  if (PowerCut()) return std::string_view(api).rfind("Dde", 0) == 0 ? DMLERR_SYS_ERROR : ERROR_NOT_READY;
  if (index_ == 0 || !due(api_, index_)) return std::nullopt;
  injectedInto = api;
  return error_;
}

}  // namespace winsim
