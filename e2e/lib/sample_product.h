// The sample product: Varden Anti-Virus laid down the way its own setup leaves it,
// written against Win32 so that the same code installs it into a Wine prefix (through
// e2e_install.exe) and onto the simulated machine of the native tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum class SampleVariant {
  kStandard,          // in "C:\Program Files\Varden\Anti-Virus"
  kNoAppPaths,        // everything but the App Paths entry that names the directory
  kWindowsDirectory,  // registered as the Windows directory itself, with a trailing "\"
  // Standard, with the SNMP service "SNMP" (the distribution's e2e_snmp_service.exe)
  // running and the product's SNMP agent in its list between two other vendors' agents.
  // The profile asks for listed-file removal of every product file but the agent DLL,
  // so that what becomes of the DLL is the SNMP step's doing.
  kSnmpAgent,
  kListedFiles,       // removed by the profile's [Files] list, which leaves out
                      // "Reports\last.log"
  kManager,           // with the vendor's management product beside it
  kProgramGroups,     // with its Program Manager group, its "V-Agent" item in the
                      // start-up group, and a foreign group and start-up item
  kEverything,        // standard, with the SNMP service and agent as in kSnmpAgent and
                      // the management product beside it: the whole job of a run
  kHalfRemoved,       // standard with the SNMP service and agent, as a failed setup or
                      // uninstaller leaves it: everything but the App Paths entry
};

// The variant named in a scenario ("standard", "no-app-paths", "windows-directory",
// "snmp-agent", "listed-files", "manager", "program-groups", "everything",
// "half-removed").
bool ParseSampleVariant(const std::string& name, SampleVariant* variant);

// Where the sample product goes and what comes with it; every variant is one of these.
struct SampleProduct {
  std::string directory = "C:\\Program Files\\Varden\\Anti-Virus";
  bool inWindowsDirectory = false;  // registered as the Windows directory with a trailing "\"
  bool appPathsEntry = true;
  std::string appPath;              // the App Paths entry's "Path" spelling; empty: `directory`
  bool wholeDirectoryRemoval = true;
  std::vector<std::string> listedFiles;  // the profile's [Files] list
  bool withProfile = true;
  bool withManager = false;        // the vendor's management product beside it
  bool withProgramGroups = false;  // its Program Manager group and start-up item, beside
                                   // another product's group and start-up item
  bool withSnmp = false;           // the SNMP service running, the product's agent listed
                                   // between two other vendors' agents
  std::vector<std::string> settings;  // further [Settings] lines, "Key=Value"
};

// What a scenario's variant installs; a non-empty `appPath` is written as the App Paths
// entry's "Path" in place of the product directory, in that spelling.
SampleProduct SampleOfVariant(SampleVariant variant, const std::string& appPath);

// The distribution folder holds the programs that are copied ("tvuninst.exe", the
// Install Shield uninstaller "uninst.exe", the management product's uninstaller
// "vduninst.exe"), the SNMP service "e2e_snmp_service.exe", and "sample.dat", the
// stand-in content of every product data file. Returns the failures, one line each;
// empty when all went in.
std::vector<std::string> InstallSampleProduct(const std::string& distribution,
                                              const SampleProduct& product);

// The product files below its directory, and the on-access driver files in the
// vendor's common directory.
extern const char* const kSampleProductFiles[7];
extern const char* const kSampleDriverFiles[6];

// The registry keys (under HKLM unless said) and values that the product's setup
// creates and a completed NT 4 run removes.
struct SampleRegistryItem {
  HKEY root;
  std::string key;
  std::string value;  // empty: the key itself
};
std::vector<SampleRegistryItem> SampleRegistryItems();

// The vendor's keys and directories, and the SNMP service's list of extension agents
// with the keys its entries name (the product's between two other vendors').
namespace sample_keys {
// The application keys: the Install Shield uninstaller's to remove on NT 4.x, the
// program's own on NT 3.x.
inline const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TESSORNT.EXE";
inline const char kProductKey[] = "SOFTWARE\\Velmora\\Varden\\Anti-Virus";
inline const char kUninstallEntry[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varden Anti-Virus";
inline const char kCommonDirectory[] = "C:\\Program Files\\Velmora\\Common";
inline const char kManagerDirectory[] = "C:\\Program Files\\Velmora\\Manager";
inline const char kManagerKey[] = "SOFTWARE\\Velmora\\Varden\\Manager\\1.0";
inline const char kExtensionAgents[] =
    "SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents";
inline const char kForeignAgentKey1[] = "SOFTWARE\\Microsoft\\LANManagerMIB2Agent\\CurrentVersion";
inline const char kAgentKey[] = "SOFTWARE\\Velmora\\Varden\\Anti-Virus\\SNMP Agent\\CurrentVersion";
inline const char kForeignAgentKey2[] = "SOFTWARE\\Orvik\\NetWatch\\SNMP Agent\\CurrentVersion";
}  // namespace sample_keys

// The event-log source entry a service of the product registers in the Application log.
// Returns the failures, one line each.
std::vector<std::string> InstallEventLogSource(const std::string& name);

// A line "Key=Value" added to the [Settings] of the installed profile "tvuninst.ini", as
// an administrator does for an unattended removal. Returns the failures, one line each.
std::vector<std::string> SetProfileSetting(const std::string& keyAndValue);

// A text value of the registry as a user or another program left it: `key` is
// "HKLM\..." or "HKCU\...", made when missing; the value is REG_EXPAND_SZ when `text`
// holds a "%", else REG_SZ. Returns the failures, one line each.
std::vector<std::string> SetRegistryText(const std::string& key, const std::string& name,
                                         const std::string& text);

// The product's texts in its profile, in English.
namespace sample_texts {
inline const char kCaption[] = "Varden Anti-Virus Uninstall";
inline const char kCouldNotFindPath[] = "Varden Anti-Virus is not installed on this computer.";
inline const char kRemovePrompt[] =
    "Do you want to remove Varden Anti-Virus and all of its components?";
inline const char kNoModifyRights[] = "You need administrator rights to remove Varden Anti-Virus.";
inline const char kStopErrorMain[] = "Varden Anti-Virus could not be closed.";
inline const char kStopErrorAgent[] = "The Varden agent could not be closed.";
inline const char kStopErrorOnAccess[] = "The on-access scanner could not be stopped.";
inline const char kWarnDir1[] = "Varden Anti-Virus is installed in";
inline const char kWarnDir2[] = "Removing it would remove this directory with all of its files.";
inline const char kWarnDir3[] = "Do you want to remove it anyway?";
inline const char kSnmpPrompt[] = "Do you want to remove the Varden SNMP agent and its DLL?";
inline const char kSnmpCannot[] = "The Varden SNMP agent could not be removed.";
inline const char kSnmpDone[] = "The Varden SNMP agent was removed.";
inline const char kFinish[] = "Varden Anti-Virus has been removed.";
inline const char kRestart1[] = "Varden Anti-Virus has been removed.";
inline const char kRestart2[] = "Restart your computer to complete the removal.";
inline const char kProgramGroup[] = "Varden Anti-Virus";
inline const char kStartupGroup[] = "Startup";
inline const char kAgentItem[] = "V-Agent";
// Another product's group, and its item in the start-up group too.
inline const char kForeignGroup[] = "Other Tools";
inline const char kForeignItem[] = "Other Tool";
}  // namespace sample_texts

// The management product's uninstaller, "vduninst.exe" in the vendor's common directory,
// as the stand-in does it: it takes its time, then records its command line, marked
// when the on-access driver files were already gone by then (the uninstaller that
// started it went on without waiting for it).
void RunManagerUninstallerStandIn(const std::string& commandLine);

// The Install Shield uninstaller "uninst.exe" in the Windows directory, as the stand-in
// does it: it records its command line and deletes the application keys as the real one
// does, each with one RegDeleteKeyA, so that a key that still has subkeys stays, as on
// NT. When a power cut was asked for (power_cut.h), the power fails as it starts or as it
// ends.
void RunInstallShieldUninstallerStandIn(const std::string& commandLine);
