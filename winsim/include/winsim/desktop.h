// The simulated desktop: the product's programs as threads that own windows of a class,
// and the message queue of the program's own thread. A program closes its windows a
// scripted number of virtual milliseconds after WM_QUIT reaches its thread, or never.
// Every window look-up costs a little virtual time, so that a loop that polls for a
// window and the tick count runs out on the virtual clock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace winsim {

struct DesktopWindow {
  HWND handle = nullptr;
  std::string className;
  DWORD threadId = 0;
  int lookupsLeft = -1;  // the window goes after this many look-ups; -1 never
};

struct ProgramThread {
  DWORD id = 0;
  std::optional<DWORD> closesAfterQuitMs;  // none: it ignores WM_QUIT
  std::optional<std::uint64_t> endsAt;     // virtual time its windows go
  int quitsReceived = 0;
};

class Desktop {
 public:
  static constexpr DWORD kLookupCostMs = 1;

  // Starts a program whose thread owns one window of `className` and closes it
  // `closesAfterQuitMs` after WM_QUIT (none: never). Returns the window.
  HWND StartProgram(const std::string& className, std::optional<DWORD> closesAfterQuitMs = 0);
  // Another window of a class for an existing program's thread.
  HWND AddWindow(DWORD threadId, const std::string& className);
  // The window goes by itself after `lookups` more look-ups of its class.
  void VanishAfterLookups(HWND window, int lookups);

  bool HasWindow(const std::string& className) const;  // without any cost or effect
  const ProgramThread* Thread(DWORD id) const;
  DWORD ThreadOf(HWND window) const;  // 0 when the window does not exist

  std::deque<MSG> ownQueue;  // messages waiting in the program's own thread's queue
  int translated = 0;        // TranslateMessage calls
  int dispatched = 0;        // DispatchMessageA calls

  // For the API layer.
  HWND Find(const std::string& className);  // a look-up: costs time, lets programs close
  bool PostQuit(DWORD threadId);

 private:
  void CloseEndedPrograms();
  std::vector<DesktopWindow> windows_;  // creation order: the first is found first
  std::vector<ProgramThread> threads_;
  ULONG_PTR nextWindow_ = 0x20010;
  DWORD nextThread_ = 0x600;
};

}  // namespace winsim
