// The moves and deletions that MoveFileExA schedules for the next restart, kept where
// Windows keeps them: the REG_MULTI_SZ value "PendingFileRenameOperations" of
// HKLM\SYSTEM\CurrentControlSet\Control\Session Manager. Each is a pair of strings, the
// source and the target as "\??\" paths; a deletion's target is empty, and a target that
// may replace an existing file starts with "!". An empty string ends the list.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace winsim {

class FileSystem;
class Registry;

inline constexpr char kSessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr char kPendingMovesValue[] = "PendingFileRenameOperations";

struct PendingMove {
  std::string from;               // a full path, without the "\??\"
  std::optional<std::string> to;  // none: delete at restart
  bool replaces = false;          // the target may be replaced
};

// Appends a move to the list. ERROR_SUCCESS, or the error the registry gives: the key
// missing or refusing to be written.
DWORD SchedulePendingMove(Registry& registry, const PendingMove& move);
// The list as it stands, in order.
std::vector<PendingMove> PendingMoves(const Registry& registry);
// What the system does early in its start: carries out the list in order (a deletion
// takes a file, or a directory once empty, but nothing read-only; a move does not replace
// unless allowed), then removes the list.
void CarryOutPendingMoves(Registry& registry, FileSystem& files);

}  // namespace winsim
