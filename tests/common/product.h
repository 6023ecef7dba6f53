// A machine with the product installed the way its setup leaves it.
#pragma once

#include <winsim/machine.h>

#include "sample_product.h"

#include <string>
#include <vector>

struct ProductInstall {
  std::string directory = "C:\\Program Files\\Varden\\Anti-Virus";
  std::string commonDirectory = "C:\\Program Files\\Velmora\\Common";
  bool wholeDirectoryRemoval = true;
  std::vector<std::string> listedFiles;  // the profile's [Files] list
  bool withProfile = true;
  // The vendor's management product beside it: its key, VDMGR.EXE, and its uninstaller
  // "vduninst.exe" in the common directory.
  bool withManager = false;
  std::string managerDirectory = "C:\\Program Files\\Velmora\\Manager";
  // Program Manager running (Windows NT 3.x) with the product's group and its start-up
  // item, beside a group and a start-up item of other programs.
  bool withProgramManager = false;
  // The product's services running (the scanners, the on-access driver and its device,
  // the agent service with its event-log source) and its two programs open.
  bool withServices = false;
  // The SNMP service, running, with the product's extension agent registered between
  // two agents of other vendors (see SnmpAgents below).
  bool withSnmp = false;
  std::vector<std::string> settings;  // further [Settings] lines of the profile, "Key=Value"
};

// The English texts a product ships in its profile: the sample product's.
namespace texts = sample_texts;

// What the management product's setup leaves and Program Manager holds.
namespace shell {
inline const char kManagerKey[] = "SOFTWARE\\Velmora\\Varden\\Manager\\1.0";
inline const char kStartupGroup[] = "Startup";
inline const char kAgentItem[] = "V-Agent";
inline const char kForeignGroup[] = "Main";
inline const char kForeignStartupItem[] = "Clock";
}  // namespace shell

// The profile text for `install` (its [Strings], [Settings] and [Files] sections).
std::string ProductProfile(const ProductInstall& install);

// Installs the product: App Paths entry, profile, product directory with files and
// subdirectories, the registry entries that the cleanup tables name, the on-access
// driver files in the vendor's common directory, the supplementary files, the
// uninstaller's own file and the Install Shield uninstaller.
void InstallProduct(winsim::Machine& machine, const ProductInstall& install = {});

// The management product, as its setup leaves it beside the product.
void InstallManager(winsim::Machine& machine, const ProductInstall& install);
// Program Manager running with the groups and items that ProductInstall names.
void AddProgramManagerGroups(winsim::Machine& machine);

// The registry keys (under HKLM unless said) and values that the product's setup
// creates and a completed NT 4 run removes.
struct RegistryItem {
  HKEY root;
  std::string key;
  std::string value;  // empty: the key itself
};
std::vector<RegistryItem> ProductRegistryItems();

// The SNMP service's list of extension agents and the registered agents, as a product
// installed with `withSnmp` leaves them.
namespace snmp {
inline const char kExtensionAgents[] = "SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents";
inline const char kAgentKey[] = "SOFTWARE\\Velmora\\Varden\\Anti-Virus\\SNMP Agent\\CurrentVersion";
inline const char kForeignAgentKey1[] = "SOFTWARE\\Microsoft\\LANManagerMIB2Agent\\CurrentVersion";
inline const char kForeignAgentKey2[] = "SOFTWARE\\Orvik\\NetWatch\\SNMP Agent\\CurrentVersion";
}  // namespace snmp
