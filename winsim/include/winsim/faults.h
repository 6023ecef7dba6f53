// Fault injection: makes the N-th call of a Win32 function (or of any function) fail, or
// cuts the power at the N-th call.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace winsim {

class Faults {
 public:
  // Makes call number `index` (counted from 1) of `api` fail with `error`; "*" counts every call.
  void FailCall(const std::string& api, unsigned index, DWORD error);
  // Runs `action` as call number `index` of `api` ("*": of any function; index 0: every
  // call) begins, before the call does its work: the machine changes by itself at that
  // moment (a service stops on its own), or a test looks at it.
  void BeforeCall(const std::string& api, unsigned index, std::function<void()> action);
  // The power goes as call number `index` of any function begins: from there on every
  // call fails and changes nothing, until the machine restarts (Machine::Restart).
  void CutPower(unsigned index) { cutAt_ = index; }
  bool PowerCut() const { return cutAt_ != 0 && total_ >= cutAt_; }
  void RestorePower() { cutAt_ = 0; }
  unsigned CallCount(const std::string& api) const;
  unsigned TotalCalls() const { return total_; }
  // Which call failed, once the injected failure has happened.
  std::optional<std::string> injectedInto;
  // Every call so far, by function name, in the order they were made.
  const std::vector<std::string>& Calls() const { return calls_; }

  // Called at the top of every simulated API function.
  std::optional<DWORD> Enter(const char* api);

 private:
  std::map<std::string, unsigned> counts_;
  std::vector<std::string> calls_;
  unsigned total_ = 0;
  unsigned cutAt_ = 0;
  std::string api_;
  unsigned index_ = 0;
  DWORD error_ = 0;
  struct Event {
    std::string api;
    unsigned index;
    std::function<void()> action;
  };
  std::vector<Event> events_;
};

// The error a call of `api` most plausibly fails with on a real machine, or none for a
// function that cannot fail (OutputDebugStringA, Sleep) or whose failure the caller
// cannot see. DDE functions give a DMLERR_ code, the others a Win32 error code.
std::optional<DWORD> PlausibleError(std::string_view api);

// Whether `api` gives back a handle or a block: a failure of one leaves in winsim the
// handle it was asked to release, as a real one would not (it failed because the handle
// was not valid).
bool ReleasesHandle(std::string_view api);

}  // namespace winsim
