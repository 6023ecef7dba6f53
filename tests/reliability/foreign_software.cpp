#include "reliability/foreign_software.h"

#include <random>

namespace {

const std::string kServices = "SYSTEM\\CurrentControlSet\\Services\\";

// Names chosen to sit next to the product's: a prefix or a suffix away, or the same
// name in another place.
const char* const kServiceNames[] = {
    "Varden Tessor Helper", "Varden Mirel2", "Varden Wardel Monitor", "Varden Filter Plus", "Varden Recognizer64",
    "Tessor Anti-Virus Service Agent", "Velmora Update", "Orvik Backup", "NetWatch", "Spooler", "LanmanServer",
    "Messenger", "Alerter", "Browser", "Replicator"};
// Registry entries a machine may hold, by the key they lie in ("HKLM\\" or "HKCR\\" and
// the path): "subkey : value" names a value, a subkey alone a key. File types, start-up
// values, the vendor's other products and values on the keys above the product's own.
const std::pair<const char*, std::vector<const char*>> kRegistryEntries[] = {
    {"HKCR\\", {".TSY : ", ".TSXX : ", ".TS : ", "TESSOR2 : ", "TESSORX\\shell\\open\\command : ", ".txt : "}},
    {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\",
     {"Run : Tessor Professional Helper", "Run : Varden Anti-Virus Plus", "Run : Varden Firewall", "Run : Tessor",
      "Run : Varden", "RunOnce : Varden Anti-Virus", "App Paths\\TESSORNT.EXE.OLD : Path", "App Paths\\TESSOR.EXE : Path",
      "Uninstall\\Varden Firewall : UninstallString"}},
    {"HKLM\\SOFTWARE\\Velmora",
     {"\\Varden\\Firewall : Version", "\\Varden\\Firewall\\Settings", "\\Varden\\Anti-Virus Plus : Version",
      "\\Varden\\Manager Tools", "\\Varden\\Anti-Virus.old\\Settings", "\\Mailguard\\2.1 : Version",
      "\\Common\\Licenses\\Settings", "\\Varden : InstallRoot", " : Vendor"}}};
// Files beside the product's: in the vendor's common directory, the Windows directory,
// and directories next to the product directory whose names start like it.
const std::pair<const char*, std::vector<const char*>> kFiles[] = {
    {"C:\\Program Files\\Velmora\\Common\\",
     {"vdwd.dll", "vdwd.sys.bak", "vdfilter.352", "vdrec.sy", "xvdwd.sys", "vdwd.sys.old", "vdrec.3500"}},
    {"C:\\WINNT\\", {"tvsetup.log.old", "tvuninst2.ini", "uninst2.exe", "tessorw.cfg.bak", "win.ini",
                     "tvuninst.exe.old", "vduninst.exe", "uninst.ini"}},
    {"C:\\Program Files\\", {"Varden\\Anti-Virus Plus\\file0.dat", "Varden\\Anti-Virus Plus\\TESSORNT.EXE",
                             "Varden\\Anti-Virus.bak\\file0.dat", "Varden\\Firewall\\file0.dat",
                             "Varden\\file0.dat", "Orvik\\Backup\\file1.dat"}}};
const std::pair<const char*, const char*> kProgramManagerItems[] = {
    {"Main", "File Manager"}, {"Accessories", "Notepad"}, {"Startup", "Clock"}, {"Startup", "V-Agent Plus"},
    {"Varden Firewall", "V-Agent"}, {"Varden Anti-Virus Plus", "Varden Anti-Virus"}, {"Orvik", "Backup"}};

void AddRegistryEntry(winsim::Registry& registry, const std::string& key, const std::string& entry) {
  const HKEY root = key.rfind("HKCR", 0) == 0 ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
  const std::size_t value = entry.find(" : ");
  const std::string path = key.substr(5) + entry.substr(0, value);
  if (value == std::string::npos) {
    registry.CreateKey(root, path);
  } else {
    registry.SetString(root, path, entry.substr(value + 3),
                       "C:\\Program Files\\Varden\\Anti-Virus Plus");
  }
}

// On some machines one foreign service needs the product's on-access driver, which must
// then stay with everything that belongs to it.
void AddServices(winsim::Machine& machine, std::mt19937& random, ForeignSoftware& software) {
  const unsigned dependent = random() % 100 < 40 ? random() % std::size(kServiceNames) : ~0u;
  for (unsigned i = 0; i < std::size(kServiceNames); ++i) {
    const std::string name = kServiceNames[i];
    if (i != dependent && random() % 100 >= 70) continue;
    software.dependsOnOnAccessDriver |= i == dependent;
    machine.services.Install(name, random() % 2 ? SERVICE_RUNNING : SERVICE_STOPPED,
                             i == dependent ? std::vector<std::string>{"Varden Wardel"} : std::vector<std::string>{})
        .displayName = name;
    machine.registry.SetString(HKEY_LOCAL_MACHINE, kServices + name, "ImagePath", "C:\\WINNT\\" + name + ".exe",
                               REG_EXPAND_SZ);
    machine.registry.CreateKey(HKEY_LOCAL_MACHINE, kServices + name + "\\Security");
  }
  for (unsigned i = 0, count = 20 + random() % 60; i < count; ++i) {
    const std::string name = "Svc" + std::to_string(random() % 100000);
    if (machine.services.Get(name)) continue;
    machine.services.Install(name, random() % 100 < 30 ? SERVICE_RUNNING : SERVICE_STOPPED);
    machine.registry.SetDword(HKEY_LOCAL_MACHINE, kServices + name, "Start", 3);
  }
}

// Other SNMP agents in the list, class identifiers with context-menu handlers (one a
// digit away from the product's, one with a character more).
void AddAgentsAndClasses(winsim::Registry& registry, std::mt19937& random) {
  for (unsigned i = 0, count = 1 + random() % 4; i < count; ++i) {
    const std::string key = "SOFTWARE\\Orvik\\Agent" + std::to_string(i) + "\\CurrentVersion";
    registry.SetString(HKEY_LOCAL_MACHINE, key, "Pathname", "C:\\WINNT\\system32\\orvik.dll");
    registry.SetString(HKEY_LOCAL_MACHINE, kServices + "SNMP\\Parameters\\ExtensionAgents",
                       "Foreign" + std::to_string(i), key);
  }
  std::vector<std::string> classes = {"{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E2}", "{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}x"};
  for (unsigned i = 0, count = 5 + random() % 30; i < count; ++i) {
    classes.push_back("{" + std::to_string(random()) + "-" + std::to_string(random()) + "}");
  }
  for (const std::string& id : classes) {
    registry.SetString(HKEY_CLASSES_ROOT, "CLSID\\" + id + "\\InprocServer32", "", "C:\\WINNT\\shell.dll");
    for (const char* handlers : {"*\\shellex\\ContextMenuHandlers\\", "Folder\\shellex\\ContextMenuHandlers\\"}) {
      if (random() % 100 < 30) registry.CreateKey(HKEY_CLASSES_ROOT, handlers + id);
    }
  }
  registry.SetString(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\Orvik", "", classes[2]);
}

}  // namespace

ForeignSoftware InstallForeignSoftware(winsim::Machine& machine, unsigned seed) {
  std::mt19937 random(seed);
  ForeignSoftware software;
  AddServices(machine, random, software);
  AddAgentsAndClasses(machine.registry, random);
  for (const auto& [key, entries] : kRegistryEntries) {
    for (const char* entry : entries) {
      if (random() % 100 < 60) AddRegistryEntry(machine.registry, key, entry);
    }
  }
  for (const auto& [directory, names] : kFiles) {
    for (const char* name : names) {
      if (random() % 100 < 60) machine.files.AddFile(directory + std::string(name), "foreign");
    }
  }
  machine.files.AddFile("C:\\Program Files\\Orvik\\Backup\\archive.bak", "the user's backup");
  for (unsigned i = 0, count = 10 + random() % 40; i < count; ++i) {
    machine.files.AddFile("C:\\WINNT\\system32\\lib" + std::to_string(random() % 1000) + ".dll", "system");
  }
  for (const auto& [group, item] : kProgramManagerItems) {
    if (random() % 100 >= 70) continue;
    machine.dde.programManager.AddItem(group, item);
  }
  return software;
}
