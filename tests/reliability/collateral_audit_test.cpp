// The collateral-damage audit: the product installed among a seed's worth of foreign
// software, removed under every combination of answers to the prompts. Whatever is
// removed or scheduled must be the product's, and what the run is meant to remove must
// be gone or scheduled.
#include <winsim/machine.h>
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

// The seeds a CI run audits; TVUNINST_AUDIT_SEEDS asks for more (or fewer).
unsigned SeedCount() {
  const char* text = std::getenv("TVUNINST_AUDIT_SEEDS");
  const unsigned count = text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : 0;
  return count > 0 ? count : 40;
}
constexpr std::size_t kVariedBoxes = 6;  // later boxes take their first answer

const char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services\\";
const char kNeighbourFolder[] = "C:\\Program Files\\Orvik\\Backup";
const char kLog[] = "C:\\Logs\\tvuninst.log";
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TESSORNT.EXE";

// The product directory as setups have registered it: one place in many spellings.
const char* const kRegisteredSpellings[] = {
    "C:\\Program Files\\Varden\\Anti-Virus",        "C:/Program Files/Varden/Anti-Virus",
    "C:\\Program Files\\Varden\\Anti-Virus\\.",     "C:\\\\Program Files\\Varden\\\\Anti-Virus\\\\",
    "C:\\Program Files\\Varden\\Bases\\..\\Anti-Virus", "\\\\?\\C:\\Program Files\\Varden\\Anti-Virus",
    "c:\\PROGRAM FILES\\varden\\anti-virus",
};

// The answers a box offers, the one that goes on with the removal first.
std::vector<int> AnswersOf(UINT style) {
  switch (style & MB_TYPEMASK) {
    case MB_YESNO: return {IDYES, IDNO};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDIGNORE, IDRETRY, IDABORT};
    default: return {IDOK};
  }
}

// What a seed sets besides the foreign software.
struct Setting {
  bool nt3 = false;
  SampleProduct install;
  bool agentNeverCloses = false;  // a second agent window that ignores WM_QUIT
  bool junctionToNeighbour = false;  // the product tree holds a link to foreign files
  std::string registeredDirectory;   // the App Paths entry's "Path"
};

Setting SettingOf(unsigned seed) {
  Setting setting;
  setting.nt3 = seed % 3 == 0;
  setting.install.withManager = seed % 2 == 0;
  setting.install.withProgramGroups = setting.nt3;
  setting.install.withSnmp = seed % 4 != 3;
  if (seed % 4 == 2) {
    // Listed-file removal, with entries that lead out of the product directory into the
    // neighbours' (which must stay).
    setting.install.wholeDirectoryRemoval = false;
    setting.install.listedFiles = {"TESSORNT.EXE", "Bases\\daily.avc", "..\\Anti-Virus Plus\\file0.dat",
                                   "..\\..\\Orvik\\Backup\\file1.dat", "C:\\WINNT\\win.ini"};
  }
  setting.agentNeverCloses = seed % 5 == 1;
  setting.junctionToNeighbour = seed % 3 != 2;
  setting.registeredDirectory = kRegisteredSpellings[seed % std::size(kRegisteredSpellings)];
  return setting;
}

std::string RegistryIdentity(HKEY root, const std::string& key, const std::string& value = "") {
  std::string identity = std::string("registry ") +
                         (root == HKEY_CLASSES_ROOT ? "HKEY_CLASSES_ROOT\\" : "HKEY_LOCAL_MACHINE\\") + key;
  return value.empty() ? identity : identity + " : \"" + value + "\"";
}

bool IsOnAccessKey(const std::string& key) {
  for (const char* service : {"Varden Filter", "Varden Wardel", "Varden Recognizer"}) {
    if (key.rfind(std::string(kServicesKey) + service, 0) == 0) return true;
  }
  return false;
}

// The product's items that a completed run removes (`go`) and those it must leave (`stay`).
struct Expectation {
  std::vector<std::string> go;
  std::vector<std::string> stay;
};

Expectation ExpectedOfCompletedRun(const Setting& setting, const ForeignSoftware& software, int snmpAnswer) {
  Expectation expected;
  const std::string directory = setting.install.directory;
  if (setting.install.wholeDirectoryRemoval) {
    for (const char* name : {"\\", "\\TESSORNT.EXE", "\\VAGENT.EXE", "\\vlalag32.dll", "\\TESSOR.HLP",
                             "\\Bases\\", "\\Bases\\daily.avc", "\\Bases\\main.avc", "\\Reports\\last.log"}) {
      expected.go.push_back("file " + directory + name);
    }
    if (setting.junctionToNeighbour) expected.go.push_back("file " + directory + "\\Backup\\");
  } else {
    for (const char* name : {"\\TESSORNT.EXE", "\\Bases\\daily.avc"}) expected.go.push_back("file " + directory + name);
    for (const char* name : {"\\VAGENT.EXE", "\\Bases\\main.avc"}) expected.stay.push_back("file " + directory + name);
  }
  // The SNMP agent's key lies below the product's own key, which stays while it does.
  const bool agentStays = setting.install.withSnmp && snmpAnswer != IDYES && snmpAnswer != IDNO;
  if (setting.install.withSnmp && snmpAnswer != 0) {
    const bool unregistered = !agentStays;
    for (const std::string& identity : {RegistryIdentity(HKEY_LOCAL_MACHINE, keys::kExtensionAgents, "2"),
                                        RegistryIdentity(HKEY_LOCAL_MACHINE, keys::kAgentKey)}) {
      (unregistered ? expected.go : expected.stay).push_back(identity);
    }
  }
  const bool onAccessRemovable = !software.dependsOnOnAccessDriver;
  for (const SampleRegistryItem& item : SampleRegistryItems()) {
    const bool goes = onAccessRemovable || !IsOnAccessKey(item.key);
    (goes ? expected.go : expected.stay).push_back(RegistryIdentity(item.root, item.key, item.value));
  }
  const std::string windows = "C:\\WINNT\\";
  for (const char* name : {"tvsetup.log", "tvuninst.ini", "tessorw.cfg", "tvuninst.exe"}) {
    expected.go.push_back("file " + windows + name);
  }
  for (const char* name : {"vdwd.sys", "vdfilter.sys", "vdrec.sys", "vdwd.400", "vdfilter.400", "vdrec.400"}) {
    (onAccessRemovable ? expected.go : expected.stay)
        .push_back("file " + std::string(keys::kCommonDirectory) + "\\" + name);
  }
  for (const char* service : {"Varden Tessor", "Varden Mirel", "Tessor Anti-Virus Service"}) {
    expected.go.push_back(std::string("service ") + service);
  }
  if (setting.nt3) {
    for (const char* key : {kAppPaths, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varden Anti-Virus"}) {
      expected.go.push_back(RegistryIdentity(HKEY_LOCAL_MACHINE, key));
    }
    (agentStays ? expected.stay : expected.go)
        .push_back(RegistryIdentity(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden\\Anti-Virus"));
    expected.go.push_back("[groups] Varden Anti-Virus");
    expected.go.push_back("[groups] Startup : V-Agent");
  }
  return expected;
}

// Gone, scheduled for deletion at restart, or (a service) marked for deletion.
bool IsGoneOrScheduled(const MachineItems& after, const std::string& identity) {
  auto item = after.find(identity);
  if (item == after.end()) return true;
  if (identity.rfind("service ", 0) == 0) return item->second.find("marked for delete") != std::string::npos;
  if (identity.rfind("file ", 0) != 0) return false;
  std::string path = identity.substr(5);
  if (path.back() == '\\') path.pop_back();  // a directory's line ends in a backslash
  // Scheduled in the spelling the product directory was registered in, letter case too.
  return std::any_of(after.begin(), after.end(),
                     [&](const auto& item) { return winsim::SameName(item.first, "pending " + path); });
}

struct AuditFigures {
  unsigned seeds = 0;
  unsigned runs = 0;
  std::size_t itemsChecked = 0;
  std::size_t foreignTouched = 0;
};

class CollateralAuditTest : public MachineTest {
 protected:
  // Runs `seed` once with `choices` as the answers to the first boxes; returns the styles
  // of the boxes shown.
  // An unattended run shows no box and answers for itself; on odd seeds it gives up on a
  // component that will not stop (UnattendedStopFailure=Abort). It keeps a log.
  std::vector<UINT> RunOnce(unsigned seed, const std::vector<std::size_t>& choices, AuditFigures& figures,
                            bool unattended = false) {
    Setting setting = SettingOf(seed);
    if (unattended) {
      setting.install.settings = {"Unattended=1", std::string("LogFile=") + kLog};
      if (seed % 2 == 1) setting.install.settings.push_back("UnattendedStopFailure=Abort");
    }
    ForeignSoftware software;
    std::vector<UINT> styles;
    int snmpAnswer = unattended ? IDYES : 0;
    WholeRun whole;
    whole.log = kLog;
    whole.foreign = [&] {
      if (setting.nt3) {
        machine().system.majorVersion = 3;
        machine().system.minorVersion = 51;
      }
      software = InstallForeignSoftware(machine(), seed);
    };
    whole.install = [&] {
      InstallProduct(setting.install);
      StartProductRunning();
      machine().files.AddDirectory("C:\\Logs");
      machine().registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Path", setting.registeredDirectory);
      if (setting.agentNeverCloses) machine().desktop.StartProgram("V-Agent", std::nullopt);
      if (setting.junctionToNeighbour) {
        machine().files.AddJunction(setting.install.directory + "\\Backup", kNeighbourFolder);
      }
    };
    whole.answer = [&](UINT style) {
      if (unattended) ADD_FAILURE() << "a box shown in an unattended run";
      const std::size_t box = styles.size();
      styles.push_back(style);
      const int answer = AnswersOf(style)[box < choices.size() ? choices[box] : 0];
      if ((style & MB_TYPEMASK) == MB_YESNOCANCEL) snmpAnswer = answer;
      return answer;
    };
    whole.snapshot = [&] { return AuditSnapshot(machine(), software); };
    const RunRecord run = RunOverInstall(whole);

    std::string context = "seed " + std::to_string(seed) + ", " + setting.registeredDirectory +
                          (unattended ? ", unattended" : ", answers");
    for (std::size_t i = 0; i < styles.size(); ++i) {
      context += " " + std::to_string(AnswersOf(styles[i])[i < choices.size() ? choices[i] : 0]);
    }
    SCOPED_TRACE(context);
    EXPECT_TRUE(IsDefinedExit(run.exitCode)) << run.exitCode;
    EXPECT_EQ(machine().OpenHandles(), 0u);

    const Collateral collateral = CheckCollateral(run.beforeInstall, run.installed, run.afterRun, {"SNMP"});
    EXPECT_TRUE(collateral.touched.empty()) << Lines(collateral.touched);
    EXPECT_TRUE(collateral.created.empty()) << Lines(collateral.created);
    figures.foreignTouched += collateral.touched.size() + collateral.created.size();
    figures.itemsChecked += collateral.foreignChecked;

    if (run.exitCode == IDYES) {
      const Expectation expected = ExpectedOfCompletedRun(setting, software, snmpAnswer);
      for (const std::string& identity : expected.go) {
        EXPECT_TRUE(IsGoneOrScheduled(run.afterRun, identity)) << identity;
      }
      for (const std::string& identity : expected.stay) {
        EXPECT_EQ(run.afterRun.count(identity), 1u) << identity;
      }
      figures.itemsChecked += expected.go.size() + expected.stay.size();
    } else {
      // Given up before anything was deleted: every registry key and file is as installed.
      for (const auto& [identity, line] : run.installed) {
        if (identity.rfind("registry ", 0) != 0 && identity.rfind("file ", 0) != 0) continue;
        EXPECT_EQ(run.afterRun.count(identity), 1u) << identity;
        ++figures.itemsChecked;
      }
    }
    ++figures.runs;
    return styles;
  }
};

TEST_F(CollateralAuditTest, EverySeedAndEveryAnswerRemovesOnlyTheProduct) {
  AuditFigures figures;
  for (unsigned seed = 1, seeds = SeedCount(); seed <= seeds; ++seed) {
    // Every combination of answers, as an odometer over the boxes the last run showed.
    std::vector<std::size_t> choices;
    for (;;) {
      const std::vector<UINT> styles = RunOnce(seed, choices, figures);
      if (HasFailure()) break;
      choices.resize(std::min(styles.size(), kVariedBoxes), 0);
      std::size_t box = choices.size();
      while (box > 0 && choices[box - 1] + 1 >= AnswersOf(styles[box - 1]).size()) --box;
      if (box == 0) break;
      ++choices[box - 1];
      choices.resize(box);
    }
    if (!HasFailure()) RunOnce(seed, {}, figures, true);
    ++figures.seeds;
    if (HasFailure()) break;
  }
  EXPECT_EQ(figures.foreignTouched, 0u);
  std::printf("[ audit    ] %u seeds, %u runs, %zu items checked, %zu foreign items touched\n", figures.seeds,
              figures.runs, figures.itemsChecked, figures.foreignTouched);
}

}  // namespace
