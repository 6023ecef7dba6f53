#include "uninstall/profile.h"

#include <windows.h>

#include "support/ascii.h"
#include "support/path_values.h"
#include "support/trace.h"
#include "support/windows_directory.h"

namespace {

std::string ReadText(const std::string& profilePath, const char* section, const char* key) {
  char text[kProfileTextCapacity] = "";
  GetPrivateProfileStringA(section, key, "", text, sizeof text, profilePath.c_str());
  return text;
}

std::string ReadString(const std::string& profilePath, const char* key) {
  return ReadText(profilePath, "Strings", key);
}

}  // namespace

std::string ProfilePath() { return WindowsDirectoryPath("tvuninst.ini"); }

ProfileTexts LoadProfile(const std::string& profilePath, const std::string& removalPath, bool nt3Mode) {
  Trace("Reading profile settings...\n");
  ProfileTexts profile;
  profile.caption = ReadString(profilePath, "MessageBoxCaption");
  profile.couldNotFindPath = ReadString(profilePath, "CouldNotFindPath");
  profile.removePrompt = ReadString(profilePath, "RemovePrompt");
  profile.noModifyRights = ReadString(profilePath, "NoModifyRights");
  profile.stopErrors[0] = ReadString(profilePath, "StopErrorMsgVDAV");
  profile.stopErrors[1] = ReadString(profilePath, "StopErrorMsgVAgent");
  profile.stopErrors[2] = ReadString(profilePath, "StopErrorMsgWD");
  profile.warnDirPrompt1 = ReadString(profilePath, "WarnDirPrompt1");
  profile.warnDirPrompt2 = ReadString(profilePath, "WarnDirPrompt2");
  profile.warnDirPrompt3 = ReadString(profilePath, "WarnDirPrompt3");

  profile.wholeDirectoryRemoval =
      GetPrivateProfileIntA("Settings", "EnableWholeDirRemove", 1, removalPath.c_str()) != 0;
  Trace("EnableWholeDir= ");
  Trace(profile.wholeDirectoryRemoval ? "TRUE" : "FALSE");
  Trace("\n");

  profile.snmpUninstallPrompt = ReadString(profilePath, "SNMPUninstallPrompt");
  profile.snmpCannotUninstall = ReadString(profilePath, "SNMPCannotUninstall");
  profile.snmpUninstalled = ReadString(profilePath, "SNMPUninstalled");
  profile.finishPrompt = ReadString(profilePath, "FinishPrompt");
  std::string restartPart1 = ReadString(profilePath, "RestartPromptPart1");
  std::string restartPart2 = ReadString(profilePath, "RestartPromptPart2");
  profile.restartText = restartPart1 + "\n" + restartPart2;

  profile.programGroupName = ReadText(profilePath, "Settings", "ProgramGroupName");
  if (nt3Mode) {
    profile.startupGroupName = ReadText(profilePath, "Settings", "StartupGroupName");
    if (profile.startupGroupName.empty()) profile.startupGroupName = "Startup";
    TraceValue("Startup group name: ", profile.startupGroupName);
  }

  // The settings of a removal without anyone at the machine; they trace nothing here, so
  // that an interactive run reads as it always has.
  profile.unattended = GetPrivateProfileIntA("Settings", "Unattended", 0, profilePath.c_str()) != 0;
  if (EqualIgnoringAsciiCase(ReadText(profilePath, "Settings", "UnattendedStopFailure"), "Abort")) {
    profile.unattendedStopFailure = StopFailureAnswer::kAbort;
  }
  profile.removeLeftovers = GetPrivateProfileIntA("Settings", "RemoveLeftovers", 0, profilePath.c_str()) != 0;
  profile.logFileTooLong =
      ReadProfilePath(profilePath, "Settings", "LogFile", profile.logFile) == PathValue::kTooLong;
  return profile;
}
