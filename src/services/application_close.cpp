#include "services/application_close.h"

#include "support/trace.h"

namespace {

// The program has no window of its own, but whatever reaches its thread's queue is
// handled while it waits, as a GUI thread should.
void DrainOwnQueue() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

bool WindowOfClassExists(const char* windowClass) {
  return FindWindowA(windowClass, nullptr) != nullptr;
}

int CloseApplicationByClass(const char* windowClass, DWORD timeoutMs) {
  const HWND window = FindWindowA(windowClass, nullptr);
  if (!window) return kCloseNoWindow;
  PostThreadMessageA(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 0, 0);

  FlushRunLog();
  const DWORD start = GetTickCount();
  for (;;) {
    DrainOwnQueue();
    if (!WindowOfClassExists(windowClass)) return kCloseWindowWent;
    // Unsigned difference: a wrap of the tick counter during the wait does no harm.
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed > timeoutMs) return kCloseTimedOut;
  }
}
