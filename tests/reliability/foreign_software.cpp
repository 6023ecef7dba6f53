#include "reliability/foreign_software.h"

#include <iterator>
#include <random>

namespace {

const char kServices[] = "SYSTEM\\CurrentControlSet\\Services\\";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Names chosen to sit next to the product's: a prefix or a suffix away, or the same
// name in another place.
const char* const kServiceNames[] = {
    "Varden Tessor Helper", "Varden Mirel2",         "Varden Wardel Monitor", "Varden Filter Plus",
    "Varden Recognizer64",  "Tessor Anti-Virus Service Agent", "Velmora Update",
    "Orvik Backup",         "NetWatch",              "Spooler",               "LanmanServer",
    "Messenger",            "Alerter",               "Browser",               "Replicator",
};
const char* const kVendorProducts[] = {
    "SOFTWARE\\Velmora\\Varden\\Firewall", "SOFTWARE\\Velmora\\Varden\\Anti-Virus Plus",
    "SOFTWARE\\Velmora\\Varden\\Manager Tools", "SOFTWARE\\Velmora\\Mailguard\\2.1",
    "SOFTWARE\\Velmora\\Common\\Licenses", "SOFTWARE\\Velmora\\Varden\\Anti-Virus.old",
};
const char* const kCommonFiles[] = {
    "vdwd.dll", "vdwd.sys.bak", "vdfilter.352", "vdrec.sy", "xvdwd.sys", "shared.dll",
    "license.dat", "mailguard.sys", "vdwd.sys.old", "vdrec.3500",
};
const char* const kWindowsFiles[] = {
    "tvsetup.log.old", "tvuninst2.ini", "uninst2.exe", "tessorw.cfg.bak", "win.ini",
    "system.ini", "tvuninst.exe.old", "orvik.ini", "vduninst.exe", "uninst.ini",
};
const char* const kNeighbourDirectories[] = {
    "C:\\Program Files\\Varden\\Anti-Virus Plus", "C:\\Program Files\\Varden\\Anti-Virus.bak",
    "C:\\Program Files\\Varden\\Firewall",        "C:\\Program Files\\Velmora\\Mailguard",
    "C:\\Program Files\\Orvik\\Backup",           "C:\\Program Files\\Varden",
};

class Generator {
 public:
  explicit Generator(unsigned seed) : engine_(seed) {}
  unsigned Below(unsigned bound) { return static_cast<unsigned>(engine_() % bound); }
  bool Chance(unsigned percent) { return Below(100) < percent; }
  std::string Guid() {
    static const char hex[] = "0123456789ABCDEF";
    std::string guid = "{";
    for (int i = 0; i < 32; ++i) {
      if (i == 8 || i == 12 || i == 16 || i == 20) guid += '-';
      guid += hex[Below(16)];
    }
    return guid + "}";
  }

 private:
  std::mt19937 engine_;
};

// On some machines one foreign service needs the product's on-access driver, which must
// then stay with everything that belongs to it.
void AddServices(winsim::Machine& machine, Generator& random, ForeignSoftware& software) {
  const unsigned dependent = random.Chance(40) ? random.Below(std::size(kServiceNames)) : ~0u;
  for (unsigned i = 0; i < std::size(kServiceNames); ++i) {
    const char* name = kServiceNames[i];
    if (i != dependent && !random.Chance(70)) continue;
    std::vector<std::string> dependsOn;
    if (i == dependent) {
      dependsOn.push_back("Varden Wardel");
      software.dependsOnOnAccessDriver = true;
    }
    winsim::Service& service = machine.services.Install(
        name, random.Chance(50) ? SERVICE_RUNNING : SERVICE_STOPPED, dependsOn);
    machine.registry.SetString(HKEY_LOCAL_MACHINE, std::string(kServices) + name, "ImagePath",
                               std::string("C:\\WINNT\\system32\\") + name + ".exe", REG_EXPAND_SZ);
    machine.registry.CreateKey(HKEY_LOCAL_MACHINE, std::string(kServices) + name + "\\Security");
    service.displayName = name;
  }
  for (unsigned i = 0, count = 20 + random.Below(60); i < count; ++i) {
    std::string name = "Svc" + std::to_string(random.Below(100000));
    if (machine.services.Get(name)) continue;
    machine.services.Install(name, random.Chance(30) ? SERVICE_RUNNING : SERVICE_STOPPED);
    machine.registry.SetDword(HKEY_LOCAL_MACHINE, std::string(kServices) + name, "Start", 3);
  }
}

void AddSnmpAgents(winsim::Machine& machine, Generator& random) {
  const std::string agents = std::string(kServices) + "SNMP\\Parameters\\ExtensionAgents";
  machine.registry.CreateKey(HKEY_LOCAL_MACHINE, agents);
  for (unsigned i = 0, count = 1 + random.Below(4); i < count; ++i) {
    std::string key = "SOFTWARE\\Orvik\\Agent" + std::to_string(i) + "\\CurrentVersion";
    machine.registry.SetString(HKEY_LOCAL_MACHINE, key, "Pathname", "C:\\WINNT\\system32\\orvik.dll");
    machine.registry.SetString(HKEY_LOCAL_MACHINE, agents, "Foreign" + std::to_string(i), key);
  }
}

void AddShellEntries(winsim::Machine& machine, Generator& random) {
  std::vector<std::string> classes = {"{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E2}",
                                      "{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}x"};
  for (unsigned i = 0, count = 5 + random.Below(30); i < count; ++i) classes.push_back(random.Guid());
  for (const std::string& id : classes) {
    machine.registry.SetString(HKEY_CLASSES_ROOT, "CLSID\\" + id + "\\InprocServer32", "",
                               "C:\\WINNT\\system32\\shell" + std::to_string(random.Below(99)) + ".dll");
    if (random.Chance(30)) {
      machine.registry.CreateKey(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\" + id);
    }
    if (random.Chance(30)) {
      machine.registry.CreateKey(HKEY_CLASSES_ROOT, "Folder\\shellex\\ContextMenuHandlers\\" + id);
    }
  }
  machine.registry.SetString(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\Orvik", "",
                             classes[2]);
  for (const char* type : {".TSY", ".TSXX", ".TS", "TESSOR2", "TESSORX\\shell\\open\\command"}) {
    if (random.Chance(60)) machine.registry.SetString(HKEY_CLASSES_ROOT, type, "", "foreign");
  }
  machine.registry.SetString(HKEY_CLASSES_ROOT, ".txt", "", "txtfile");
}

void AddStartupValues(winsim::Machine& machine, Generator& random) {
  for (const char* name : {"Tessor Professional Helper", "Varden Anti-Virus Plus", "Varden Firewall",
                           "Orvik Agent", "SystemTray", "Tessor", "Varden"}) {
    if (random.Chance(60)) machine.registry.SetString(HKEY_LOCAL_MACHINE, kRun, name, "C:\\x.exe");
  }
  machine.registry.SetString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                             "Varden Anti-Virus", "C:\\foreign.exe");
}

void AddVendorProducts(winsim::Machine& machine, Generator& random) {
  for (const char* key : kVendorProducts) {
    if (!random.Chance(60)) continue;
    machine.registry.SetString(HKEY_LOCAL_MACHINE, key, "Version", std::to_string(random.Below(9)) + ".0");
    machine.registry.CreateKey(HKEY_LOCAL_MACHINE, std::string(key) + "\\Settings");
  }
  // Settings of the vendor's product line, on the keys the product's own sit under.
  if (random.Chance(50)) machine.registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden", "InstallRoot", "C:\\Program Files\\Varden");
  if (random.Chance(50)) machine.registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora", "Vendor", "Velmora");
  const std::string apps = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
  for (const char* program : {"TESSORNT.EXE.OLD", "TESSOR.EXE", "MAILGUARD.EXE"}) {
    machine.registry.SetString(HKEY_LOCAL_MACHINE, apps + "App Paths\\" + program, "Path",
                               "C:\\Program Files\\Varden\\Anti-Virus Plus");
  }
  machine.registry.SetString(HKEY_LOCAL_MACHINE, apps + "Uninstall\\Varden Firewall", "UninstallString",
                             "C:\\WINNT\\uninst.exe -fC:\\WINNT\\fwsetup.log");
}

void AddFiles(winsim::Machine& machine, Generator& random) {
  const std::string windows = machine.system.windowsDirectory;
  for (const char* name : kCommonFiles) {
    if (random.Chance(60)) machine.files.AddFile("C:\\Program Files\\Velmora\\Common\\" + std::string(name), "foreign");
  }
  for (const char* name : kWindowsFiles) {
    if (random.Chance(60)) machine.files.AddFile(windows + "\\" + name, "foreign");
  }
  machine.files.AddFile("C:\\Program Files\\Orvik\\Backup\\archive.bak", "the user's backup");
  for (const char* directory : kNeighbourDirectories) {
    for (unsigned i = 0, count = random.Below(4); i < count; ++i) {
      machine.files.AddFile(std::string(directory) + "\\file" + std::to_string(i) + ".dat", "foreign");
    }
  }
  for (unsigned i = 0, count = 10 + random.Below(40); i < count; ++i) {
    machine.files.AddFile(windows + "\\system32\\lib" + std::to_string(random.Below(1000)) + ".dll", "system");
  }
}

void AddProgramManagerItems(winsim::Machine& machine, Generator& random, ForeignSoftware& software) {
  winsim::ProgramManager& programManager = machine.dde.programManager;
  const std::pair<const char*, const char*> foreign[] = {
      {"Main", "File Manager"},           {"Accessories", "Notepad"},
      {"Startup", "Clock"},               {"Startup", "V-Agent Plus"},
      {"Varden Firewall", "V-Agent"},     {"Varden Anti-Virus Plus", "Varden Anti-Virus"},
      {"Orvik", "Backup"},
  };
  for (const auto& [group, item] : foreign) {
    if (!random.Chance(70)) continue;
    programManager.AddItem(group, item);
    software.programManagerItems.emplace_back(group, item);
  }
}

}  // namespace

ForeignSoftware InstallForeignSoftware(winsim::Machine& machine, unsigned seed) {
  Generator random(seed);
  ForeignSoftware software;
  AddServices(machine, random, software);
  AddSnmpAgents(machine, random);
  AddShellEntries(machine, random);
  AddStartupValues(machine, random);
  AddVendorProducts(machine, random);
  AddFiles(machine, random);
  AddProgramManagerItems(machine, random, software);
  for (const char* item : {"Varden Anti-Virus", "V-Agent"}) {
    software.programManagerItems.emplace_back("Varden Anti-Virus", item);
  }
  software.programManagerItems.emplace_back("Startup", "V-Agent");
  return software;
}

std::string AuditSnapshot(const winsim::Machine& machine, const ForeignSoftware& software) {
  std::string text = machine.Snapshot() + "[groups]\n";
  const winsim::ProgramManager& programManager = machine.dde.programManager;
  for (const std::string& group : programManager.GroupNames()) text += group + "\n";
  for (const auto& [group, item] : software.programManagerItems) {
    if (programManager.HasItem(group, item)) text += group + " : " + item + "\n";
  }
  return text;
}
