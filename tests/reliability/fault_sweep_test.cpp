// Every single failure of every system call of a whole run: the run is made once to list
// its calls, then once per call with that one call failing as it plausibly fails on a
// real machine. Each run must end as the program defines, release every handle, touch
// nothing that is not the product's, and trace the step it failed in.
#include <winsim/machine.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "common/machine_test.h"
#include "common/product.h"
#include "reliability/whole_run.h"

namespace {

// The sequence's own step lines; a failing call belongs to the last one written before it.
const std::set<std::string> kStepLines = {
    "Checking OS version...\n",
    "Reading profile settings...\n",
    "Checking user rights...\n",
    "Retrieving VDAV Path from registry...\n",
    "Checking if VDAV directory can be removed...\n",
    "Asking user...\n",
    "Set cursor to wait state...\n",
    "Checking if VD Manager is installed...\n",
    "Check whether is there any WD dependencies....\n",
    "Killing VDAV active parts running...\n",
    "Checking if VAgent Service is installed...\n",
    "Removing VAgent Service...\n",
    "Removing Tessor/mirel services...\n",
    "Removing VDAV registry keys...\n",
    "Removing WD registry keys...\n",
    "Checking if SNMP is installed...\n",
    "Uninstalling SNMP Agent...\n",
    "Launch Install Shield's uninst.exe...\n",
    "Removing additional VDAV registry settings...\n",
    "Removing Varden Manager...\n",
    "Removing the whole VDAV directory...\n",
    "Removing listed files...\n",
    "Remove WD driver files...\n",
    "Remove VDAV supplimentary files...\n",
    "Mark tvuinst.exe to remove at next startup...\n",
    "The work is done. Quiting...\n",
};

// Services outside the product that a run restarts on purpose.
const std::set<std::string> kRestartedServices = {"SNMP"};

struct Scenario {
  const char* name;
  std::function<void()> setUp;
  bool unattended = false;  // no box may be shown, and the log must hold the trace
};

const char kLog[] = "C:\\Logs\\tvuninst.log";

// The product with every component its setup can leave.
SampleProduct FullInstall() {
  SampleProduct install;
  install.withManager = true;
  install.withSnmp = true;
  return install;
}

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

const Scenario kScenarios[] = {
    {"Nt4WholeDirectory", [] { InstallProduct(FullInstall()); StartProductRunning(); }},
    {"Nt4ListedFiles",
     [] {
       SampleProduct install = FullInstall();
       install.wholeDirectoryRemoval = false;
       install.listedFiles = {"TESSORNT.EXE", "VAGENT.EXE", "Bases\\daily.avc", "..\\..\\Outside.txt"};
       InstallProduct(install);
       StartProductRunning();
     }},
    {"Nt351ProgramManager",
     [] {
       winsim::machine().system.majorVersion = 3;
       winsim::machine().system.minorVersion = 51;
       winsim::machine().system.buildNumber = 1057;
       SampleProduct install = FullInstall();
       install.withProgramGroups = true;
       InstallProduct(install);
       StartProductRunning();
     }},
    {"Nt4UnattendedWithLog",
     [] {
       SampleProduct install = FullInstall();
       install.settings = {"Unattended=1", std::string("LogFile=") + kLog};
       InstallProduct(install);
       StartProductRunning();
       winsim::machine().files.AddDirectory("C:\\Logs");
     },
     true},
};

// What is wrong with the log of an unattended run: it must be the trace between its
// first and last line, or, once it could not be written, a part of the trace from its
// start; empty or none only when it could not be opened or written at all.
std::string LogProblem(int exitCode) {
  const std::string trace = winsim::machine().debug.Text();
  const std::optional<std::string> log = winsim::machine().files.ReadFile(kLog);
  if (!log || log->empty()) return trace.find("Log file cannot be") == std::string::npos ? "no log" : "";
  const std::size_t firstLineEnd = log->find('\n');
  if (log->rfind("Run of tvuninst.exe 1.0.0.0 on ", 0) != 0 || firstLineEnd == std::string::npos) {
    return "a log without its first line";
  }
  std::string body = log->substr(firstLineEnd + 1);
  const std::string lastLine = "Run ended with exit code " + std::to_string(exitCode) + "\n";
  const bool ended = body.size() >= lastLine.size() && body.substr(body.size() - lastLine.size()) == lastLine;
  if (ended) body.resize(body.size() - lastLine.size());
  if (trace.find("Log file cannot be written") != std::string::npos) {
    return trace.rfind(body, 0) == 0 ? "" : "a log that is not the start of the trace";
  }
  return ended && body == trace ? "" : "a log unlike the trace";
}

// Which call of the run is made to fail, and how.
struct InjectedFault {
  std::size_t position;  // in the run's list of calls, from 0
  std::string api;
  unsigned occurrence;   // the how-many-th call of `api`, from 1
  DWORD error;
  std::string Describe() const {
    return "call " + std::to_string(position + 1) + ", " + api + " #" + std::to_string(occurrence) +
           " failing with " + std::to_string(error);
  }
};

std::vector<InjectedFault> FaultsFor(const std::vector<std::string>& calls) {
  std::vector<InjectedFault> faults;
  std::map<std::string, unsigned> seen;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    unsigned occurrence = ++seen[calls[i]];
    if (auto error = winsim::PlausibleError(calls[i])) faults.push_back({i, calls[i], occurrence, *error});
  }
  return faults;
}

// The trace pieces written before call `position` of the run.
std::size_t PiecesBefore(const std::vector<std::string>& calls, std::size_t position) {
  return static_cast<std::size_t>(std::count(calls.begin(), calls.begin() + position, "OutputDebugStringA"));
}

class FaultSweepTest : public MachineTest, public ::testing::WithParamInterface<Scenario> {};

TEST_P(FaultSweepTest, EverySingleFailureOfEveryCallIsSurvived) {
  const Scenario& scenario = GetParam();
  WholeRun whole;
  whole.install = scenario.setUp;
  if (scenario.unattended) whole.log = kLog;
  const RunRecord clean = RunOverInstall(whole);
  ASSERT_EQ(clean.exitCode, IDYES);
  ASSERT_EQ(machine().OpenHandles(), 0u);
  if (scenario.unattended) {
    ASSERT_TRUE(machine().ui.boxes.empty());
    ASSERT_EQ(LogProblem(clean.exitCode), "");
  }
  const Collateral cleanCollateral = CheckCollateral(clean.beforeInstall, clean.installed, clean.afterRun,
                                                     kRestartedServices);
  ASSERT_TRUE(cleanCollateral.touched.empty() && cleanCollateral.created.empty())
      << Lines(cleanCollateral.touched) << Lines(cleanCollateral.created);
  const std::vector<std::string> calls = machine().faults.Calls();
  const std::vector<std::string> cleanTrace = trace();

  const std::vector<InjectedFault> faults = FaultsFor(calls);
  std::size_t survived = 0;
  int reported = 0;
  for (const InjectedFault& fault : faults) {
    whole.beforeRun = [&] { machine().faults.FailCall(fault.api, fault.occurrence, fault.error); };
    const RunRecord run = RunOverInstall(whole);
    const std::size_t piecesBefore = PiecesBefore(calls, fault.position);
    const std::vector<std::string> stepsBefore(cleanTrace.begin(), cleanTrace.begin() + piecesBefore);
    auto step = std::find_if(stepsBefore.rbegin(), stepsBefore.rend(),
                             [](const std::string& piece) { return kStepLines.count(piece) != 0; });
    const Collateral collateral = CheckCollateral(run.beforeInstall, run.installed, run.afterRun,
                                                  kRestartedServices);
    const std::size_t handlesAllowed = winsim::ReleasesHandle(fault.api) ? 1 : 0;

    std::vector<std::string> problems;
    if (machine().faults.injectedInto != fault.api) problems.push_back("the failure was never injected");
    if (!IsDefinedExit(run.exitCode)) problems.push_back("exit code " + std::to_string(run.exitCode));
    // A log that cannot be written any more says so after the last line.
    auto lastStep = std::find_if(trace().rbegin(), trace().rend(),
                                 [](const std::string& piece) { return kStepLines.count(piece) != 0; });
    if (run.exitCode == IDYES && (lastStep == trace().rend() || *lastStep != "The work is done. Quiting...\n" ||
                                  (lastStep != trace().rbegin() && (lastStep - 1)->rfind("Log file", 0) != 0))) {
      problems.push_back("a completed run without its last line");
    }
    if (machine().OpenHandles() > handlesAllowed) {
      problems.push_back(std::to_string(machine().OpenHandles()) + " handles left open");
    }
    if (step == stepsBefore.rend() || trace().size() < piecesBefore ||
        !std::equal(stepsBefore.begin(), stepsBefore.end(), trace().begin())) {
      problems.push_back("the trace does not lead up to the failing step");
    }
    // A failure while the profile is read may lose its settings: that run cannot know it
    // is unattended, nor where its log goes.
    const bool settingsRead = step != stepsBefore.rend() && *step != "Checking OS version...\n" &&
                              *step != "Reading profile settings...\n";
    if (scenario.unattended && settingsRead) {
      if (!machine().ui.boxes.empty()) problems.push_back("a box shown: " + machine().ui.boxes[0].text);
      if (std::string problem = LogProblem(run.exitCode); !problem.empty()) problems.push_back(problem);
    }
    for (const std::string& item : collateral.touched) problems.push_back("foreign item " + item);
    for (const std::string& item : collateral.created) problems.push_back("created " + item);

    if (problems.empty()) {
      ++survived;
    } else if (++reported <= 20) {
      ADD_FAILURE() << fault.Describe() << " (step " << (step == stepsBefore.rend() ? "none" : *step)
                    << "):\n" << Lines(problems);
    }
  }
  EXPECT_EQ(survived, faults.size());
  std::printf("[ sweep    ] %s: %zu calls in the run, %zu swept, %zu runs survived\n", scenario.name,
              calls.size(), faults.size(), survived);
  RecordProperty("calls_swept", static_cast<int>(faults.size()));
  RecordProperty("runs_survived", static_cast<int>(survived));
}

INSTANTIATE_TEST_SUITE_P(WholeRuns, FaultSweepTest, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
