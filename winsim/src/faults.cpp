#include <winsim/faults.h>

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
  for (std::size_t i = 0; i < events_.size(); ++i) {
    if (events_[i].api == api && events_[i].index == count) events_[i].action();
  }
  if (index_ == 0) return std::nullopt;
  bool hit = api_ == "*" ? total_ == index_ : (api_ == api && count == index_);
  if (!hit) return std::nullopt;
  injectedInto = api;
  return error_;
}

}  // namespace winsim
