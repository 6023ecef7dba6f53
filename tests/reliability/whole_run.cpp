#include "reliability/whole_run.h"

#include <winsim/machine.h>

#include <algorithm>

#include "common/product.h"
#include "launch_record.h"
#include "uninstall/sequence.h"

void InstallWindowsPlaces() {
  winsim::Machine& machine = winsim::machine();
  winsim::Registry& registry = machine.registry;
  const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
  registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
  registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir", "C:\\Program Files\\Common Files");
  registry.SetString(HKEY_LOCAL_MACHINE, kProfileList, "ProfilesDirectory", "%SystemDrive%\\Users", REG_EXPAND_SZ);
  registry.SetString(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\S-1-5-21-1000", "ProfileImagePath",
                     "%SystemDrive%\\Users\\admin", REG_EXPAND_SZ);
  machine.system.environment["USERPROFILE"] = "C:\\Users\\admin";
  registry.SetString(HKEY_CURRENT_USER, std::string(kCurrentVersion) + "\\Explorer\\User Shell Folders", "Personal",
                     "%USERPROFILE%\\Documents", REG_EXPAND_SZ);
  registry.SetString(HKEY_LOCAL_MACHINE, std::string(kCurrentVersion) + "\\Explorer\\Shell Folders",
                     "Common Documents", "C:\\Users\\Public\\Documents");
  registry.SetString(HKEY_LOCAL_MACHINE, std::string(kCurrentVersion) + "\\App Paths\\NOTEPAD.EXE", "",
                     "%SystemRoot%\\notepad.exe", REG_EXPAND_SZ);
  registry.SetString(HKEY_LOCAL_MACHINE, std::string(kCurrentVersion) + "\\Uninstall\\Other Tools",
                     "UninstallString", "\"C:\\Program Files\\Other Tools\\remove.exe\" /x");
  for (const char* file : {"C:\\Program Files\\Common Files\\shared.dll", "C:\\Program Files\\Other Tools\\remove.exe",
                           "C:\\Users\\admin\\Documents\\letter.txt", "C:\\Users\\Public\\Documents\\notice.txt"}) {
    machine.files.AddFile(file, "not the product's");
  }
}

void InstallWholeProduct(const ProductSetting& setting) {
  winsim::Machine& machine = winsim::machine();
  if (setting.nt351) {
    machine.system.majorVersion = 3;
    machine.system.minorVersion = 51;
    machine.system.buildNumber = 1057;
  }
  SampleProduct install{.appPath = setting.appPath, .wholeDirectoryRemoval = setting.listedFiles.empty(),
                        .listedFiles = setting.listedFiles, .withManager = true,
                        .withProgramGroups = setting.nt351, .withSnmp = true};
  if (setting.unattended || setting.logged) install.settings = {std::string("LogFile=") + kLog};
  if (setting.unattended) install.settings.push_back("Unattended=1");
  InstallProduct(install);
  StartProductRunning();
  machine.files.AddDirectory("C:\\Logs");
}

std::vector<int> AnswersOf(UINT style) {
  switch (style & MB_TYPEMASK) {
    case MB_YESNO: return {IDYES, IDNO};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDIGNORE, IDRETRY, IDABORT};
    default: return {IDOK};
  }
}

RunRecord RunOverInstall(const WholeRun& run) {
  auto snapshot = [&] { return ItemsOf(run.snapshot ? run.snapshot() : winsim::machine().Snapshot()); };
  RunRecord record;
  winsim::Reset();
  InstallWindowsPlaces();
  if (run.foreign) run.foreign();
  record.beforeInstall = snapshot();
  run.install();
  record.installed = snapshot();
  winsim::machine().ui.answerer = run.answer;
  if (run.beforeRun) run.beforeRun();
  record.exitCode = RunUninstall("");
  if (run.afterRun) run.afterRun();
  record.afterRun = snapshot();
  record.afterRun.erase("file " + run.log);
  // The stand-ins' record of their launches is the test's bookkeeping, not the run's.
  record.afterRun.erase("file " + winsim::machine().system.windowsDirectory + "\\" + kLaunchRecordName);
  winsim::machine().ui.answerer = nullptr;
  record.collateral = CheckCollateral(record.beforeInstall, record.installed, record.afterRun);
  return record;
}

std::vector<std::string> RunProblems(const RunRecord& run) {
  std::vector<std::string> problems;
  const std::vector<int> defined = {kExitNoProductDirectory, kExitDeclined, kExitNoRights, kExitAborted,
                                    kExitAnotherRun, kExitItemsLeft, IDYES};
  if (std::find(defined.begin(), defined.end(), run.exitCode) == defined.end()) {
    problems.push_back("exit code " + std::to_string(run.exitCode));
  }
  if (const std::size_t open = winsim::machine().LeakedHandles(); open > 0) {
    problems.push_back(std::to_string(open) + " handles left open");
  }
  for (const std::string& item : run.collateral.touched) problems.push_back("foreign item " + item);
  for (const std::string& item : run.collateral.created) problems.push_back("created " + item);
  return problems;
}

std::string Lines(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += "  " + item + "\n";
  return text;
}
