// A removal cut off by a power loss at any call is finished by the next run: the product
// is installed, the power goes at call k of a run answered for removal, the machine
// restarts, a second run is answered for removal and the machine restarts again; it must
// end as one run and a restart end. The cut points are drawn by a seeded generator from
// every stretch of the run; TVUNINST_CUT_EVERY_CALL=1 cuts at every call instead.
#include <cstdio>
#include <cstdlib>
#include <random>

#include "common/machine_test.h"
#include "reliability/whole_run.h"
#include "uninstall/sequence.h"

namespace {

struct Kind {
  const char* name;
  ProductSetting product;
};

void PrintTo(const Kind& kind, std::ostream* out) { *out << kind.name; }

// Some of the product's files are not listed: those stay in every run.
const std::vector<std::string> kListed = {"TESSORNT.EXE", "VAGENT.EXE", "Bases\\daily.avc"};
const Kind kKinds[] = {
    {"Nt4WholeDirectory", {}},
    {"Nt4ListedFiles", {.listedFiles = kListed}},
    {"Nt4UnattendedWithLog", {.unattended = true}},
    {"Nt351WholeDirectory", {.nt351 = true}},
    {"Nt351ListedFiles", {.listedFiles = kListed, .nt351 = true}},
};

constexpr unsigned kStretches = 80;  // cut points a kind, one in each stretch of its run

std::vector<unsigned> CutPoints(unsigned calls) {
  std::vector<unsigned> cuts;
  if (std::getenv("TVUNINST_CUT_EVERY_CALL")) {
    for (unsigned call = 1; call <= calls; ++call) cuts.push_back(call);
    return cuts;
  }
  std::mt19937 random(calls);
  for (unsigned stretch = 0; stretch < kStretches; ++stretch) {
    const unsigned first = calls * stretch / kStretches + 1, last = calls * (stretch + 1) / kStretches;
    if (first <= last) cuts.push_back(std::uniform_int_distribution<unsigned>(first, last)(random));
  }
  return cuts;
}

// How the end state differs from the expected one, an item a line.
std::vector<std::string> Differences(const MachineItems& expected, const MachineItems& actual) {
  std::vector<std::string> lines;
  for (const auto& [identity, line] : expected) {
    const auto found = actual.find(identity);
    if (found == actual.end()) lines.push_back("gone: " + line);
    else if (found->second != line) lines.push_back("changed: " + line + " => " + found->second);
  }
  for (const auto& [identity, line] : actual) {
    if (expected.count(identity) == 0) lines.push_back("left: " + line);
  }
  return lines;
}

class CutSweepTest : public MachineTest, public ::testing::WithParamInterface<Kind> {};

TEST_P(CutSweepTest, ARunCutOffAtAnyCallIsFinishedByTheNextRun) {
  const Kind& kind = GetParam();
  unsigned calls = 0;
  WholeRun whole{.install = [&] { InstallWholeProduct(kind.product); },
                 .afterRun = [&] {
                   calls = machine().faults.TotalCalls();
                   machine().Restart();
                 },
                 .snapshot = SnapshotWithProgramGroups,
                 .log = kLog};
  const RunRecord once = RunOverInstall(whole);
  ASSERT_EQ(once.exitCode, IDYES);
  ASSERT_EQ(Lines(RunProblems(once)), "");

  std::size_t unlike = 0;
  const std::vector<unsigned> cuts = CutPoints(calls);
  for (const unsigned cut : cuts) {
    std::string atCut, lastLine;
    std::vector<std::string> problems;
    whole.beforeRun = [&] {
      machine().faults.BeforeCall("*", cut, [&] {
        atCut = SnapshotWithProgramGroups();
        const std::string text = machine().debug.Text();
        lastLine = text.substr(text.rfind('\n', text.size() - 2) + 1);
      });
      machine().faults.CutPower(cut);
    };
    whole.afterRun = [&] {
      if (SnapshotWithProgramGroups() != atCut) problems.push_back("the run went on changing the machine after the cut");
      machine().Restart();
      RunUninstall("");
      if (const std::size_t open = machine().LeakedHandles()) problems.push_back(std::to_string(open) + " handles left open by the second run");
      machine().Restart();
    };
    const RunRecord run = RunOverInstall(whole);
    for (const std::string& line : Differences(once.afterRun, run.afterRun)) problems.push_back(line);
    if (!problems.empty() && ++unlike <= 3) {
      ADD_FAILURE() << "power cut at call " << cut << ", " << machine().faults.Calls()[cut - 1] << " after \""
                    << lastLine.substr(0, lastLine.find('\n')) << "\":\n" << Lines(problems);
    }
  }
  std::printf("[ cut sweep ] %s: %u calls in the run, %zu cuts, %zu ending unlike one run\n", kind.name, calls,
              cuts.size(), unlike);
  EXPECT_EQ(unlike, 0u);
}

INSTANTIATE_TEST_SUITE_P(WholeRuns, CutSweepTest, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
