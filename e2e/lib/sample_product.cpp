#include "sample_product.h"

#include <windows.h>
#include <ddeml.h>

#include <iterator>
#include <utility>

#include "launch_record.h"
#include "power_cut.h"
#include "second_copy.h"
#include "support/handles.h"

namespace {

const char kUnlistedFile[] = "Reports\\last.log";
const char kAgentDll[] = "vlalag32.dll";
const char kServices[] = "SYSTEM\\CurrentControlSet\\Services\\";
const char kShellExtension[] = "{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The SNMP service's program, and the agents listed: each key with its agent's DLL (the
// product's own is in its directory).
const char kSnmpServiceProgram[] = "e2e_snmp_service.exe";
const std::pair<const char*, const char*> kAgents[] = {
    {sample_keys::kForeignAgentKey1, "%SystemRoot%\\System32\\inetmib1.dll"},
    {sample_keys::kAgentKey, nullptr},
    {sample_keys::kForeignAgentKey2, "C:\\Program Files\\Orvik\\NetWatch\\nwagent.dll"}};

}  // namespace

const char* const kSampleProductFiles[7] = {"TESSORNT.EXE",     "VAGENT.EXE",       "vlalag32.dll",
                                            "TESSOR.HLP",       "Bases\\daily.avc", "Bases\\main.avc",
                                            "Reports\\last.log"};
const char* const kSampleDriverFiles[6] = {"vdwd.sys", "vdfilter.sys", "vdrec.sys",
                                    "vdwd.400", "vdfilter.400", "vdrec.400"};

namespace {

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
                const std::string& text = "", DWORD type = REG_SZ) {
    RegKey opened;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, opened.Receive(), nullptr) != ERROR_SUCCESS) {
      Failed("RegCreateKeyExA " + key);
      return;
    }
    if (name &&
        RegSetValueExA(opened.Get(), name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS) {
      Failed("RegSetValueExA " + key + " " + name);
    }
  }

  // Registers the service "SNMP" to run `program` and waits, ten seconds at most, until
  // it has come up, as the system's setup leaves it.
  void SnmpService(const std::string& program) {
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager) return Failed("OpenSCManagerA");
    const std::string command = "\"" + program + "\"";
    ServiceHandle service(
        CreateServiceA(manager.Get(), "SNMP", "SNMP Service", SERVICE_QUERY_STATUS | SERVICE_START,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                       command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) return Failed("CreateServiceA SNMP");
    if (!StartServiceA(service.Get(), 0, nullptr)) return Failed("StartServiceA SNMP");
    for (int query = 0; query < 100; ++query) {
      SERVICE_STATUS status{};
      if (!QueryServiceStatus(service.Get(), &status)) return Failed("QueryServiceStatus SNMP");
      if (status.dwCurrentState == SERVICE_RUNNING) return;
      Sleep(100);
    }
    failures.push_back("the SNMP service did not come up");
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

void WriteProfile(Installer& installer, const std::string& profile, const SampleProduct& product) {
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
  installer.Profile(profile, "Settings", "EnableWholeDirRemove",
                    product.wholeDirectoryRemoval ? "1" : "0");
  installer.Profile(profile, "Settings", "ProgramGroupName", t::kProgramGroup);
  for (const std::string& setting : product.settings) {
    const std::size_t equals = setting.find('=');
    installer.Profile(profile, "Settings", setting.substr(0, equals).c_str(),
                      equals == std::string::npos ? "" : setting.substr(equals + 1));
  }
  // The list in one write, as a setup does: a key at a time rewrites the file each time.
  std::string list;
  for (std::size_t i = 0; i < product.listedFiles.size(); ++i)
    list += "File" + std::to_string(i + 1) + "=" + product.listedFiles[i] + '\0';
  if (!list.empty() && !WritePrivateProfileSectionA("Files", list.c_str(), profile.c_str()))
    installer.failures.push_back("WritePrivateProfileSectionA " + profile + " failed");
}

// Every product file but `left` in the [Files] list.
std::vector<std::string> ListAllBut(const std::string& left) {
  std::vector<std::string> listed;
  for (const char* name : kSampleProductFiles) {
    if (name != left) listed.push_back(name);
  }
  return listed;
}

// The management product: its key, its program and its uninstaller beside the drivers.
void InstallManager(Installer& installer, const std::string& distribution) {
  using namespace sample_keys;
  installer.Copy(distribution + "\\sample.dat", std::string(kManagerDirectory) + "\\VDMGR.EXE");
  installer.Copy(distribution + "\\vduninst.exe", std::string(kCommonDirectory) + "\\vduninst.exe");
  installer.Registry(HKEY_LOCAL_MACHINE, kManagerKey, "ProgramDir", kManagerDirectory);
}

// Sends one execute string to Program Manager; false when it was not carried out.
bool SendToProgramManager(const std::string& commands) {
  DWORD instance = 0;
  if (DdeInitializeA(&instance, nullptr, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return false;
  HSZ name = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
  HCONV conversation = name ? DdeConnect(instance, name, name, nullptr) : nullptr;
  bool done = false;
  if (conversation) {
    std::string data = commands;
    DWORD result = 0;
    done = DdeClientTransaction(reinterpret_cast<LPBYTE>(data.data()),
                                static_cast<DWORD>(data.size() + 1), conversation, nullptr, CF_TEXT,
                                XTYP_EXECUTE, 10000, &result) != nullptr;
    DdeDisconnect(conversation);
  }
  if (name) DdeFreeStringHandle(instance, name);
  DdeUninitialize(instance);
  return done;
}

// The product's group with its program, "V-Agent" in the start-up group, and what
// another product put there: a group of its own and an item in the start-up group.
void CreateProgramGroups(Installer& installer, const std::string& directory,
                         const std::string& windows) {
  const std::string foreignProgram = "\"" + windows + "\\uninst.exe\"";
  const std::string commands[] = {
      std::string("[CreateGroup(") + sample_texts::kProgramGroup + ")][AddItem(\"" + directory +
          "\\TESSORNT.EXE\"," + sample_texts::kProgramGroup + ")]",
      "[CreateGroup(" + std::string(sample_texts::kForeignGroup) + ")][AddItem(" + foreignProgram +
          "," + sample_texts::kForeignItem + ")]",
      std::string("[CreateGroup(") + sample_texts::kStartupGroup + ")][AddItem(\"" + directory +
          "\\VAGENT.EXE\"," + sample_texts::kAgentItem + ")][AddItem(" + foreignProgram + "," +
          sample_texts::kForeignItem + ")]",
  };
  for (const std::string& command : commands) {
    if (!SendToProgramManager(command)) installer.failures.push_back("Program Manager: " + command);
  }
}

void WriteRegistry(Installer& installer, const std::string& directory, const std::string& windows,
                   const SampleProduct& product) {
  using namespace sample_keys;
  if (product.appPathsEntry) {
    // As setups write it: the program's full path as the default value, then its
    // directory as "Path".
    installer.Registry(HKEY_LOCAL_MACHINE, kAppPaths, "", directory + "\\TESSORNT.EXE");
    installer.Registry(HKEY_LOCAL_MACHINE, kAppPaths, "Path",
                       product.appPath.empty() ? directory : product.appPath);
  }
  installer.Registry(HKEY_LOCAL_MACHINE, kProductKey, "Version", "3.0");
  installer.Registry(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString",
                     windows + "\\uninst.exe -f" + windows + "\\tvsetup.log");
  installer.Registry(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Common\\Paths", "Common",
                     sample_keys::kCommonDirectory);
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
  installer.Registry(HKEY_LOCAL_MACHINE, kRun, "Tessor Professional",
                     program + "TESSORNT.EXE /startup");
  installer.Registry(HKEY_LOCAL_MACHINE, kRun, "Varden Anti-Virus", program + "VAGENT.EXE");
}

// The SNMP service with the product's agent between two other vendors' agents, each
// list value naming its agent's key.
void InstallSnmpAgent(Installer& installer, const std::string& distribution,
                      const std::string& directory) {
  installer.SnmpService(distribution + "\\" + kSnmpServiceProgram);
  for (std::size_t i = 0; i < std::size(kAgents); ++i) {
    const auto& [key, dll] = kAgents[i];
    installer.Registry(HKEY_LOCAL_MACHINE, sample_keys::kExtensionAgents,
                       std::to_string(i + 1).c_str(), key);
    installer.Registry(HKEY_LOCAL_MACHINE, key, "Pathname",
                       dll ? dll : directory + "\\" + kAgentDll);
  }
}

}  // namespace

bool ParseSampleVariant(const std::string& name, SampleVariant* variant) {
  if (name == "standard") {
    *variant = SampleVariant::kStandard;
  } else if (name == "no-app-paths") {
    *variant = SampleVariant::kNoAppPaths;
  } else if (name == "windows-directory") {
    *variant = SampleVariant::kWindowsDirectory;
  } else if (name == "snmp-agent") {
    *variant = SampleVariant::kSnmpAgent;
  } else if (name == "listed-files") {
    *variant = SampleVariant::kListedFiles;
  } else if (name == "manager") {
    *variant = SampleVariant::kManager;
  } else if (name == "program-groups") {
    *variant = SampleVariant::kProgramGroups;
  } else if (name == "everything") {
    *variant = SampleVariant::kEverything;
  } else if (name == "half-removed") {
    *variant = SampleVariant::kHalfRemoved;
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

std::vector<std::string> SetProfileSetting(const std::string& keyAndValue) {
  const std::size_t equals = keyAndValue.find('=');
  if (equals == std::string::npos) return {"a setting needs Key=Value: " + keyAndValue};
  Installer installer;
  installer.Profile(WindowsDirectory() + "\\tvuninst.ini", "Settings", keyAndValue.substr(0, equals).c_str(),
                    keyAndValue.substr(equals + 1));
  return installer.failures;
}

std::vector<std::string> SetRegistryText(const std::string& key, const std::string& name,
                                         const std::string& text) {
  const bool machine = key.rfind("HKLM\\", 0) == 0;
  if (!machine && key.rfind("HKCU\\", 0) != 0) return {"not a key of HKLM or HKCU: " + key};
  Installer installer;
  installer.Registry(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, key.substr(5), name.c_str(), text,
                     text.find('%') == std::string::npos ? REG_SZ : REG_EXPAND_SZ);
  return installer.failures;
}

SampleProduct SampleOfVariant(SampleVariant variant, const std::string& appPath) {
  SampleProduct product;
  product.appPath = appPath;
  switch (variant) {
    case SampleVariant::kStandard:
      break;
    case SampleVariant::kNoAppPaths:
      product.appPathsEntry = false;
      break;
    case SampleVariant::kWindowsDirectory:
      product.inWindowsDirectory = true;
      break;
    case SampleVariant::kSnmpAgent:
      // What becomes of the agent's DLL is then the SNMP step's doing alone.
      product.withSnmp = true;
      product.wholeDirectoryRemoval = false;
      product.listedFiles = ListAllBut(kAgentDll);
      break;
    case SampleVariant::kListedFiles:
      product.wholeDirectoryRemoval = false;
      product.listedFiles = ListAllBut(kUnlistedFile);
      break;
    case SampleVariant::kManager:
      product.withManager = true;
      break;
    case SampleVariant::kProgramGroups:
      product.withProgramGroups = true;
      break;
    case SampleVariant::kEverything:
      product.withSnmp = true;
      product.withManager = true;
      break;
    case SampleVariant::kHalfRemoved:
      product.withSnmp = true;
      product.appPathsEntry = false;
      break;
  }
  return product;
}

std::vector<std::string> InstallSampleProduct(const std::string& distribution,
                                              const SampleProduct& product) {
  Installer installer;
  const std::string windows = WindowsDirectory();
  if (windows.empty()) return {"GetWindowsDirectoryA failed"};
  const std::string directory = product.inWindowsDirectory ? windows : product.directory;
  const std::string sample = distribution + "\\sample.dat";

  for (const char* name : kSampleProductFiles) installer.Copy(sample, directory + "\\" + name);
  for (const char* name : kSampleDriverFiles)
    installer.Copy(sample, std::string(sample_keys::kCommonDirectory) + "\\" + name);
  installer.Copy(distribution + "\\tvuninst.exe", windows + "\\tvuninst.exe");
  installer.Copy(distribution + "\\uninst.exe", windows + "\\uninst.exe");
  installer.Profile(windows + "\\tvsetup.log", "Installed", "Directory", directory);
  installer.Profile(windows + "\\tessorw.cfg", "Scanner", "Bases", directory + "\\Bases");
  if (product.withProfile) WriteProfile(installer, windows + "\\tvuninst.ini", product);
  WriteRegistry(installer, product.inWindowsDirectory ? windows + "\\" : directory, windows,
                product);
  if (product.withSnmp) InstallSnmpAgent(installer, distribution, directory);
  if (product.withManager) InstallManager(installer, distribution);
  if (product.withProgramGroups) CreateProgramGroups(installer, directory, windows);
  return installer.failures;
}

std::vector<SampleRegistryItem> SampleRegistryItems() {
  std::vector<SampleRegistryItem> items;
  for (const char* key : kServiceKeys)
    items.push_back({HKEY_LOCAL_MACHINE, std::string(kServices) + key, ""});
  const std::string shellClass = std::string("CLSID\\") + kShellExtension;
  for (const std::string& key :
       {std::string(".TSX"), std::string("TESSOR\\shell\\open\\command"), shellClass + "\\InprocServer",
        shellClass + "\\InprocServer32",
        std::string("*\\shellex\\ContextMenuHandlers\\") + kShellExtension,
        std::string("Folder\\shellex\\ContextMenuHandlers\\") + kShellExtension}) {
    items.push_back({HKEY_CLASSES_ROOT, key, ""});
  }
  items.push_back({HKEY_LOCAL_MACHINE, kRun, "Tessor Professional"});
  items.push_back({HKEY_LOCAL_MACHINE, kRun, "Varden Anti-Virus"});
  return items;
}

void RunManagerUninstallerStandIn(const std::string& commandLine) {
  Sleep(1500);
  const std::string driver = std::string(sample_keys::kCommonDirectory) + "\\vdwd.sys";
  const bool driversThere = GetFileAttributesA(driver.c_str()) != INVALID_FILE_ATTRIBUTES;
  RecordLaunch(commandLine + (driversThere ? "" : " (ended after the driver files were removed)"));
}

void RunInstallShieldUninstallerStandIn(const std::string& commandLine) {
  using namespace sample_keys;
  const std::optional<PowerCutMoment> cut = RequestedPowerCut();
  RecordLaunch(commandLine);
  if (SecondCopyRequested()) RecordSecondCopyExit(RunSecondCopy());
  if (cut == PowerCutMoment::kInstallShieldStart) CutPowerNow();
  for (const char* key : {kAppPaths, kProductKey, kUninstallEntry}) RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
  if (cut == PowerCutMoment::kInstallShieldEnd) CutPowerNow();
}
