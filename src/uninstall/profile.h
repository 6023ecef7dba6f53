// The uninstaller profile "tvuninst.ini" in the Windows directory: every text the user
// sees and the few settings. Loaded once at the start of the run, read-only afterwards;
// the program has no wording of its own.
#pragma once

#include <array>
#include <string>

// Stop-error texts by component: 0 the main program, 1 the agent program,
// 2 the on-access component.
using StopErrorTexts = std::array<std::string, 3>;

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
};

// Capacity of every profile text, terminator included.
constexpr unsigned kProfileTextCapacity = 200;

// The profile's path: the Windows directory and "tvuninst.ini".
std::string ProfilePath();

// Reads the profile in its fixed order, with its trace lines. The start-up group name
// is read only in NT 3.x mode.
ProfileTexts LoadProfile(const std::string& profilePath, bool nt3Mode);

// The directory warning: WarnDirPrompt1, a blank, the directory and "\", a line feed,
// WarnDirPrompt2, a line feed, WarnDirPrompt3.
std::string DirectoryWarningText(const ProfileTexts& profile, const char* directory);

// Shows a profile text in a message box with no owner and the profile's caption.
int ShowPrompt(const ProfileTexts& profile, const std::string& text, unsigned style);
