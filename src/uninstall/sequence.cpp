#include "uninstall/sequence.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files/directory_warning.h"
#include "files/file_deletion.h"
#include "files/listed_files.h"
#include "files/tree_removal.h"
#include "services/agent_service.h"
#include "services/component_stop.h"
#include "services/service_removal.h"
#include "shell/manager.h"
#include "shell/program_manager.h"
#include "snmp/snmp_agent.h"
#include "support/full_path.h"
#include "support/handles.h"
#include "support/path_values.h"
#include "support/prompts.h"
#include "support/trace.h"
#include "support/windows_directory.h"
#include "uninstall/cleanup_tables.h"
#include "uninstall/environment.h"
#include "uninstall/install_shield.h"
#include "uninstall/profile.h"
#include "uninstall/run_log.h"

namespace {

const char* const kDriverFiles[] = {
    "vdwd.sys", "vdfilter.sys", "vdrec.sys", "vdwd.400", "vdfilter.400", "vdrec.400",
    "vdwd.351", "vdfilter.351", "vdrec.351", "vdwd.350", "vdfilter.350", "vdrec.350",
};

const char* const kSupplementaryFiles[] = {"tvsetup.log", "tvuninst.ini", "tessorw.cfg"};

// The product directory as registered: setups write the main program's full path as
// the App Paths key's default value and its directory as "Path" (the first of several
// separated by ";"); without "Path", the data of the key's first value, whatever that
// value's name and type. Read whole or not at all.
PathValue ReadRegisteredDirectory(std::string& directory) {
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TESSORNT.EXE", 0,
                    KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS) {
    return PathValue::kMissing;
  }
  const PathValue path = ReadRegistryPath(key.Get(), "Path", directory);
  if (path == PathValue::kRead) directory.erase(std::min(directory.find(';'), directory.size()));
  return path == PathValue::kMissing ? ReadFirstRegistryValue(key.Get(), directory) : path;
}

// The product directory as the system resolves it, in the one spelling that every later
// step uses: the one that is checked is the one shown, removed and scheduled. Only a
// fully qualified path is one: a relative one would name whatever folder the program
// was started from. Empty, with the reason traced, when it is not registered, is not
// such a path, cannot be resolved or does not fit a path.
std::string ReadProductDirectory() {
  std::string registered;
  const PathValue read = ReadRegisteredDirectory(registered);
  if (read == PathValue::kTooLong) Trace("VDAV Path refused, it is too long.\n");
  if (read != PathValue::kRead || registered.empty()) return "";
  if (FullyQualifiedPath(registered).empty()) {
    TraceValue("VDAV Path refused, it is not a full path: ", registered);
    return "";
  }
  const std::string directory = FullDirectoryPath(registered.c_str());
  if (directory.empty()) TraceValue("VDAV Path cannot be resolved: ", registered);
  return directory;
}

// The on-access driver files lie in the vendor's common directory. Without that
// directory there is nothing to remove: a bare "\vdwd.sys" would name the root of the
// current drive.
std::vector<std::string> DriverFilePaths() {
  char commonDirectory[kCommonDirectoryCapacity] = "";
  ReadCommonDirectory(commonDirectory);
  StripTrailingBackslash(commonDirectory);
  std::vector<std::string> paths;
  if (commonDirectory[0] == '\0') return paths;
  for (const char* name : kDriverFiles) paths.push_back(std::string(commonDirectory) + "\\" + name);
  return paths;
}

void RemoveDriverFiles() {
  TraceStep("Remove WD driver files...\n");
  Trace("Retrieving common directory...\n");
  const std::vector<std::string> paths = DriverFilePaths();
  Trace("Retrieving common directory...\n");
  if (paths.empty()) {
    Trace("Common directory not found, WD driver files left in place.\n");
    return;
  }
  for (const std::string& path : paths) {
    if (path.size() >= MAX_PATH) {
      TraceValue("Path too long, file skipped: ", path);
      continue;
    }
    TraceValue("Removing file: ", path);
    // A file in use goes at the next start; one that is not there needs nothing. A
    // read-only one is made writable first: the restart could not delete it either.
    if (!DeleteProductFile(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
        GetLastError() != ERROR_PATH_NOT_FOUND) {
      MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
  }
}

void RemoveSupplementaryFiles() {
  TraceStep("Remove VDAV supplimentary files...\n");
  for (const char* name : kSupplementaryFiles) {
    std::string path = WindowsDirectoryPath(name);
    if (!path.empty()) DeleteProductFile(path.c_str());
  }
}

// The program's own file cannot go while it runs: it is left for the next start.
void ScheduleOwnFileRemoval() {
  TraceStep("Mark tvuinst.exe to remove at next startup...\n");
  std::string path = WindowsDirectoryPath("tvuninst.exe");
  if (!path.empty()) MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// The files outside the product directory that the run deletes or schedules: the
// driver files when they go, the supplementary files (the profile among them) and the
// program's own. A path that cannot be made stays empty.
std::vector<std::string> FilesTheRunRemoves(bool onAccessRemovable) {
  std::vector<std::string> files = onAccessRemovable ? DriverFilePaths() : std::vector<std::string>();
  for (const char* name : kSupplementaryFiles) files.push_back(WindowsDirectoryPath(name));
  files.push_back(WindowsDirectoryPath("tvuninst.exe"));
  return files;
}

// The steps of the run, up to its exit code.
int RunSteps(const char* commandTail, RunLog& log) {
  TraceStep("Checking OS version...\n");
  const bool nt3Mode = IsNt3Mode();
  Trace(nt3Mode ? "NT OS version is 3.x...\n" : "NT OS version is 4.x...\n");

  const std::string profilePath = ProfilePath();
  const ProfileTexts profile = LoadProfile(profilePath, nt3Mode);
  FileList fileList;
  if (!profile.wholeDirectoryRemoval) ReadFileList(profilePath.c_str(), fileList);
  Prompts prompts(profile);

  TraceStep("Checking user rights...\n");
  if (!HasServiceManagerRights()) {
    OpenRunLog(log, profile);
    prompts.Tell(profile.noModifyRights);
    return kExitNoRights;
  }

  TraceStep("Retrieving VDAV Path from registry...\n");
  const std::string productDirectory = ReadProductDirectory();
  OpenRunLog(log, profile);
  if (productDirectory.empty()) {
    prompts.Tell(profile.couldNotFindPath);
    return kExitNoProductDirectory;
  }

  // Only a Yes goes on: a box that could not be shown is no consent.
  TraceStep("Checking if VDAV directory can be removed...\n");
  const bool warned = DirectoryNeedsWarning(productDirectory) != 0;
  if (warned && !prompts.ConfirmDirectoryWarning(productDirectory.c_str())) {
    return kExitDeclined;
  }
  TraceStep("Asking user...\n");
  const int removalAnswer = prompts.AskForConsent();
  if (removalAnswer != IDYES) return kExitDeclined;

  TraceStep("Set cursor to wait state...\n");
  SetCursorShape(IDC_WAIT);

  TraceStep("Checking if VD Manager is installed...\n");
  const bool managerPresent = ManagerInstalled() == 1;

  TraceStep("Check whether is there any WD dependencies....\n");
  const bool onAccessRemovable = OnAccessDriversRemovable() != 0;

  RefuseLogInRemoval(log, productDirectory, FilesTheRunRemoves(onAccessRemovable));
  TraceStep("Killing VDAV active parts running...\n");
  if (StopRunningComponents(prompts, onAccessRemovable ? 1 : 0) != 0) {
    // Nothing has been deleted yet; what still runs stays installed.
    Trace("Uninstallation aborted by the user.\n");
    SetCursorShape(IDC_ARROW);
    return kExitAborted;
  }
  Sleep(1000);

  TraceStep("Checking if VAgent Service is installed...\n");
  if (AgentServiceInstalled()) {
    TraceStep("Removing VAgent Service...\n");
    RemoveAgentService();
  } else {
    RemoveAgentEventSource();  // left by a run cut off after the service went
  }

  TraceStep("Removing Tessor/mirel services...\n");
  RemoveServiceByName("Varden Tessor");
  RemoveServiceByName("Varden Mirel");

  TraceStep("Removing VDAV registry keys...\n");
  RemoveScannerServiceKeys();
  if (onAccessRemovable) {
    TraceStep("Removing WD registry keys...\n");
    RemoveOnAccessDriverKeys();
  }

  TraceStep("Checking if SNMP is installed...\n");
  if (IsSNMPMasterAgentInstalled() && SnmpAgentInstalled() == 1) {
    TraceStep("Uninstalling SNMP Agent...\n");
    UninstallSnmpAgent(prompts, productDirectory.c_str());
  }

  Sleep(2000);
  SetCursorShape(IDC_ARROW);

  if (nt3Mode) {
    DeleteProgramGroup(profile.programGroupName.c_str());
    DeleteProgramItem(profile.startupGroupName.c_str(), "V-Agent");
    RemoveApplicationKeys(productDirectory.c_str());
  } else {
    TraceStep("Launch Install Shield's uninst.exe...\n");
    RunInstallShieldUninstaller(commandTail);
  }

  TraceStep("Removing additional VDAV registry settings...\n");
  RemoveShellIntegration();
  RemoveStartupValues();

  if (managerPresent) {
    TraceStep("Removing Varden Manager...\n");
    RemoveManager();
  }

  if (profile.wholeDirectoryRemoval) {
    TraceStep("Removing the whole VDAV directory...\n");
    RemoveDirectoryTree(productDirectory.c_str());
    Sleep(1000);
    RemoveDirectoryTree(productDirectory.c_str());
    // What is still in use now has been scheduled by the second pass; the directory
    // itself follows it, or the restart that the user is told to make leaves it behind.
    // A directory the user was warned about is not: it is a root or holds the system.
    if (!warned && GetFileAttributesA(productDirectory.c_str()) != INVALID_FILE_ATTRIBUTES) {
      MoveFileExA(productDirectory.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
  } else {
    TraceStep("Removing listed files...\n");
    RemoveListedFiles(productDirectory.c_str(), fileList);
  }

  if (onAccessRemovable) RemoveDriverFiles();
  RemoveSupplementaryFiles();
  ScheduleOwnFileRemoval();

  prompts.Tell(nt3Mode ? profile.finishPrompt : profile.restartText);
  TraceStep("The work is done. Quiting...\n");
  return removalAnswer;
}

}  // namespace

int RunUninstall(const char* commandTail) {
  // Nobody may be there to answer the system's own boxes (no disk in the drive, a file
  // not found): a failure is the program's to handle, and the trace says what failed. So
  // interactive runs do without them too; the administrator answers only the program's
  // own questions.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  RunLog log;
  const int exitCode = RunSteps(commandTail, log);
  log.Close(exitCode);
  return exitCode;
}
