// A whole run of the uninstaller over a machine with the product installed, and what
// the checks of a run need: the machine item by item before the product, with it, and
// after the run, and what the run did to items that were not the product's.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <winsim/ui.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

inline const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TESSORNT.EXE";
inline const char kLog[] = "C:\\Logs\\tvuninst.log";  // the logged runs' log file

// Every item of a machine snapshot (winsim::Machine::Snapshot) by its identity (a registry
// key or value, a file or directory, a service, a pending deletion), with the line that
// describes its present state.
using MachineItems = std::map<std::string, std::string>;
MachineItems ItemsOf(const std::string& snapshot);

struct Collateral {
  std::vector<std::string> touched;  // foreign items changed, removed or scheduled
  std::vector<std::string> created;  // items the run made that were not there before
  std::size_t foreignChecked = 0;
};

// Compares a machine before the product was installed (its items are foreign), once
// installed, and after a run. The SNMP service may change its state (the run restarts
// it); a pending deletion of a path that does not exist touches nothing.
Collateral CheckCollateral(const MachineItems& beforeInstall, const MachineItems& installed,
                           const MachineItems& afterRun);

// The answers a box offers, the one that goes on with the removal first: Yes to the
// prompts, Ignore to a component that will not stop, OK to the messages.
std::vector<int> AnswersOf(UINT style);
inline int AnswerForRemoval(UINT style) { return AnswersOf(style)[0]; }

// What Windows and other setups register before the product: Program Files and Common
// Files, the profiles and a user's and the common documents, another program's App Paths
// and Uninstall entries, with a file in each folder. Every whole run's machine has them.
void InstallWindowsPlaces();

// The product with every component its setup can leave: the management product, the SNMP
// agent, the running services and programs.
struct ProductSetting {
  std::vector<std::string> listedFiles;  // the [Files] list; none: the whole directory goes
  bool nt351 = false;                    // with Program Manager
  bool unattended = false;               // logging to kLog
  bool logged = false;                   // logging to kLog, interactive or not
  std::string appPath;                   // the App Paths "Path" spelling; empty: the directory
};
void InstallWholeProduct(const ProductSetting& setting);

// A setting as a parameterised test names it.
struct NamedSetting {
  const char* name;
  ProductSetting product;
};
inline void PrintTo(const NamedSetting& setting, std::ostream* out) { *out << setting.name; }
inline std::string NameOf(const ::testing::TestParamInfo<NamedSetting>& info) { return info.param.name; }

struct WholeRun {
  std::function<void()> foreign;  // other software, there before the product
  std::function<void()> install;  // the product
  std::function<int(const winsim::MessageBoxRecord&)> answer = [](const winsim::MessageBoxRecord& box) {
    return AnswerForRemoval(box.style);
  };
  std::function<void()> beforeRun;  // arms what the run is to meet (a fault)
  std::function<void()> afterRun;   // what follows before the machine is recorded (a restart)
  std::function<std::string()> snapshot;  // the machine's state; Snapshot() when none
  std::string log;  // the run's own log file, which it may make: not counted as made
};

struct RunRecord {
  int exitCode = 0;
  MachineItems beforeInstall, installed, afterRun;
  Collateral collateral;
};

// Resets the machine and makes `run` on it.
RunRecord RunOverInstall(const WholeRun& run);

// What is wrong with a run, one a line: an exit code the program does not define (an
// early exit or a completed run), handles leaked, foreign items touched, items made.
std::vector<std::string> RunProblems(const RunRecord& run);

// Text for a failure message: the items, one a line.
std::string Lines(const std::vector<std::string>& items);
