// Every single failure of every system call of a whole run: the run is made once to list
// its calls, then once per call with that one call failing as it plausibly fails on a
// real machine. Each run must end as the program defines, release every handle, touch
// nothing that is not the product's, and trace what the failure-free run traced up to
// the failing call.
#include <algorithm>
#include <cstdio>
#include <set>

#include <winsim/text.h>

#include "common/machine_test.h"
#include "reliability/whole_run.h"
#include "uninstall/sequence.h"

namespace {

// The last two are registered as a link to the Windows directory, which holds a system
// file, and as a link to the vendor's folder, which holds the management product: only
// what the directory is tells it from the product's, so the warning must come however
// the check's own calls fail. The vendor's folder is the last place the check looks at,
// so every read of the check is failed in turn. It is answered No.
// Every run keeps a log, whose summary must agree with the machine.
const NamedSetting kScenarios[] = {
    {"Nt4WholeDirectory", {.logged = true}},
    {"Nt4ListedFiles",
     {.listedFiles = {"TESSORNT.EXE", "VAGENT.EXE", "Bases\\daily.avc", "..\\..\\Outside.txt"}, .logged = true}},
    {"Nt351ProgramManager", {.nt351 = true, .logged = true}},
    {"Nt4UnattendedWithLog", {.unattended = true}},
    {"Nt4WindowsDirectoryThroughALinkDeclined", {.logged = true, .appPath = "C:\\Links\\Windows"}},
    {"Nt4VendorFolderThroughALinkDeclined", {.logged = true, .appPath = "C:\\Links\\Vendor"}},
};

bool Completed(int exitCode) { return exitCode == IDYES || exitCode == kExitItemsLeft; }

bool LogWrittenThrough(const std::string& trace) {
  return trace.find("Log file cannot be") == std::string::npos && trace.find("Log file refused") == std::string::npos;
}

// What is wrong with a completed run's summary against the machine, if anything: the
// files and directories gone must be the ones counted deleted (the removal record among
// them when it could not be scheduled), the other paths scheduled for deletion the ones
// counted scheduled, and each one named as left must still be there, not scheduled, with
// the exit code saying so.
std::string SummaryProblem(const RunRecord& run) {
  const std::string log = winsim::machine().files.ReadFile(kLog).value_or("");
  const std::size_t at = log.find("\nRemoval summary: ");
  if (!Completed(run.exitCode) || !LogWrittenThrough(winsim::machine().debug.Text())) return "";
  unsigned files = 0, directories = 0, scheduled = 0, left = 0;
  if (at == std::string::npos ||
      std::sscanf(log.c_str() + at, "\nRemoval summary: files deleted %u, directories deleted %u, scheduled for "
                                    "deletion at the restart %u, left %u", &files, &directories, &scheduled, &left) != 4) {
    return "a completed run's log without its summary";
  }
  auto key = [](const std::string& path) { return winsim::Upper(path); };
  std::set<std::string> there, pending;
  for (const auto& [item, line] : run.afterRun) {
    if (item.rfind("file ", 0) == 0) {
      there.insert(key(item.substr(5, item.back() == '\\' ? item.size() - 6 : std::string::npos)));
    }
    if (item.rfind("pending ", 0) == 0 && line.find("(delete)") != std::string::npos) pending.insert(key(item.substr(8)));
  }
  unsigned gone[2] = {0, 0};  // files, directories
  std::set<std::string> deleted;
  for (const auto& [item, line] : run.installed) {
    if (item.rfind("file ", 0) != 0 || run.afterRun.count(item)) continue;
    ++gone[item.back() == '\\'];
    deleted.insert(key(item.substr(5, item.back() == '\\' ? item.size() - 6 : std::string::npos)));
  }
  const std::string record = key(winsim::machine().system.windowsDirectory + "\\tvuninst.rec");
  const bool recordWritten = winsim::machine().debug.Text().find("Removal record cannot be written") == std::string::npos;
  if (recordWritten && !there.count(record)) ++gone[0], deleted.insert(record);
  // A path scheduled by the first pass over the directory and deleted by the second counts
  // as deleted.
  unsigned pendingThere = 0;
  for (const std::string& path : pending) pendingThere += !deleted.count(path);
  std::vector<std::string> named;
  for (std::size_t line = log.find("\nLeft: ", at); line != std::string::npos; line = log.find("\nLeft: ", line + 1)) {
    const std::string path = key(log.substr(line + 7, log.find('\n', line + 1) - line - 7));
    if (!there.count(path) || pending.count(path)) return "named as left but gone or scheduled: " + path;
    named.push_back(path);
  }
  if (files != gone[0] || directories != gone[1] || scheduled != pendingThere || left != named.size()) {
    return "a summary unlike the machine: " + log.substr(at + 1, log.find('\n', at + 1) - at - 1) + " against " +
           std::to_string(gone[0]) + " files and " + std::to_string(gone[1]) + " directories gone, " +
           std::to_string(pendingThere) + " scheduled, " + std::to_string(named.size()) + " named";
  }
  return (left > 0) == (run.exitCode == kExitItemsLeft) ? "" : "an exit code unlike the summary";
}

// What is wrong with an unattended run, if anything: a box shown, or a log that is not
// the trace between its first and last line (or, once it could not be written or was
// refused, the start of the trace; none only when it could not be opened).
std::string UnattendedProblem(int exitCode) {
  winsim::Machine& machine = winsim::machine();
  if (!machine.ui.boxes.empty()) return "a box shown: " + machine.ui.boxes[0].text;
  const std::string trace = machine.debug.Text();
  const std::optional<std::string> log = machine.files.ReadFile(kLog);
  if (!log || log->empty()) {
    const bool given = trace.find("Log file cannot be") != std::string::npos ||
                       trace.find("Log file refused") != std::string::npos;
    return given ? "" : "no log";
  }
  const std::size_t firstLineEnd = log->find('\n');
  if (log->rfind("Run of tvuninst.exe 1.0.0.0 on ", 0) != 0 || firstLineEnd == std::string::npos) {
    return "a log without its first line";
  }
  std::string body = log->substr(firstLineEnd + 1);
  const std::string lastLine = "Run ended with exit code " + std::to_string(exitCode) + "\n";
  const bool ended = body.size() >= lastLine.size() && body.substr(body.size() - lastLine.size()) == lastLine;
  if (ended) body.resize(body.size() - lastLine.size());
  // A completed run's summary follows its trace, up to its last line.
  if (const std::size_t summary = body.rfind("Removal summary: ");
      Completed(exitCode) && summary != std::string::npos && (summary == 0 || body[summary - 1] == '\n')) {
    body.resize(summary);
  }
  if (trace.find("Log file cannot be written") != std::string::npos ||
      trace.find("Log file refused") != std::string::npos) {
    return trace.rfind(body, 0) == 0 ? "" : "a log that is not the start of the trace";
  }
  return ended && body == trace ? "" : "a log unlike the trace";
}

class FaultSweepTest : public MachineTest, public ::testing::WithParamInterface<NamedSetting> {};

TEST_P(FaultSweepTest, EverySingleFailureOfEveryCallIsSurvived) {
  const NamedSetting& scenario = GetParam();
  const bool throughLink = !scenario.product.appPath.empty();
  WholeRun whole{.foreign =
                     [] {
                       winsim::machine().files.AddFile("C:\\WINNT\\win.ini", "not the product's");
                       winsim::machine().files.AddJunction("C:\\Links\\Windows", "C:\\WINNT\\");
                       winsim::machine().files.AddJunction("C:\\Links\\Vendor", "C:\\Program Files\\Velmora\\");
                     },
                 .install = [&] { InstallWholeProduct(scenario.product); },
                 .log = kLog};
  if (throughLink) {
    // Told by when it comes (after the check, before the consent prompt), as its text may
    // be lost with the profile.
    whole.answer = [](const winsim::MessageBoxRecord& box) {
      const std::vector<std::string>& pieces = winsim::machine().debug.pieces;
      const bool warning =
          std::find(pieces.begin(), pieces.end(), "Checking if VDAV directory can be removed...\n") != pieces.end() &&
          std::find(pieces.begin(), pieces.end(), "Asking user...\n") == pieces.end();
      return warning ? IDNO : AnswerForRemoval(box.style);
    };
  }
  const RunRecord clean = RunOverInstall(whole);
  // The listed files are not all of the product's: the directory stays.
  ASSERT_EQ(clean.exitCode, throughLink ? kExitDeclined : scenario.product.listedFiles.empty() ? IDYES : kExitItemsLeft);
  ASSERT_EQ(Lines(RunProblems(clean)), "");
  ASSERT_EQ(scenario.product.unattended ? UnattendedProblem(clean.exitCode) : "", "");
  ASSERT_EQ(SummaryProblem(clean), "");
  const std::vector<std::string> calls = machine().faults.Calls();
  const std::vector<std::string> cleanTrace = trace();

  std::size_t swept = 0, survived = 0;
  std::map<std::string, unsigned> seen;
  for (std::size_t call = 0; call < calls.size(); ++call) {
    const std::string& api = calls[call];
    const unsigned occurrence = ++seen[api];
    const std::optional<DWORD> error = winsim::PlausibleError(api);
    if (!error) continue;
    ++swept;
    whole.beforeRun = [&] { machine().faults.FailCall(api, occurrence, *error); };
    const RunRecord run = RunOverInstall(whole);

    std::vector<std::string> problems = RunProblems(run);
    if (machine().faults.injectedInto != api) problems.push_back("the failure was never injected");
    // A completed run ends with its last line, which only a log that cannot be written
    // any more may follow.
    const auto done = std::find(trace().rbegin(), trace().rend(), "The work is done. Quiting...\n");
    if (Completed(run.exitCode) && (done == trace().rend() || (done != trace().rbegin() &&
                                                               (done - 1)->rfind("Log file", 0) != 0))) {
      problems.push_back("a completed run without its last line");
    }
    const auto before = std::count(calls.begin(), calls.begin() + call, "OutputDebugStringA");
    if (trace().size() < static_cast<std::size_t>(before) ||
        !std::equal(cleanTrace.begin(), cleanTrace.begin() + before, trace().begin())) {
      problems.push_back("the trace does not lead up to the failing call");
    }
    // A failure while the profile is read may lose its settings: that run cannot know it
    // is unattended, nor where its log goes.
    const bool settingsRead =
        std::find(cleanTrace.begin(), cleanTrace.begin() + before, "Checking user rights...\n") !=
        cleanTrace.begin() + before;
    if (std::string problem = UnattendedProblem(run.exitCode); scenario.product.unattended && settingsRead && !problem.empty()) {
      problems.push_back(problem);
    }
    if (std::string problem = SummaryProblem(run); settingsRead && !problem.empty()) problems.push_back(problem);
    if (problems.empty()) {
      ++survived;
    } else if (swept - survived <= 20) {
      ADD_FAILURE() << "call " << call + 1 << ", " << api << " #" << occurrence << " failing with " << *error
                    << ":\n" << Lines(problems);
    }
  }
  EXPECT_EQ(survived, swept);
  std::printf("[ sweep    ] %s: %zu calls in the run, %zu swept, %zu runs survived\n", scenario.name,
              calls.size(), swept, survived);
}

INSTANTIATE_TEST_SUITE_P(WholeRuns, FaultSweepTest, ::testing::ValuesIn(kScenarios), NameOf);

}  // namespace
