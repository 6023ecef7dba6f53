// MessageBoxA, the cursor and OutputDebugStringA's record.
#include <winsim/ui.h>

#include "api.h"

namespace winsim {

int Ui::Show(MessageBoxRecord box) {
  boxes.push_back(box);
  if (!answers_.empty()) {
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  if (answerer) return answerer(box);
  ReportFailure("a message box that no answer covers: caption \"" + box.caption + "\", text \"" +
                box.text + "\"");
  return 0;
}

std::string DebugOutput::Text() const {
  std::string text;
  for (const std::string& piece : pieces) text += piece;
  return text;
}

}  // namespace winsim

using winsim::machine;

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  if (auto e = winsim::api::Enter("MessageBoxA")) return winsim::api::FailWith(*e, 0);
  return machine().ui.Show({hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType});
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
  if (auto e = winsim::api::Enter("LoadCursorA")) return winsim::api::FailWith(*e, HCURSOR{});
  ULONG_PTR id = reinterpret_cast<ULONG_PTR>(lpCursorName);
  if (hInstance || (id != 32512 && id != 32514)) {
    return winsim::api::FailWith(ERROR_FILE_NOT_FOUND /* no such resource */, HCURSOR{});
  }
  return reinterpret_cast<HCURSOR>(id);  // shared system cursors need no release
}

HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
  winsim::api::Enter("SetCursor");
  winsim::Ui& ui = machine().ui;
  HCURSOR previous = reinterpret_cast<HCURSOR>(static_cast<ULONG_PTR>(ui.cursor));
  ui.cursor = static_cast<int>(reinterpret_cast<ULONG_PTR>(hCursor));
  ui.cursorHistory.push_back(ui.cursor);
  return previous;
}
