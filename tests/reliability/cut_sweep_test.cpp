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

// Some of the product's files are not listed: those stay in every run.
const std::vector<std::string> kListed = {"TESSORNT.EXE", "VAGENT.EXE", "Bases\\daily.avc"};
const NamedSetting kKinds[] = {
    {"Nt4WholeDirectory", {}},
    {"Nt4ListedFiles", {.listedFiles = kListed}},
    {"Nt4UnattendedWithLog", {.unattended = true}},
    {"Nt351WholeDirectory", {.nt351 = true}},
    {"Nt351ListedFiles", {.listedFiles = kListed, .nt351 = true}},
};

constexpr unsigned kStretches = 80;  // cut points a kind, one in each stretch of its run

std::vector<unsigned> CutPoints(unsigned calls) {
  const unsigned stretches = std::getenv("TVUNINST_CUT_EVERY_CALL") ? calls : kStretches;  // of one call each
  std::mt19937 random(calls);
  std::vector<unsigned> cuts;
  for (unsigned stretch = 0; stretch < stretches; ++stretch) {
    const unsigned first = calls * stretch / stretches + 1, last = calls * (stretch + 1) / stretches;
    if (first <= last) cuts.push_back(std::uniform_int_distribution<unsigned>(first, last)(random));
  }
  return cuts;
}

class CutSweepTest : public MachineTest, public ::testing::WithParamInterface<NamedSetting> {};

TEST_P(CutSweepTest, ARunCutOffAtAnyCallIsFinishedByTheNextRun) {
  const NamedSetting& kind = GetParam();
  unsigned calls = 0;
  WholeRun whole{.install = [&] { InstallWholeProduct(kind.product); },
                 .afterRun = [&] {
                   calls = machine().faults.TotalCalls();
                   machine().Restart();
                 },
                 .log = kLog};
  const RunRecord once = RunOverInstall(whole);
  ASSERT_EQ(once.exitCode, IDYES);
  ASSERT_EQ(Lines(RunProblems(once)), "");

  // The cut points by what they end with, and where each cut came: its call and the last
  // line traced before it.
  std::map<std::string, std::vector<unsigned>> cutsBy;
  std::map<unsigned, std::string> where;
  const std::vector<unsigned> cuts = CutPoints(calls);
  std::size_t ending = 0;  // unlike one run
  for (const unsigned cut : cuts) {
    std::string atCut;
    std::vector<std::string> problems;
    whole.beforeRun = [&] {
      machine().faults.BeforeCall("*", cut, [&] {
        atCut = machine().Snapshot();
        const std::string text = machine().debug.Text();
        const std::size_t line = text.rfind('\n', text.size() - 2) + 1;
        where[cut] = "call " + std::to_string(cut) + ", " + machine().faults.Calls().back() + " after \"" +
                     text.substr(line, text.find('\n', line) - line) + "\"";
      });
      machine().faults.CutPower(cut);
    };
    whole.afterRun = [&] {
      if (machine().Snapshot() != atCut) problems.push_back("the run went on changing the machine after the cut");
      machine().Restart();
      RunUninstall("");
      if (const std::size_t open = machine().LeakedHandles()) problems.push_back(std::to_string(open) + " handles left open by the second run");
      machine().Restart();
    };
    const RunRecord run = RunOverInstall(whole);
    // Each item of one run's end counts as foreign: what the cut run changed, removed or left.
    const Collateral unlike = CheckCollateral(once.afterRun, once.afterRun, run.afterRun);
    problems.insert(problems.end(), unlike.touched.begin(), unlike.touched.end());
    for (const std::string& line : unlike.created) problems.push_back("left: " + line);
    if (problems.empty()) continue;
    if (++ending <= 3) ADD_FAILURE() << "power cut at " << where[cut] << ":\n" << Lines(problems);
    cutsBy[Lines(problems)].push_back(cut);
  }
  std::printf("[ cut sweep ] %s: %u calls in the run, %zu cuts, %zu ending unlike one run\n", kind.name, calls,
              cuts.size(), ending);
  for (const auto& [items, at] : cutsBy) {
    std::printf("  cut at %s%s (%zu in all):\n%s", where[at.front()].c_str(),
                at.size() > 1 ? (" ... " + where[at.back()]).c_str() : "", at.size(), items.c_str());
  }
  EXPECT_EQ(ending, 0u);
}

INSTANTIATE_TEST_SUITE_P(WholeRuns, CutSweepTest, ::testing::ValuesIn(kKinds), NameOf);

}  // namespace
