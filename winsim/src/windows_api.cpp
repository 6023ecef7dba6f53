// FindWindowA, the thread messages and the program's own message queue.
#include <windows.h>

#include "api.h"

using winsim::machine;

namespace {

winsim::Desktop& desktop() { return machine().desktop; }

}  // namespace

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
  if (auto e = winsim::api::Enter("FindWindowA")) return winsim::api::FailWith(*e, HWND{});
  if (!lpClassName || lpWindowName) return winsim::api::FailWith(ERROR_INVALID_PARAMETER, HWND{});
  HWND window = desktop().Find(lpClassName);
  return window ? window : winsim::api::FailWith(ERROR_FILE_NOT_FOUND, HWND{});
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
  if (auto e = winsim::api::Enter("GetWindowThreadProcessId")) return winsim::api::FailWith(*e, 0u);
  DWORD thread = desktop().ThreadOf(hWnd);
  if (!thread) return winsim::api::FailWith(ERROR_INVALID_WINDOW_HANDLE, 0u);
  if (lpdwProcessId) *lpdwProcessId = thread + 1;  // one process per program thread
  return thread;
}

BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM, LPARAM) {
  if (auto e = winsim::api::Enter("PostThreadMessageA")) return winsim::api::Fail(*e);
  // The programs react to WM_QUIT only; other messages reach them and change nothing.
  bool known = Msg == WM_QUIT ? desktop().PostQuit(idThread) : desktop().Thread(idThread) != nullptr;
  return known ? TRUE : winsim::api::Fail(ERROR_INVALID_THREAD_ID);
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND, UINT, UINT, UINT wRemoveMsg) {
  if (auto e = winsim::api::Enter("PeekMessageA")) return FALSE;
  std::deque<MSG>& queue = desktop().ownQueue;
  if (queue.empty() || !lpMsg) return FALSE;
  *lpMsg = queue.front();
  if (wRemoveMsg & PM_REMOVE) queue.pop_front();
  return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG*) {
  winsim::api::Enter("TranslateMessage");
  ++desktop().translated;
  return FALSE;  // no character messages come of it
}

LRESULT WINAPI DispatchMessageA(const MSG*) {
  winsim::api::Enter("DispatchMessageA");
  ++desktop().dispatched;
  return 0;
}
