// The sample product: Varden Anti-Virus laid down the way its own setup leaves it,
// written against Win32 so that the same code installs it into a Wine prefix (through
// e2e_install.exe) and onto the simulated machine of the native tests.
#pragma once

#include <string>
#include <vector>

enum class SampleVariant {
  kStandard,          // in "C:\Program Files\Varden\Anti-Virus"
  kNoAppPaths,        // everything but the App Paths entry that names the directory
  kWindowsDirectory,  // registered as the Windows directory itself, with a trailing "\"
};

// The variant named in a scenario ("standard", "no-app-paths", "windows-directory").
bool ParseSampleVariant(const std::string& name, SampleVariant* variant);

// The distribution folder holds the programs that are copied ("tvuninst.exe", the
// Install Shield uninstaller "uninst.exe") and "sample.dat", the stand-in content of
// every product data file. Returns the failures, one line each; empty when all went in.
std::vector<std::string> InstallSampleProduct(const std::string& distribution,
                                              SampleVariant variant);

// The event-log source entry a service of the product registers in the Application log.
// Returns the failures, one line each.
std::vector<std::string> InstallEventLogSource(const std::string& name);

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
}  // namespace sample_texts
