#include "uninstall/sequence.h"

#include <windows.h>

#include <string>
#include <vector>

#include "files/directory_warning.h"
#include "files/file_deletion.h"
#include "files/listed_files.h"
#include "files/removal_tally.h"
#include "files/tree_removal.h"
#include "services/agent_service.h"
#include "services/component_stop.h"
#include "services/service_removal.h"
#include "shell/manager.h"
#include "shell/program_manager.h"
#include "snmp/snmp_agent.h"
#include "support/file_identity.h"
#include "support/prompts.h"
#include "support/trace.h"
#include "support/windows_directory.h"
#include "uninstall/cleanup_tables.h"
#include "uninstall/environment.h"
#include "uninstall/install_shield.h"
#include "uninstall/leftovers.h"
#include "uninstall/product_directory.h"
#include "uninstall/product_files.h"
#include "uninstall/profile.h"
#include "uninstall/removal_record.h"
#include "uninstall/run_log.h"
#include "uninstall/single_run.h"

namespace {

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
    ScheduleUnlessDeleted(path, false, DeleteProductFile(path.c_str()));
  }
}

void RemoveSupplementaryFiles() {
  TraceStep("Remove VDAV supplimentary files...\n");
  for (const char* name : kSupplementaryFiles) {
    const std::string path = WindowsDirectoryPath(name);
    if (!path.empty()) LeaveUnlessDeleted(path, false, DeleteProductFile(path.c_str()));
  }
}

// The program's own file cannot go while it runs: it is left for the next start. So is
// the removal record, which goes at once when it cannot wait for the restart.
void ScheduleOwnFileRemoval(const std::string& recordPath) {
  TraceStep("Mark tvuinst.exe to remove at next startup...\n");
  const std::string path = WindowsDirectoryPath("tvuninst.exe");
  if (!path.empty()) ScheduleRemoval(path, false);
  if (recordPath.empty()) return;
  if (MoveFileExA(recordPath.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    NoteRemoval(recordPath, false, Removal::kScheduled);
  } else {
    LeaveUnlessDeleted(recordPath, false, DeleteFileA(recordPath.c_str()) != FALSE);
  }
}

// The files outside the product directory that the run deletes or schedules: the
// driver files when they go, the supplementary files (the profile among them), the
// program's own and the removal record. A path that cannot be made stays empty.
std::vector<std::string> FilesTheRunRemoves(bool onAccessRemovable) {
  std::vector<std::string> files = onAccessRemovable ? DriverFilePaths() : std::vector<std::string>();
  for (const char* name : kSupplementaryFiles) files.push_back(WindowsDirectoryPath(name));
  files.push_back(WindowsDirectoryPath("tvuninst.exe"));
  files.push_back(RemovalRecordPath());
  return files;
}

// The steps of the run, up to its exit code; `tally` holds what became of each path the
// run set out to remove.
int RunSteps(const char* commandTail, RunLog& log, const RemovalTally& tally) {
  TraceStep("Checking OS version...\n");
  const bool nt3Mode = IsNt3Mode();
  Trace(nt3Mode ? "NT OS version is 3.x...\n" : "NT OS version is 4.x...\n");

  // A run cut off after the App Paths entry or the profile went left its record: the
  // directory, the removal mode and the list are then that run's. The texts and settings
  // are a profile's that is there (an administrator may have put one in place since),
  // else that run's too.
  const std::string recordPath = RemovalRecordPath();
  const RemovalRecord record = ReadRemovalRecord(recordPath);
  const bool finishing = FinishesRecordedRemoval(record, ProfilePath());
  if (finishing) TraceValue("Finishing the removal that a cut-off run recorded in ", recordPath);
  const bool profileThere = LookUpIdentity(ProfilePath()).Found();
  const std::string removalPath = finishing ? recordPath : ProfilePath();
  const ProfileTexts profile = LoadProfile(profileThere ? ProfilePath() : removalPath, removalPath, nt3Mode);
  FileList fileList;
  if (!profile.wholeDirectoryRemoval) ReadFileList(removalPath.c_str(), fileList);
  Prompts prompts(profile);

  TraceStep("Checking user rights...\n");
  if (!HasServiceManagerRights()) {
    OpenRunLog(log, profile);
    prompts.Tell(profile.noModifyRights);
    return kExitNoRights;
  }

  TraceStep("Retrieving VDAV Path from registry...\n");
  std::string directory = finishing ? record.directory : "";
  const PathValue read = finishing ? PathValue::kRead : ReadRegisteredDirectory(directory);
  const std::string productDirectory = CheckedProductDirectory(read, directory);
  OpenRunLog(log, profile);
  // Once the product is no longer registered at all, the profile may ask for what a
  // half-removed product left: everything but the directory then goes.
  Leftovers leftovers;
  if (productDirectory.empty() && read == PathValue::kMissing && profile.removeLeftovers) {
    TraceStep("Looking for what VDAV left...\n");
    leftovers = FindLeftovers();
  }
  const bool leftoversOnly = productDirectory.empty();
  if (leftoversOnly && leftovers.found.empty()) {
    prompts.Tell(profile.couldNotFindPath);
    return kExitNoProductDirectory;
  }

  // Only a Yes goes on: a box that could not be shown is no consent.
  bool warned = false;
  if (!leftoversOnly) {
    TraceStep("Checking if VDAV directory can be removed...\n");
    warned = DirectoryNeedsWarning(productDirectory) != 0;
    if (warned && !prompts.ConfirmDirectoryWarning(productDirectory.c_str())) return kExitDeclined;
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
  // A record of this directory from before this run is one of a removal cut off.
  const bool resumed = IsRecordOf(record, productDirectory);
  const bool written = !leftoversOnly && WriteRemovalRecord(recordPath, productDirectory, profile, fileList);
  TraceStep("Killing VDAV active parts running...\n");
  if (StopRunningComponents(prompts, onAccessRemovable ? 1 : 0) != 0) {
    // This run has deleted nothing; what still runs stays installed. Its record goes,
    // unless it resumed a cut-off removal, which the record must still finish.
    if (written && !resumed) DeleteFileA(recordPath.c_str());
    Trace("Uninstallation aborted by the user.\n");
    SetCursorShape(IDC_ARROW);
    return kExitAborted;
  }
  FlushRunLog();
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
  // A cut-off run may have unregistered the agent and left its DLL: the question comes
  // again, as the answer went with that run.
  if (IsSNMPMasterAgentInstalled() &&
      (SnmpAgentInstalled() == 1 || (resumed && AgentDllLeft(productDirectory)))) {
    TraceStep("Uninstalling SNMP Agent...\n");
    UninstallSnmpAgent(prompts, leftoversOnly ? RemovableAgentDll() : AgentDllIn(productDirectory));
  } else {
    RemoveAgentKeyParentsLeft();
  }

  FlushRunLog();
  Sleep(2000);
  SetCursorShape(IDC_ARROW);

  if (nt3Mode) {
    DeleteProgramGroup(profile.programGroupName.c_str());
    DeleteProgramItem(profile.startupGroupName.c_str(), "V-Agent");
  }
  // The Install Shield uninstaller works from its log in the product directory: without
  // one, its application keys go as on NT 3.x.
  if (nt3Mode || leftoversOnly) {
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

  if (leftoversOnly) {
    TracePlacesLeft(leftovers);
  } else if (profile.wholeDirectoryRemoval) {
    TraceStep("Removing the whole VDAV directory...\n");
    RemoveDirectoryTree(productDirectory.c_str());
    FlushRunLog();
    Sleep(1000);
    RemoveDirectoryTree(productDirectory.c_str());
    // What is still in use now has been scheduled by the second pass; the directory
    // itself follows it, or the restart that the user is told to make leaves it behind.
    // A directory the user was warned about is not: it is a root or holds the system.
    if (!warned && GetFileAttributesA(productDirectory.c_str()) != INVALID_FILE_ATTRIBUTES) {
      ScheduleRemoval(productDirectory, true);
    }
  } else {
    TraceStep("Removing listed files...\n");
    RemoveListedFiles(productDirectory.c_str(), fileList);
  }

  if (onAccessRemovable) RemoveDriverFiles();
  RemoveSupplementaryFiles();
  ScheduleOwnFileRemoval(written ? recordPath : "");

  prompts.Tell(nt3Mode ? profile.finishPrompt : profile.restartText);
  TraceStep("The work is done. Quiting...\n");
  return tally.AnythingLeft() ? kExitItemsLeft : removalAnswer;
}

}  // namespace

int RunUninstall(const char* commandTail) {
  // Nobody may be there to answer the system's own boxes (no disk in the drive, a file
  // not found): a failure is the program's to handle, and the trace says what failed. So
  // interactive runs do without them too; the administrator answers only the program's
  // own questions.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  RunLog log;
  RemovalTally tally;
  const SingleRun singleRun;
  const int exitCode = singleRun.Refused() ? kExitAnotherRun : RunSteps(commandTail, log, tally);
  // What a completed run did goes to the log alone: the trace has told it path by path.
  if (exitCode == IDYES || exitCode == kExitItemsLeft) log.Append(tally.Summary());
  log.Close(exitCode);
  return exitCode;
}
