#include "sample_product.h"

#include <windows.h>

#include <utility>

#include "support/handles.h"

namespace {

const char kProductDirectory[] = "C:\\Program Files\\Varden\\Anti-Virus";
const char kCommonDirectory[] = "C:\\Program Files\\Velmora\\Common";
const char kServices[] = "SYSTEM\\CurrentControlSet\\Services\\";
const char kShellExtension[] = "{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}";

const char* const kProductFiles[] = {"TESSORNT.EXE",     "VAGENT.EXE",       "vlalag32.dll",
                                     "TESSOR.HLP",       "Bases\\daily.avc", "Bases\\main.avc",
                                     "Reports\\last.log"};
const char* const kDriverFiles[] = {"vdwd.sys", "vdfilter.sys", "vdrec.sys",
                                    "vdwd.400", "vdfilter.400", "vdrec.400"};
const char* const kServiceKeys[] = {"Varden Anti-Virus Service\\Enum",
                                    "Varden Anti-Virus Service\\Security",
                                    "Varden Mirel\\Enum",
                                    "Varden Mirel\\Parameters",
                                    "Varden Mirel\\Security",
                                    "Varden Tessor\\Enum",
                                    "Varden Tessor\\Parameters\\Options",
                                    "Varden Tessor\\Security",
                                    "Varden Filter\\Enum",
                                    "Varden Filter\\Security",
                                    "Varden Wardel\\Enum",
                                    "Varden Wardel\\Security",
                                    "Varden Wardel\\Options",
                                    "Varden Wardel\\Paths",
                                    "Varden Wardel\\Parameters",
                                    "Varden Recognizer\\Enum",
                                    "Varden Recognizer\\Security"};

// Collects what did not go in, so that a broken fixture is reported, not tested.
class Installer {
 public:
  std::vector<std::string> failures;

  void Directories(const std::string& path) {
    for (std::size_t slash = path.find('\\', 3);; slash = path.find('\\', slash + 1)) {
      const std::string prefix = path.substr(0, slash);
      if (!CreateDirectoryA(prefix.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        Failed("CreateDirectoryA " + prefix);
      }
      if (slash == std::string::npos) return;
    }
  }

  void Copy(const std::string& from, const std::string& to) {
    Directories(to.substr(0, to.rfind('\\')));
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) Failed("CopyFileA " + to);
  }

  void Profile(const std::string& file, const char* section, const char* key,
               const std::string& text) {
    if (!WritePrivateProfileStringA(section, key, text.c_str(), file.c_str())) {
      Failed("WritePrivateProfileStringA " + file + " " + key);
    }
  }

  // Creates the key; with a name, also sets that string value in it.
  void Registry(HKEY root, const std::string& key, const char* name = nullptr,
                const std::string& text = "") {
    RegKey opened;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, opened.Receive(), nullptr) != ERROR_SUCCESS) {
      Failed("RegCreateKeyExA " + key);
      return;
    }
    if (name &&
        RegSetValueExA(opened.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS) {
      Failed("RegSetValueExA " + key + " " + name);
    }
  }

 private:
  void Failed(const std::string& what) {
    failures.push_back(what + " failed with error " + std::to_string(GetLastError()));
  }
};

std::string WindowsDirectory() {
  char directory[MAX_PATH] = "";
  UINT length = GetWindowsDirectoryA(directory, sizeof directory);
  return length > 0 && length < sizeof directory ? directory : "";
}

void WriteProfile(Installer& installer, const std::string& profile) {
  namespace t = sample_texts;
  const std::pair<const char*, const char*> strings[] = {
      {"MessageBoxCaption", t::kCaption},        {"CouldNotFindPath", t::kCouldNotFindPath},
      {"RemovePrompt", t::kRemovePrompt},        {"NoModifyRights", t::kNoModifyRights},
      {"StopErrorMsgVDAV", t::kStopErrorMain},   {"StopErrorMsgVAgent", t::kStopErrorAgent},
      {"StopErrorMsgWD", t::kStopErrorOnAccess}, {"WarnDirPrompt1", t::kWarnDir1},
      {"WarnDirPrompt2", t::kWarnDir2},          {"WarnDirPrompt3", t::kWarnDir3},
      {"SNMPUninstallPrompt", t::kSnmpPrompt},   {"SNMPCannotUninstall", t::kSnmpCannot},
      {"SNMPUninstalled", t::kSnmpDone},         {"FinishPrompt", t::kFinish},
      {"RestartPromptPart1", t::kRestart1},      {"RestartPromptPart2", t::kRestart2},
  };
  for (const auto& [key, text] : strings) installer.Profile(profile, "Strings", key, text);
  installer.Profile(profile, "Settings", "EnableWholeDirRemove", "1");
  installer.Profile(profile, "Settings", "ProgramGroupName", t::kProgramGroup);
}

void WriteRegistry(Installer& installer, const std::string& directory, const std::string& windows,
                   SampleVariant variant) {
  if (variant != SampleVariant::kNoAppPaths) {
    installer.Registry(HKEY_LOCAL_MACHINE,
                       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TESSORNT.EXE",
                       "Path", directory);
  }
  installer.Registry(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden\\Anti-Virus", "Version", "3.0");
  installer.Registry(HKEY_LOCAL_MACHINE,
                     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varden Anti-Virus",
                     "UninstallString", windows + "\\uninst.exe -f" + windows + "\\tvsetup.log");
  installer.Registry(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Common\\Paths", "Common",
                     kCommonDirectory);
  for (const char* key : kServiceKeys)
    installer.Registry(HKEY_LOCAL_MACHINE, std::string(kServices) + key);

  const std::string program = directory + (directory.back() == '\\' ? "" : "\\");
  installer.Registry(HKEY_CLASSES_ROOT, ".TSX", "", "TESSOR");
  installer.Registry(HKEY_CLASSES_ROOT, "TESSOR\\shell\\open\\command", "",
                     program + "TESSORNT.EXE %1");
  const std::string shellClass = std::string("CLSID\\") + kShellExtension;
  installer.Registry(HKEY_CLASSES_ROOT, shellClass + "\\InprocServer", "",
                     program + "vlalag32.dll");
  installer.Registry(HKEY_CLASSES_ROOT, shellClass + "\\InprocServer32", "",
                     program + "vlalag32.dll");
  installer.Registry(HKEY_CLASSES_ROOT,
                     std::string("*\\shellex\\ContextMenuHandlers\\") + kShellExtension);
  installer.Registry(HKEY_CLASSES_ROOT,
                     std::string("Folder\\shellex\\ContextMenuHandlers\\") + kShellExtension);
  const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  installer.Registry(HKEY_LOCAL_MACHINE, kRun, "Tessor Professional",
                     program + "TESSORNT.EXE /startup");
  installer.Registry(HKEY_LOCAL_MACHINE, kRun, "Varden Anti-Virus", program + "VAGENT.EXE");
}

}  // namespace

bool ParseSampleVariant(const std::string& name, SampleVariant* variant) {
  if (name == "standard") {
    *variant = SampleVariant::kStandard;
  } else if (name == "no-app-paths") {
    *variant = SampleVariant::kNoAppPaths;
  } else if (name == "windows-directory") {
    *variant = SampleVariant::kWindowsDirectory;
  } else {
    return false;
  }
  return true;
}

std::vector<std::string> InstallEventLogSource(const std::string& name) {
  Installer installer;
  const std::string windows = WindowsDirectory();
  installer.Registry(HKEY_LOCAL_MACHINE,
                     "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + name,
                     "EventMessageFile", windows + "\\System32\\tvmsg.dll");
  return installer.failures;
}

std::vector<std::string> InstallSampleProduct(const std::string& distribution,
                                              SampleVariant variant) {
  Installer installer;
  const std::string windows = WindowsDirectory();
  if (windows.empty()) return {"GetWindowsDirectoryA failed"};
  const bool inWindows = variant == SampleVariant::kWindowsDirectory;
  const std::string directory = inWindows ? windows : kProductDirectory;
  const std::string sample = distribution + "\\sample.dat";

  for (const char* name : kProductFiles) installer.Copy(sample, directory + "\\" + name);
  for (const char* name : kDriverFiles)
    installer.Copy(sample, std::string(kCommonDirectory) + "\\" + name);
  installer.Copy(distribution + "\\tvuninst.exe", windows + "\\tvuninst.exe");
  installer.Copy(distribution + "\\uninst.exe", windows + "\\uninst.exe");
  installer.Profile(windows + "\\tvsetup.log", "Installed", "Directory", directory);
  installer.Profile(windows + "\\tessorw.cfg", "Scanner", "Bases", directory + "\\Bases");
  WriteProfile(installer, windows + "\\tvuninst.ini");
  WriteRegistry(installer, inWindows ? windows + "\\" : directory, windows, variant);
  return installer.failures;
}
