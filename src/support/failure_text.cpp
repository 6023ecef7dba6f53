#include "support/failure_text.h"

#include <memory>

#include "support/bounded_text.h"

namespace {

// The failure text keeps at most this many characters, terminator included.
constexpr std::size_t kSystemCapacity = 511;

char failureText[kSystemCapacity + 1] = "";

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

struct LocalBlockDeleter {
  void operator()(char* block) const { LocalFree(block); }
};

}  // namespace

// The caller's last error stays as it was: a message is often traced between a failure
// and the reading of its code.
std::string SystemMessage(DWORD error) {
  const DWORD lastError = GetLastError();
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string message;
  {
    const std::unique_ptr<char, LocalBlockDeleter> owned(text);
    if (length != 0) message.assign(text, length);
  }
  SetLastError(lastError);
  return message;
}

DWORD FormatSystemError(const char* /*label*/, DWORD error) {
  std::string message = SystemMessage(error);
  if (message.empty()) return error;
  // System messages end in a carriage return and a line feed; cut that line break, and
  // only that, so that a message without one keeps its last characters.
  if (message.size() >= kSystemCapacity) message.resize(kSystemCapacity - 1);
  for (int cut = 0; cut < 2 && !message.empty() && IsLineBreak(message.back()); ++cut) message.pop_back();
  CopyText(failureText, message);
  return error;
}

const char* LastErrorText() { return failureText; }
