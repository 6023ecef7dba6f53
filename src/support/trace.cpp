#include "support/trace.h"

#include <windows.h>

#include <utility>

#include "support/version.h"

namespace {

RunLog* currentLog = nullptr;

// How long lines of one step may wait for FlushFileBuffers, in milliseconds.
constexpr DWORD kFlushInterval = 250;

// Two digits, with a leading zero.
std::string TwoDigits(unsigned value) { return std::string(value < 10 ? "0" : "") + std::to_string(value); }

// "Run of tvuninst.exe <version> on <computer> at <yyyy-mm-dd hh:mm:ss>, command line: <line>".
std::string FirstLine() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof computer;
  if (!GetComputerNameA(computer, &size)) computer[0] = '\0';
  const char* commandLine = GetCommandLineA();
  return std::string("Run of tvuninst.exe " TVUNINST_VERSION_TEXT " on ") + computer + " at " +
         std::to_string(now.wYear) + "-" + TwoDigits(now.wMonth) + "-" + TwoDigits(now.wDay) + " " +
         TwoDigits(now.wHour) + ":" + TwoDigits(now.wMinute) + ":" + TwoDigits(now.wSecond) +
         ", command line: " + (commandLine ? commandLine : "") + "\n";
}

}  // namespace

// The caller's last error stays as it was, whatever writing the piece met: a failure is
// often traced before its code is read.
void Trace(const char* piece) {
  const DWORD error = GetLastError();
  OutputDebugStringA(piece);
  if (currentLog) currentLog->Append(piece);
  SetLastError(error);
}

void TraceValue(const char* label, const std::string& value) {
  Trace(label);
  Trace(value);
  Trace("\n");
}

void TraceStep(const char* line) {
  Trace(line);
  FlushRunLog();
}

void FlushRunLog() {
  if (currentLog) currentLog->Flush();
}

RunLog::RunLog() : previous_(std::exchange(currentLog, this)) {}

RunLog::~RunLog() { currentLog = previous_; }

void RunLog::Open(const std::string& path) {
  if (state_ != State::kKeeping) return;
  std::string kept = std::move(kept_);
  kept_.clear();
  state_ = State::kNone;
  if (path.empty()) return;
  path_ = path;
  // Others may read the log while the run writes it; nobody else may write or delete it.
  file_ = FileHandle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) return GiveUp("Log file cannot be opened, the run goes on without it: ");
  // A device (COM1, NUL, a printer) could block the run or swallow the log.
  if (GetFileType(file_.Get()) != FILE_TYPE_DISK) {
    return GiveUp("Log file refused, it is not a file on a disk: ");
  }
  if (SetFilePointer(file_.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER) {
    return GiveUp("Log file cannot be opened, the run goes on without it: ");
  }
  state_ = State::kOpen;
  if (!Write(FirstLine() + kept)) return GiveUp("Log file cannot be written, the run goes on without it: ");
  Flush();
  if (state_ == State::kOpen) TraceValue("Log file: ", path_);
}

void RunLog::Close(int exitCode) {
  Append("Run ended with exit code " + std::to_string(exitCode) + "\n");
  Flush();
  file_.Reset();
  state_ = State::kNone;
}

void RunLog::Refuse(const char* why) {
  if (state_ != State::kOpen) return;
  Flush();
  GiveUp(why);
}

// A piece is written once its line is complete; within a step the lines are made lasting
// a quarter of a second apart at the most.
void RunLog::Append(const std::string& piece) {
  if (state_ == State::kKeeping) kept_ += piece;
  if (state_ != State::kOpen) return;
  line_ += piece;
  if (line_.empty() || line_.back() != '\n') return;
  const bool written = Write(line_);
  line_.clear();
  if (!written) return GiveUp("Log file cannot be written, the run goes on without it: ");
  if (GetTickCount() - lastFlush_ >= kFlushInterval) Flush();
}

void RunLog::Flush() {
  if (state_ != State::kOpen) return;
  if (!FlushFileBuffers(file_.Get())) return GiveUp("Log file cannot be written, the run goes on without it: ");
  lastFlush_ = GetTickCount();
}

bool RunLog::Write(const std::string& text) {
  DWORD written = 0;
  return WriteFile(file_.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

void RunLog::GiveUp(const char* why) {
  file_.Reset();
  state_ = State::kNone;
  line_.clear();
  TraceValue(why, path_);
}
