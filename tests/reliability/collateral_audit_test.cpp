// The collateral-damage audit: the product installed among a seed's worth of foreign
// software, removed under every combination of answers to the prompts. Whatever is
// removed or scheduled must be the product's, and what the run is meant to remove must
// be gone or scheduled.
#include <winsim/text.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "common/machine_test.h"
#include "common/product.h"
#include "reliability/foreign_software.h"
#include "reliability/whole_run.h"
#include "uninstall/sequence.h"

namespace {

constexpr std::size_t kVariedBoxes = 6;  // later boxes take their first answer

// The product directory as setups have registered it: one place in many spellings.
const char* const kRegisteredSpellings[] = {
    "C:\\Program Files\\Varden\\Anti-Virus", "C:/Program Files/Varden/Anti-Virus",
    "C:\\Program Files\\Varden\\Anti-Virus\\.", "C:\\\\Program Files\\Varden\\\\Anti-Virus\\\\",
    "C:\\Program Files\\Varden\\Bases\\..\\Anti-Virus", "\\\\?\\C:\\Program Files\\Varden\\Anti-Virus",
    "c:\\PROGRAM FILES\\varden\\anti-virus"};

// The on-access driver's services, whose keys stay while a foreign service needs it.
const char* const kOnAccessServices[] = {"Varden Filter", "Varden Wardel", "Varden Recognizer"};

// What a seed sets besides the foreign software.
struct Setting {
  explicit Setting(unsigned seed) : nt3(seed % 3 == 0), agentNeverCloses(seed % 5 == 1),
        junctionToNeighbour(seed % 3 != 2), registeredDirectory(kRegisteredSpellings[seed % std::size(kRegisteredSpellings)]) {
    install.withManager = seed % 2 == 0;
    install.withProgramGroups = nt3;
    install.withSnmp = seed % 4 != 3;
    // Listed-file removal, with entries that lead out of the product directory into the
    // neighbours' (which must stay).
    install.wholeDirectoryRemoval = seed % 4 != 2;
    if (!install.wholeDirectoryRemoval) {
      install.listedFiles = {"TESSORNT.EXE", "Bases\\daily.avc", "..\\Anti-Virus Plus\\file0.dat",
                             "..\\..\\Orvik\\Backup\\file1.dat", "C:\\WINNT\\win.ini"};
    }
  }
  bool nt3, agentNeverCloses;  // an agent window that ignores WM_QUIT
  bool junctionToNeighbour;    // the product tree holds a link to foreign files
  std::string registeredDirectory;  // the App Paths entry's "Path"
  SampleProduct install;
};

// Gone, scheduled for deletion at restart (in the spelling the product directory was
// registered in, letter case too), or (a service) marked for deletion.
bool IsGoneOrScheduled(const MachineItems& after, const std::string& identity) {
  const auto item = after.find(identity);
  if (item == after.end()) return true;
  if (identity.rfind("service ", 0) == 0) return item->second.find("marked for delete") != std::string::npos;
  if (identity.rfind("file ", 0) != 0) return false;
  std::string path = identity.substr(5);
  if (path.back() == '\\') path.pop_back();  // a directory's line ends in a backslash
  return std::any_of(after.begin(), after.end(), [&](const auto& item) { return winsim::SameName(item.first, "pending " + path); });
}

class CollateralAuditTest : public MachineTest {
 protected:
  std::size_t runs = 0, itemsChecked = 0;

  // Each of the product's items named `prefix` + a name is gone or scheduled after a
  // completed run when it `goes`, and still there when it does not.
  void ExpectRemoved(const MachineItems& after, bool goes, const std::string& prefix,
                     std::initializer_list<std::string> names) {
    for (const std::string& name : names) {
      EXPECT_EQ(goes ? IsGoneOrScheduled(after, prefix + name) : after.count(prefix + name) == 1, true)
          << prefix + name << (goes ? " stays" : " goes");
      ++itemsChecked;
    }
  }

  void ExpectCompletedRun(const MachineItems& after, const Setting& setting, bool onAccessRemovable, int snmpAnswer) {
    const SampleProduct& install = setting.install;
    const bool whole = install.wholeDirectoryRemoval;
    const std::string directory = "file " + install.directory + "\\";
    ExpectRemoved(after, true, directory, {"TESSORNT.EXE", "Bases\\daily.avc"});
    ExpectRemoved(after, whole, directory, {"", "VAGENT.EXE", "Bases\\main.avc", "TESSOR.HLP", "Bases\\", "Reports\\last.log"});
    if (whole) ExpectRemoved(after, true, directory, {"vlalag32.dll"});  // the SNMP agent's, which may go with it
    if (whole && setting.junctionToNeighbour) ExpectRemoved(after, true, directory, {"Backup\\"});
    // The SNMP agent's key lies below the product's own key, which stays while it does.
    const bool agentStays = install.withSnmp && snmpAnswer != IDYES && snmpAnswer != IDNO;
    if (install.withSnmp && snmpAnswer != 0) {
      ExpectRemoved(after, !agentStays, "registry HKEY_LOCAL_MACHINE\\",
                    {keys::kExtensionAgents + std::string(" : \"2\""), keys::kAgentKey});
    }
    for (const SampleRegistryItem& item : SampleRegistryItems()) {
      const bool onAccessKey = std::any_of(std::begin(kOnAccessServices), std::end(kOnAccessServices), [&](auto name) {
        return item.key.rfind(std::string("SYSTEM\\CurrentControlSet\\Services\\") + name, 0) == 0;
      });
      const std::string key = (item.root == HKEY_CLASSES_ROOT ? "registry HKEY_CLASSES_ROOT\\" : "registry HKEY_LOCAL_MACHINE\\") + item.key;
      ExpectRemoved(after, onAccessRemovable || !onAccessKey, key, {item.value.empty() ? "" : " : \"" + item.value + "\""});
    }
    ExpectRemoved(after, true, "file C:\\WINNT\\", {"tvsetup.log", "tvuninst.ini", "tessorw.cfg", "tvuninst.exe"});
    ExpectRemoved(after, onAccessRemovable, "file " + std::string(keys::kCommonDirectory) + "\\",
                  {"vdwd.sys", "vdfilter.sys", "vdrec.sys", "vdwd.400", "vdfilter.400", "vdrec.400"});
    ExpectRemoved(after, true, "service ", {"Varden Tessor", "Varden Mirel", "Tessor Anti-Virus Service"});
    if (setting.nt3) {
      ExpectRemoved(after, true, "registry HKEY_LOCAL_MACHINE\\",
                    {kAppPaths, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varden Anti-Virus"});
      ExpectRemoved(after, !agentStays, "registry HKEY_LOCAL_MACHINE\\", {"SOFTWARE\\Velmora\\Varden\\Anti-Virus"});
      ExpectRemoved(after, true, "[groups] ", {"Varden Anti-Virus", "Startup : V-Agent"});
    }
  }

  // Runs `seed` once with `choices` as the answers to the first boxes; returns the styles
  // of the boxes shown. An unattended run shows no box and answers for itself; on odd
  // seeds it gives up on a component that will not stop. It keeps a log.
  std::vector<UINT> RunOnce(unsigned seed, const std::vector<std::size_t>& choices, bool unattended = false) {
    Setting setting(seed);
    if (unattended) {
      setting.install.settings = {"Unattended=1", std::string("LogFile=") + kLog};
      if (seed % 2 == 1) setting.install.settings.push_back("UnattendedStopFailure=Abort");
    }
    ForeignSoftware software;
    std::vector<UINT> styles;
    int snmpAnswer = unattended ? IDYES : 0;
    std::string context = "seed " + std::to_string(seed) + ", " + setting.registeredDirectory +
                          (unattended ? ", unattended" : ", answers");
    WholeRun whole{.log = kLog};
    whole.foreign = [&] {
      if (setting.nt3) machine().system.majorVersion = 3, machine().system.minorVersion = 51;
      software = InstallForeignSoftware(machine(), seed);
    };
    whole.install = [&] {
      InstallProduct(setting.install);
      StartProductRunning();
      machine().files.AddDirectory("C:\\Logs");
      machine().registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Path", setting.registeredDirectory);
      if (setting.agentNeverCloses) machine().desktop.StartProgram("V-Agent", std::nullopt);
      if (setting.junctionToNeighbour) {
        machine().files.AddJunction(setting.install.directory + "\\Backup", "C:\\Program Files\\Orvik\\Backup");
      }
    };
    whole.answer = [&](const winsim::MessageBoxRecord& shown) {
      const UINT style = shown.style;
      if (unattended) ADD_FAILURE() << "a box shown in an unattended run";
      const std::size_t box = styles.size();
      styles.push_back(style);
      const int answer = AnswersOf(style)[box < choices.size() ? choices[box] : 0];
      if ((style & MB_TYPEMASK) == MB_YESNOCANCEL) snmpAnswer = answer;
      context += " " + std::to_string(answer);
      return answer;
    };
    const RunRecord run = RunOverInstall(whole);

    SCOPED_TRACE(context);
    EXPECT_EQ(Lines(RunProblems(run)), "");
    itemsChecked += run.collateral.foreignChecked;
    ++runs;
    if (run.exitCode == IDYES || run.exitCode == kExitItemsLeft) {
      ExpectCompletedRun(run.afterRun, setting, !software.dependsOnOnAccessDriver, snmpAnswer);
      // Only a product directory that stays, neither removed nor scheduled, is left for good.
      const std::string directory = setting.install.directory;
      EXPECT_EQ(run.exitCode == kExitItemsLeft,
                run.afterRun.count("file " + directory + "\\") && !run.afterRun.count("pending " + directory));
      return styles;
    }
    // Given up before anything was deleted: every registry key and file is as installed.
    for (const auto& [identity, line] : run.installed) {
      if (identity.rfind("registry ", 0) != 0 && identity.rfind("file ", 0) != 0) continue;
      EXPECT_EQ(run.afterRun.count(identity), 1u) << identity;
      ++itemsChecked;
    }
    return styles;
  }
};

TEST_F(CollateralAuditTest, EverySeedAndEveryAnswerRemovesOnlyTheProduct) {
  // TVUNINST_AUDIT_SEEDS asks for more seeds (or fewer) than a CI run's 40.
  const char* seedsAsked = std::getenv("TVUNINST_AUDIT_SEEDS");
  const unsigned seeds = seedsAsked && std::atoi(seedsAsked) > 0 ? std::atoi(seedsAsked) : 40;
  for (unsigned seed = 1; seed <= seeds && !HasFailure(); ++seed) {
    // Every combination of answers, as an odometer over the boxes the last run showed.
    std::vector<std::size_t> choices;
    for (std::size_t box = 1; box > 0 && !HasFailure();) {
      const std::vector<UINT> styles = RunOnce(seed, choices);
      choices.resize(std::min(styles.size(), kVariedBoxes), 0);
      for (box = choices.size(); box > 0 && choices[box - 1] + 1 >= AnswersOf(styles[box - 1]).size();) --box;
      if (box > 0) ++choices[box - 1], choices.resize(box);
    }
    if (!HasFailure()) RunOnce(seed, {}, true);
  }
  std::printf("[ audit    ] %u seeds, %zu runs, %zu items checked\n", seeds, runs, itemsChecked);
}

}  // namespace
