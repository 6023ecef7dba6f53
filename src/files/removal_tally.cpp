#include "files/removal_tally.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "files/file_deletion.h"
#include "support/trace.h"

namespace {

RemovalTally* currentTally = nullptr;

// After an attempt to delete `path` now: notes it deleted when it was; otherwise true when
// it is still there, by the failed attempt's last error.
bool StillThere(const std::string& path, bool isDirectory, bool deleted) {
  if (deleted) NoteRemoval(path, isDirectory, Removal::kDeleted);
  return !deleted && !AlreadyGone(GetLastError());
}

}  // namespace

void NoteRemoval(const std::string& path, bool isDirectory, Removal removal) {
  if (removal == Removal::kLeft) TraceValue("Left for good, neither deleted nor scheduled for the restart: ", path);
  if (currentTally) currentTally->Note(path, isDirectory, removal);
}

void ScheduleRemoval(const std::string& path, bool isDirectory) {
  const bool scheduled = MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
  NoteRemoval(path, isDirectory, scheduled ? Removal::kScheduled : Removal::kLeft);
}

void ScheduleUnlessDeleted(const std::string& path, bool isDirectory, bool deleted) {
  if (StillThere(path, isDirectory, deleted)) ScheduleRemoval(path, isDirectory);
}

void LeaveUnlessDeleted(const std::string& path, bool isDirectory, bool deleted) {
  if (StillThere(path, isDirectory, deleted)) NoteRemoval(path, isDirectory, Removal::kLeft);
}

RemovalTally::RemovalTally() : previous_(std::exchange(currentTally, this)) {}

RemovalTally::~RemovalTally() { currentTally = previous_; }

void RemovalTally::Note(const std::string& path, bool isDirectory, Removal removal) {
  outcomes_[path] = {isDirectory, removal};
}

bool RemovalTally::AnythingLeft() const {
  return std::any_of(outcomes_.begin(), outcomes_.end(),
                     [](const auto& noted) { return noted.second.removal == Removal::kLeft; });
}

std::string RemovalTally::Summary() const {
  unsigned files = 0, directories = 0, scheduled = 0, left = 0;
  std::string leftLines;
  for (const auto& [path, outcome] : outcomes_) {
    switch (outcome.removal) {
      case Removal::kDeleted: ++(outcome.isDirectory ? directories : files); break;
      case Removal::kScheduled: ++scheduled; break;
      case Removal::kLeft:
        ++left;
        leftLines += "Left: " + path + "\n";
        break;
    }
  }
  return "Removal summary: files deleted " + std::to_string(files) + ", directories deleted " +
         std::to_string(directories) + ", scheduled for deletion at the restart " + std::to_string(scheduled) +
         ", left " + std::to_string(left) + "\n" + leftLines;
}
