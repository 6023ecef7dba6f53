// A removal cut off by a power loss at any call is finished by the next run: the product
// is installed, the power goes at call k of a run answered for removal, the machine
// restarts, a second run is answered for removal and the machine restarts again; it must
// end as one run and a restart end. A cut leaves the machine as the last call that changed
// it left it, and the restart and the second run start from that alone: so every cut
// between two changes ends alike, and the cuts worth making are one after each change
// of an uncut run. ctest makes a seeded sample of those; TVUNINST_CUT_EVERY_CALL=1 cuts at
// every call instead.
//
// Each cut is also followed the way a product that lost its registration and its record
// is: the App Paths entry and the record are deleted after the restart, and the second
// run has a profile with RemoveLeftovers=1. It must end as one run ends, but for the
// product directory, which it leaves, and the profile and the program's own file, which
// stay when it finds nothing more to remove.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "common/machine_test.h"
#include "reliability/whole_run.h"
#include "sample_product.h"
#include "uninstall/sequence.h"

namespace {

// Some of the product's files are not listed: those stay in every run.
const std::vector<std::string> kListed = {"TESSORNT.EXE", "VAGENT.EXE", "Bases\\daily.avc"};
const NamedSetting kKinds[] = {
    {"Nt4WholeDirectory", {}},
    {"Nt4ListedFiles", {.listedFiles = kListed}},
    {"Nt4UnattendedWithLog", {.unattended = true}},
    {"Nt351WholeDirectory", {.nt351 = true}},
    {"Nt351ListedFiles", {.listedFiles = kListed, .nt351 = true}},
};

constexpr std::size_t kSampled = 80;  // cut points a kind

const std::string kProductDirectory = SampleProduct().directory;

// What a product's registration and its removal record, lost, leave: the administrator's
// profile asking for the leftovers.
void LoseRegistrationAndRecord() {
  winsim::Machine& machine = winsim::machine();
  machine.registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
  if (const winsim::FileNode* record = machine.files.Lookup("C:\\WINNT\\tvuninst.rec")) {
    machine.files.Remove(*const_cast<winsim::FileNode*>(record));
  }
  WritePrivateProfileStringA("Settings", "RemoveLeftovers", "1", "C:\\WINNT\\tvuninst.ini");
}

// The items a leftovers run may leave besides one run's end.
MachineItems WithoutWhatLeftoversKeep(MachineItems items) {
  std::erase_if(items, [](const auto& item) {
    const std::string& identity = item.first;
    return identity.rfind("file " + kProductDirectory, 0) == 0 || identity == "file C:\\WINNT\\tvuninst.ini" ||
           identity == "file C:\\WINNT\\tvuninst.exe";
  });
  return items;
}

// The machine as a cut leaves it for the restart; the log's lines are not counted.
std::string LastingState() {
  std::string state = winsim::machine().Snapshot();
  const std::size_t log = state.find(std::string(kLog) + " attr");
  if (log != std::string::npos) state.erase(log, state.find('\n', log) - log);
  return state;
}

// `changes`, the calls that began right after the uncut run changed the machine, or every
// call: all of them, or one drawn from each stretch of them.
std::vector<unsigned> CutPoints(std::vector<unsigned> changes, unsigned calls) {
  if (std::getenv("TVUNINST_CUT_EVERY_CALL")) {
    changes.resize(calls);
    for (unsigned call = 1; call <= calls; ++call) changes[call - 1] = call;
  }
  if (changes.size() <= kSampled || std::getenv("TVUNINST_CUT_EVERY_CALL")) return changes;
  std::mt19937 random(calls);
  std::vector<unsigned> cuts;
  for (std::size_t stretch = 0; stretch < kSampled; ++stretch) {
    const std::size_t first = changes.size() * stretch / kSampled;
    const std::size_t last = changes.size() * (stretch + 1) / kSampled - 1;
    cuts.push_back(changes[std::uniform_int_distribution<std::size_t>(first, last)(random)]);
  }
  return cuts;
}

class CutSweepTest : public MachineTest, public ::testing::WithParamInterface<NamedSetting> {};

TEST_P(CutSweepTest, ARunCutOffAtAnyCallIsFinishedByTheNextRun) {
  const NamedSetting& kind = GetParam();
  unsigned calls = 0;
  std::vector<unsigned> changes = {1};
  std::string last;
  WholeRun whole{.install = [&] { InstallWholeProduct(kind.product); },
                 .beforeRun = [&] {
                   last = LastingState();
                   machine().faults.BeforeCall("*", 0, [&] {
                     if (std::string now = LastingState(); now != last) {
                       changes.push_back(machine().faults.TotalCalls());
                       last = std::move(now);
                     }
                   });
                 },
                 .afterRun = [&] {
                   calls = machine().faults.TotalCalls();
                   machine().Restart();
                 },
                 .log = kLog};
  const RunRecord once = RunOverInstall(whole);
  ASSERT_EQ(once.exitCode, kind.product.listedFiles.empty() ? IDYES : kExitItemsLeft);
  ASSERT_EQ(Lines(RunProblems(once)), "");

  std::size_t unlike = 0;
  const std::vector<unsigned> cuts = CutPoints(changes, calls);
  for (const bool leftovers : {false, true}) for (const unsigned cut : cuts) {
    std::string atCut, lastLine;
    std::vector<std::string> problems;
    whole.beforeRun = [&] {
      machine().faults.BeforeCall("*", cut, [&] {
        atCut = machine().Snapshot();
        const std::string text = machine().debug.Text();
        lastLine = text.substr(text.rfind('\n', text.size() - 2) + 1);
      });
      machine().faults.CutPower(cut);
    };
    whole.afterRun = [&] {
      if (machine().Snapshot() != atCut) problems.push_back("the run went on changing the machine after the cut");
      machine().Restart();
      if (leftovers) LoseRegistrationAndRecord();
      RunUninstall("");
      if (const std::size_t open = machine().LeakedHandles()) {
        problems.push_back(std::to_string(open) + " handles left open by the second run");
      }
      machine().Restart();
    };
    const RunRecord run = RunOverInstall(whole);
    // Each item of one run's end counts as foreign: what the cut run changed, removed or left.
    const MachineItems oneRun = leftovers ? WithoutWhatLeftoversKeep(once.afterRun) : once.afterRun;
    const Collateral differences =
        CheckCollateral(oneRun, oneRun, leftovers ? WithoutWhatLeftoversKeep(run.afterRun) : run.afterRun);
    problems.insert(problems.end(), differences.touched.begin(), differences.touched.end());
    for (const std::string& line : differences.created) problems.push_back("left: " + line);
    if (!problems.empty() && ++unlike <= 3) {
      ADD_FAILURE() << (leftovers ? "leftovers after a " : "") << "power cut at call " << cut << ", " << machine().faults.Calls()[cut - 1] << " after \""
                    << lastLine.substr(0, lastLine.find('\n')) << "\":\n" << Lines(problems);
    }
  }
  std::printf("[ cut sweep ] %s: %u calls in the run, %zu of them after a change, %zu cuts, %zu ending unlike "
              "one run\n", kind.name, calls, changes.size(), 2 * cuts.size(), unlike);
  EXPECT_EQ(unlike, 0u);
}

INSTANTIATE_TEST_SUITE_P(WholeRuns, CutSweepTest, ::testing::ValuesIn(kKinds), NameOf);

}  // namespace
