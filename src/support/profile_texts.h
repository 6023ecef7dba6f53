// What the uninstaller profile "tvuninst.ini" gives the run: every text the user sees and
// the settings. Read once at the start (uninstall/profile.h) and read-only afterwards;
// the sequence and the components that ask questions share it.
#pragma once

#include <array>
#include <string>

// Stop-error texts by component: 0 the main program, 1 the agent program,
// 2 the on-access component.
using StopErrorTexts = std::array<std::string, 3>;

// What an unattended run answers when a component will not stop, after one more try.
enum class StopFailureAnswer { kIgnore, kAbort };

struct ProfileTexts {
  std::string caption;  // of every message box
  std::string couldNotFindPath;
  std::string removePrompt;
  std::string noModifyRights;
  StopErrorTexts stopErrors;
  std::string warnDirPrompt1;
  std::string warnDirPrompt2;
  std::string warnDirPrompt3;
  bool wholeDirectoryRemoval = true;
  std::string snmpUninstallPrompt;
  std::string snmpCannotUninstall;
  std::string snmpUninstalled;
  std::string finishPrompt;
  std::string restartText;  // RestartPromptPart1, a line feed, RestartPromptPart2
  std::string programGroupName;
  std::string startupGroupName;  // read on NT 3.x only
  // Removal without anyone at the machine: no box is shown, every question gets its
  // fixed answer (support/prompts.h).
  bool unattended = false;
  StopFailureAnswer unattendedStopFailure = StopFailureAnswer::kIgnore;
  std::string logFile;  // where the trace is also written; empty for none
  // With the product directory no longer registered, remove what a half-removed product
  // left (uninstall/leftovers.h).
  bool removeLeftovers = false;
  bool logFileTooLong = false;  // LogFile does not fit a path: no log, and the trace says so

  bool operator==(const ProfileTexts&) const = default;
};

// Capacity of every profile text, terminator included.
constexpr unsigned kProfileTextCapacity = 200;
