#include <winsim/desktop.h>
#include <winsim/machine.h>

#include <algorithm>

namespace winsim {

HWND Desktop::StartProgram(const std::string& className, std::optional<DWORD> closesAfterQuitMs) {
  ProgramThread thread;
  thread.id = nextThread_;
  nextThread_ += 4;
  thread.closesAfterQuitMs = closesAfterQuitMs;
  threads_.push_back(thread);
  return AddWindow(thread.id, className);
}

HWND Desktop::AddWindow(DWORD threadId, const std::string& className) {
  DesktopWindow window;
  window.handle = reinterpret_cast<HWND>(nextWindow_);
  nextWindow_ += 0x10;
  window.className = className;
  window.threadId = threadId;
  windows_.push_back(window);
  return window.handle;
}

void Desktop::VanishAfterLookups(HWND window, int lookups) {
  for (DesktopWindow& w : windows_) {
    if (w.handle == window) w.lookupsLeft = lookups;
  }
  windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                [](const DesktopWindow& w) { return w.lookupsLeft == 0; }),
                 windows_.end());
}

bool Desktop::HasWindow(const std::string& className) const {
  const std::uint64_t now = machine().clock.Now();
  return std::any_of(windows_.begin(), windows_.end(), [&](const DesktopWindow& w) {
    const ProgramThread* thread = Thread(w.threadId);
    const bool ended = thread && thread->endsAt && *thread->endsAt <= now;
    return w.className == className && !ended;
  });
}

const ProgramThread* Desktop::Thread(DWORD id) const {
  for (const ProgramThread& thread : threads_) {
    if (thread.id == id) return &thread;
  }
  return nullptr;
}

DWORD Desktop::ThreadOf(HWND window) const {
  for (const DesktopWindow& w : windows_) {
    if (w.handle == window) return w.threadId;
  }
  return 0;
}

HWND Desktop::Find(const std::string& className) {
  machine().clock.Advance(kLookupCostMs);
  CloseEndedPrograms();
  HWND found = nullptr;
  for (DesktopWindow& w : windows_) {
    if (w.className != className || w.lookupsLeft == 0) continue;
    if (!found) found = w.handle;
    if (w.lookupsLeft > 0) --w.lookupsLeft;
  }
  windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                [](const DesktopWindow& w) { return w.lookupsLeft == 0; }),
                 windows_.end());
  return found;
}

bool Desktop::PostQuit(DWORD threadId) {
  for (ProgramThread& thread : threads_) {
    if (thread.id != threadId) continue;
    ++thread.quitsReceived;
    if (thread.closesAfterQuitMs && !thread.endsAt) {
      thread.endsAt = machine().clock.Now() + *thread.closesAfterQuitMs;
    }
    return true;
  }
  return false;
}

void Desktop::CloseEndedPrograms() {
  const std::uint64_t now = machine().clock.Now();
  auto ended = [&](const DesktopWindow& w) {
    const ProgramThread* thread = Thread(w.threadId);
    return thread && thread->endsAt && *thread->endsAt <= now;
  };
  windows_.erase(std::remove_if(windows_.begin(), windows_.end(), ended), windows_.end());
}

}  // namespace winsim
