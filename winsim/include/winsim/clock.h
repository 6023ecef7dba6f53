// The virtual clock: Sleep and every wait advance it; nothing waits in real time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace winsim {

class Clock {
 public:
  std::uint64_t Now() const { return now_; }
  void Advance(std::uint64_t ms) { now_ += ms; }
  // Sets what GetTickCount returns at this moment (to test wrap-around).
  void SetTickCount(DWORD ticks) { tickBase_ = ticks - static_cast<DWORD>(now_); }
  DWORD TickCount() const { return tickBase_ + static_cast<DWORD>(now_); }

  std::vector<DWORD> sleeps;  // every Sleep call, in order

 private:
  std::uint64_t now_ = 0;
  DWORD tickBase_ = 0x00200000;
};

}  // namespace winsim
