#include "common/product.h"

namespace {

const char kServices[] = "SYSTEM\\CurrentControlSet\\Services\\";
const char kClass[] = "{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

void InstallSnmpAgents(winsim::Machine& machine, const std::string& directory) {
  winsim::Registry& registry = machine.registry;
  machine.services.Install("SNMP", SERVICE_RUNNING);
  registry.SetString(HKEY_LOCAL_MACHINE, snmp::kExtensionAgents, "1", snmp::kForeignAgentKey1);
  registry.SetString(HKEY_LOCAL_MACHINE, snmp::kExtensionAgents, "2", snmp::kAgentKey);
  registry.SetString(HKEY_LOCAL_MACHINE, snmp::kExtensionAgents, "3", snmp::kForeignAgentKey2);
  registry.SetString(HKEY_LOCAL_MACHINE, snmp::kForeignAgentKey1, "Pathname",
                     "%SystemRoot%\\System32\\inetmib1.dll", REG_EXPAND_SZ);
  registry.SetString(HKEY_LOCAL_MACHINE, snmp::kAgentKey, "Pathname", directory + "\\vlalag32.dll");
  registry.SetString(HKEY_LOCAL_MACHINE, snmp::kForeignAgentKey2, "Pathname",
                     "C:\\Program Files\\Orvik\\NetWatch\\nwagent.dll");
}

}  // namespace

std::string ProductProfile(const ProductInstall& install) {
  std::string profile =
      "[Strings]\r\n"
      "MessageBoxCaption=" + std::string(texts::kCaption) + "\r\n" +
      "CouldNotFindPath=" + texts::kCouldNotFindPath + "\r\n" +
      "RemovePrompt=" + texts::kRemovePrompt + "\r\n" +
      "NoModifyRights=" + texts::kNoModifyRights + "\r\n" +
      "StopErrorMsgVDAV=" + texts::kStopErrorMain + "\r\n" +
      "StopErrorMsgVAgent=" + texts::kStopErrorAgent + "\r\n" +
      "StopErrorMsgWD=" + texts::kStopErrorOnAccess + "\r\n" +
      "WarnDirPrompt1=" + texts::kWarnDir1 + "\r\n" +
      "WarnDirPrompt2=" + texts::kWarnDir2 + "\r\n" +
      "WarnDirPrompt3=" + texts::kWarnDir3 + "\r\n" +
      "SNMPUninstallPrompt=" + texts::kSnmpPrompt + "\r\n" +
      "SNMPCannotUninstall=" + texts::kSnmpCannot + "\r\n" +
      "SNMPUninstalled=" + texts::kSnmpDone + "\r\n" +
      "FinishPrompt=" + texts::kFinish + "\r\n" +
      "RestartPromptPart1=" + texts::kRestart1 + "\r\n" +
      "RestartPromptPart2=" + texts::kRestart2 + "\r\n" +
      "\r\n[Settings]\r\n"
      "EnableWholeDirRemove=" + (install.wholeDirectoryRemoval ? "1" : "0") + "\r\n" +
      "ProgramGroupName=" + texts::kProgramGroup + "\r\n";
  for (const std::string& setting : install.settings) profile += setting + "\r\n";
  profile += "\r\n[Files]\r\n";
  for (std::size_t i = 0; i < install.listedFiles.size(); ++i) {
    profile += "File" + std::to_string(i + 1) + "=" + install.listedFiles[i] + "\r\n";
  }
  return profile;
}

std::vector<RegistryItem> ProductRegistryItems() {
  std::vector<RegistryItem> items;
  for (const char* key : {"Varden Anti-Virus Service\\Enum", "Varden Anti-Virus Service\\Security",
                          "Varden Mirel\\Enum", "Varden Mirel\\Parameters", "Varden Mirel\\Security",
                          "Varden Tessor\\Enum", "Varden Tessor\\Parameters\\Options",
                          "Varden Tessor\\Security", "Varden Filter\\Enum", "Varden Filter\\Security",
                          "Varden Wardel\\Enum", "Varden Wardel\\Security", "Varden Wardel\\Options",
                          "Varden Wardel\\Paths", "Varden Wardel\\Parameters",
                          "Varden Recognizer\\Enum", "Varden Recognizer\\Security"}) {
    items.push_back({HKEY_LOCAL_MACHINE, std::string(kServices) + key, ""});
  }
  for (const char* key : {".TSX", "TESSOR\\shell\\open\\command"}) {
    items.push_back({HKEY_CLASSES_ROOT, key, ""});
  }
  items.push_back({HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClass + "\\InprocServer", ""});
  items.push_back({HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClass + "\\InprocServer32", ""});
  items.push_back({HKEY_CLASSES_ROOT, std::string("*\\shellex\\ContextMenuHandlers\\") + kClass, ""});
  items.push_back({HKEY_CLASSES_ROOT, std::string("Folder\\shellex\\ContextMenuHandlers\\") + kClass, ""});
  items.push_back({HKEY_LOCAL_MACHINE, kRun, "Tessor Professional"});
  items.push_back({HKEY_LOCAL_MACHINE, kRun, "Varden Anti-Virus"});
  return items;
}

namespace {

// What a full install has running: the scanner services on top of the on-access driver,
// the driver that opens the on-access device, the agent service and the two programs.
void StartProductServicesAndPrograms(winsim::Machine& machine) {
  winsim::ServiceManager& services = machine.services;
  services.Install("Varden Wardel", SERVICE_RUNNING).type = SERVICE_KERNEL_DRIVER;
  services.Install("Tessor Wardel", SERVICE_RUNNING).type = SERVICE_KERNEL_DRIVER;
  machine.files.devices.insert("WARDELDEV");
  services.Install("Varden Tessor", SERVICE_RUNNING, {"Varden Wardel"});
  services.Install("Varden Mirel", SERVICE_RUNNING, {"Varden Wardel"});
  services.Install("Tessor Anti-Virus Service", SERVICE_RUNNING);
  machine.registry.SetString(
      HKEY_LOCAL_MACHINE,
      "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Tessor Anti-Virus Service",
      "EventMessageFile", "%SystemRoot%\\System32\\vagentmsg.dll", REG_EXPAND_SZ);
  machine.desktop.StartProgram("VFW_MainWindow", 300);
  machine.desktop.StartProgram("V-Agent", 800);
}

}  // namespace

void InstallProduct(winsim::Machine& machine, const ProductInstall& install) {
  winsim::Registry& registry = machine.registry;
  winsim::FileSystem& files = machine.files;
  const std::string windows = machine.system.windowsDirectory;

  // As setups write it: the program's full path as the default value, then "Path".
  const char appPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TESSORNT.EXE";
  registry.SetString(HKEY_LOCAL_MACHINE, appPaths, "", install.directory + "\\TESSORNT.EXE");
  registry.SetString(HKEY_LOCAL_MACHINE, appPaths, "Path", install.directory);
  registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden\\Anti-Virus", "Version", "3.0");
  registry.SetString(HKEY_LOCAL_MACHINE,
                     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varden Anti-Virus",
                     "UninstallString", windows + "\\uninst.exe -f" + windows + "\\tvsetup.log");
  registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Common\\Paths", "Common",
                     install.commonDirectory);
  for (const RegistryItem& item : ProductRegistryItems()) {
    if (item.value.empty()) {
      registry.CreateKey(item.root, item.key);
    } else {
      registry.SetString(item.root, item.key, item.value, install.directory + "\\VAGENT.EXE");
    }
  }
  registry.SetString(HKEY_CLASSES_ROOT, ".TSX", "", "TESSOR");
  registry.SetString(HKEY_CLASSES_ROOT, "TESSOR\\shell\\open\\command", "",
                     install.directory + "\\TESSORNT.EXE %1");

  for (const char* name : {"TESSORNT.EXE", "VAGENT.EXE", "vlalag32.dll", "TESSOR.HLP",
                           "Bases\\daily.avc", "Bases\\main.avc", "Reports\\last.log"}) {
    files.AddFile(install.directory + "\\" + name, "product file");
  }
  for (const char* name : {"vdwd.sys", "vdfilter.sys", "vdrec.sys", "vdwd.400", "vdfilter.400",
                           "vdrec.400"}) {
    files.AddFile(install.commonDirectory + "\\" + name, "driver");
  }
  for (const char* name : {"tvsetup.log", "tessorw.cfg", "tvuninst.exe", "uninst.exe"}) {
    files.AddFile(windows + "\\" + name, "setup file");
  }
  if (install.withProfile) files.AddFile(windows + "\\tvuninst.ini", ProductProfile(install));
  if (install.withManager) InstallManager(machine, install);
  if (install.withProgramManager) AddProgramManagerGroups(machine);
  if (install.withServices) StartProductServicesAndPrograms(machine);
  if (install.withSnmp) InstallSnmpAgents(machine, install.directory);
}

void InstallManager(winsim::Machine& machine, const ProductInstall& install) {
  machine.registry.SetString(HKEY_LOCAL_MACHINE, shell::kManagerKey, "ProgramDir",
                             install.managerDirectory);
  machine.files.AddFile(install.managerDirectory + "\\VDMGR.EXE", "manager");
  machine.files.AddFile(install.commonDirectory + "\\vduninst.exe", "manager uninstaller");
}

void AddProgramManagerGroups(winsim::Machine& machine) {
  winsim::ProgramManager& programManager = machine.dde.programManager;
  programManager.running = true;
  programManager.AddItem(shell::kForeignGroup, "File Manager");
  programManager.AddItem(texts::kProgramGroup, "Varden Anti-Virus");
  programManager.AddItem(texts::kProgramGroup, "V-Agent");
  programManager.AddItem(shell::kStartupGroup, shell::kForeignStartupItem);
  programManager.AddItem(shell::kStartupGroup, shell::kAgentItem);
  programManager.activeGroup = shell::kForeignGroup;
}
