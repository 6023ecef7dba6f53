// What the user sees and answers: message boxes, the cursor, and the debug output.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace winsim {

struct MessageBoxRecord {
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT style = 0;
};

class Ui {
 public:
  // Answers for the coming boxes, in order. A box with no answer left goes to the
  // answerer, and without one it is reported through the failure hook and returns 0.
  void Answer(int answer) { answers_.push_back(answer); }
  std::function<int(const MessageBoxRecord&)> answerer;
  std::vector<MessageBoxRecord> boxes;

  int cursor = 0;                   // the resource id of the current cursor, 0 for none
  std::vector<int> cursorHistory;   // every SetCursor, in order

  int Show(MessageBoxRecord box);
  std::size_t UnansweredLeft() const { return answers_.size(); }

 private:
  std::deque<int> answers_;
};

class DebugOutput {
 public:
  std::vector<std::string> pieces;  // one per OutputDebugStringA call
  std::string Text() const;         // all pieces run together
};

}  // namespace winsim
