// Every end-to-end scenario of e2e/scenarios, run on the simulated machine: the same
// installer, the same answers and the same checks as the Wine run (e2e/run).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/machine_test.h"
#include "common/product.h"
#include "pending_registry.h"
#include "second_copy.h"
#include "verdict.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

namespace {

// Passes when the list of differences is empty, and shows them all when it is not.
::testing::AssertionResult None(const std::vector<std::string>& differences) {
  if (differences.empty()) return ::testing::AssertionSuccess();
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  for (const std::string& difference : differences) failure << "\n  " << difference;
  return failure;
}

std::vector<std::string> ScenarioFiles() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(E2E_SCENARIO_DIR)) {
    if (entry.path().extension() == ".txt") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The places a fresh Wine prefix registers as Windows' own and its user's, as it
// registers them there (its user named "root"): Program Files and Common Files, the
// profiles' folder with the shared ones and the user's profile, and the user's
// documents among the shell folders; the folders are there too. The program judges the
// product directory against them, on this machine as under Wine.
void AddWinePrefixPlaces(winsim::Machine& machine) {
  const std::string currentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  const std::string profiles = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
  const std::string shellFolders = currentVersion + "\\Explorer\\Shell Folders";
  const std::string userShellFolders = currentVersion + "\\Explorer\\User Shell Folders";
  winsim::Registry& registry = machine.registry;
  registry.SetString(HKEY_LOCAL_MACHINE, currentVersion, "ProgramFilesDir", "C:\\Program Files");
  registry.SetString(HKEY_LOCAL_MACHINE, currentVersion, "CommonFilesDir", "C:\\Program Files\\Common Files");
  registry.SetString(HKEY_LOCAL_MACHINE, profiles, "ProfilesDirectory", "%SystemDrive%\\users", REG_EXPAND_SZ);
  registry.SetString(HKEY_LOCAL_MACHINE, profiles, "ProgramData", "%SystemDrive%\\ProgramData", REG_EXPAND_SZ);
  registry.SetString(HKEY_LOCAL_MACHINE, profiles, "Public", "%SystemDrive%\\users\\Public", REG_EXPAND_SZ);
  registry.SetString(HKEY_LOCAL_MACHINE, profiles + "\\S-1-5-21-0-0-0-1000", "ProfileImagePath", "C:\\users\\root");
  machine.system.environment["USERPROFILE"] = "C:\\users\\root";
  registry.SetString(HKEY_CURRENT_USER, shellFolders, "Personal", "C:\\users\\root\\Documents");
  registry.SetString(HKEY_CURRENT_USER, userShellFolders, "Personal", "%USERPROFILE%\\Documents", REG_EXPAND_SZ);
  for (const char* folder : {"C:\\Program Files\\Common Files", "C:\\ProgramData", "C:\\users\\Public",
                             "C:\\users\\root\\Documents"}) {
    machine.files.AddDirectory(folder);
  }
}

class ScenarioTest : public MachineTest, public ::testing::WithParamInterface<std::string> {
 protected:
  // Plays the user as the Wine run's answerer does.
  void AnswerAsScenarioSays(const Scenario& scenario, Observed& observed) {
    machine().ui.answerer = [&scenario, &observed](const winsim::MessageBoxRecord& box) {
      ObservedBox seen{box.caption, box.text, ButtonsOfStyle(box.style), ""};
      seen.pressed = ChooseAnswer(scenario, observed.boxes.size(), seen.caption, seen.buttons);
      observed.boxes.push_back(seen);
      return ButtonId(seen.pressed);
    };
  }
};

TEST_P(ScenarioTest, HoldsOnTheSimulatedMachine) {
  std::string error;
  std::optional<Scenario> scenario =
      LoadScenario(GetParam(), machine().system.windowsDirectory, &error);
  ASSERT_TRUE(scenario) << error;
  machine().system.majorVersion = scenario->version.major;
  machine().system.minorVersion = scenario->version.minor;
  machine().system.buildNumber = scenario->version.build;
  machine().system.platformId =
      scenario->version.nt ? VER_PLATFORM_WIN32_NT : VER_PLATFORM_WIN32_WINDOWS;

  // Wine's Program Manager answers DDE on every machine.
  machine().dde.programManager.running = true;
  std::string appPath = scenario->appPath;
  if (const std::size_t at = appPath.find("%WINDIR%"); at != std::string::npos)
    appPath.replace(at, 8, machine().system.windowsDirectory);
  AddWinePrefixPlaces(machine());
  InstallProduct(SampleOfVariant(scenario->variant, appPath));
  ASSERT_TRUE(None(StartRunningParts(scenario->setup)));
  for (const std::string& path : scenario->userFiles) machine().files.AddFile(path, "the user's");
  for (const SetupValue& value : scenario->setupValues)
    ASSERT_TRUE(None(SetRegistryText(value.key, value.name, value.text)));
  if (!scenario->currentDirectory.empty())
    machine().files.currentDirectory = scenario->currentDirectory;
  machine().processes.Script(
      "C:\\Program Files\\Velmora\\Common\\vduninst.exe",
      {[](const winsim::Launch& launch) { RunManagerUninstallerStandIn(launch.commandLine); }});
  for (const std::string& path : scenario->held) {
    ASSERT_TRUE(machine().files.Exists(path)) << path;
    machine().files.HoldOpen(path);
  }
  char emptyTail[] = "";
  if (scenario->powerCut) {  // a first run that loses its power, then the machine's start
    const Scenario cutRun = CutRunOf(*scenario);
    Observed cut;
    AnswerAsScenarioSays(cutRun, cut);
    RequestPowerCut(*scenario->powerCut);
    WinMain(nullptr, nullptr, emptyTail, SW_SHOWNORMAL);
    ASSERT_TRUE(machine().faults.PowerCut()) << "the first run did not reach its power cut";
    machine().Restart();
    machine().debug = {};
  }
  if (scenario->secondCopyExit) RequestSecondCopy();
  Observed observed;
  AnswerAsScenarioSays(*scenario, observed);
  observed.exitCode = WinMain(nullptr, nullptr, emptyTail, SW_SHOWNORMAL);
  observed.trace = machine().debug.pieces;
  if (!scenario->log.empty()) observed.log = machine().files.ReadFile(scenario->log);

  EXPECT_TRUE(None(CompareRun(*scenario, observed)));
  EXPECT_TRUE(None(CompareMachine(*scenario, PendingFromRegistry())));
  machine().Restart();  // which ends the holders too
  EXPECT_TRUE(None(CompareAfterRestart(*scenario, PendingFromRegistry())));
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = std::filesystem::path(info.param).stem().string();
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ScenarioTest, ::testing::ValuesIn(ScenarioFiles()), TestName);

}  // namespace
