// What became of each path the run set out to remove: deleted now, scheduled for
// deletion at the next start, or left for good. A deployment tool must be able to tell a
// machine that is clean after the restart from one that keeps product files, so a path
// left is traced at once, the log ends with a summary, and the exit code says so.
#pragma once

#include <map>
#include <string>

enum class Removal { kDeleted, kScheduled, kLeft };

// Notes what became of `path`, a file or (`isDirectory`) a directory, in the newest
// RemovalTally; its last note counts, as a second pass may delete what the first one
// scheduled. A path left is traced here.
void NoteRemoval(const std::string& path, bool isDirectory, Removal removal);

// Schedules `path` for deletion at the next start (MoveFileExA), noting it scheduled, or
// left when that fails too.
void ScheduleRemoval(const std::string& path, bool isDirectory);

// After an attempt to delete `path` now, reading a failed attempt's last error: notes it
// deleted, or schedules it when it is still there. One that was not there needs nothing.
void ScheduleUnlessDeleted(const std::string& path, bool isDirectory, bool deleted);

// The same for a path that is not to wait for the restart: what is still there is left.
void LeaveUnlessDeleted(const std::string& path, bool isDirectory, bool deleted);

// The notes of one run, from its construction to its end; the newest tally receives them.
class RemovalTally {
 public:
  RemovalTally();
  ~RemovalTally();
  RemovalTally(const RemovalTally&) = delete;
  RemovalTally& operator=(const RemovalTally&) = delete;

  bool AnythingLeft() const;
  // "Removal summary: files deleted <n>, directories deleted <n>, scheduled for deletion at
  // the restart <n>, left <n>", then "Left: <path>" for each path left: lines for the log.
  std::string Summary() const;

  void Note(const std::string& path, bool isDirectory, Removal removal);

 private:
  struct Outcome {
    bool isDirectory;
    Removal removal;
  };
  std::map<std::string, Outcome> outcomes_;  // by path as the run spelled it
  RemovalTally* previous_;
};
