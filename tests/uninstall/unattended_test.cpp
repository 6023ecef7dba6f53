// Runs with the profile's Unattended, UnattendedStopFailure and LogFile settings: no box,
// the fixed answers with their trace lines, and the log beside the trace.
#include <windows.h>

#include <cstring>
#include <sstream>

#include "common/machine_test.h"
#include "common/product.h"
#include "support/prompts.h"
#include "uninstall/sequence.h"

namespace {

using Lines = std::vector<std::string>;

const char kLog[] = "C:\\Logs\\tvuninst.log";
const char kFirstLine[] =
    "Run of tvuninst.exe 1.0.0.0 on WKS-0417 at 1998-03-17 09:05:30, command line: C:\\WINNT\\tvuninst.exe\n";
const char kCleanSummary[] =
    "Removal summary: files deleted 16, directories deleted 3, scheduled for deletion at the restart 2, left 0\n";
const std::string kRestartLine = std::string(texts::kRestart1) + " " + texts::kRestart2;

class UnattendedTest : public MachineTest {
 protected:
  // Installs the product with these [Settings] lines and runs it; a box fails the test.
  int Run(SampleProduct install, const std::function<void()>& beforeRun = {}) {
    InstallProduct(install);
    machine().files.AddDirectory("C:\\Logs");
    if (beforeRun) beforeRun();
    const int exitCode = RunUninstall("");
    EXPECT_TRUE(machine().ui.boxes.empty());
    return exitCode;
  }
  // The lines of the trace that start with `prefix`, or with `starting` false the others.
  Lines TraceLines(const std::string& prefix, bool starting = true) {
    Lines lines;
    std::istringstream text(machine().debug.Text());
    for (std::string line; std::getline(text, line);) {
      if ((line.rfind(prefix, 0) == 0) == starting) lines.push_back(line);
    }
    return lines;
  }
  std::string Log() { return machine().files.ReadFile(kLog).value_or("(no log)"); }
};

SampleProduct Unattended(SampleProduct install, std::vector<std::string> settings = {}) {
  install.settings = {"Unattended=1", std::string("LogFile=") + kLog};
  install.settings.insert(install.settings.end(), settings.begin(), settings.end());
  return install;
}

// The scenarios unattended-* hold the runs with every part running, a main program
// that will not close (Ignore, Abort) and the Windows directory.
TEST_F(UnattendedTest, EveryQuestionGetsItsFixedAnswerAndEveryTextGoesToTheTrace) {
  struct Case {
    const char* name;
    SampleProduct install;
    std::function<void()> beforeRun;
    int exitCode;
    Lines answers;
  };
  const Case cases[] = {
      {"the SNMP agent's DLL missing", Unattended({.withSnmp = true}),
       [] { winsim::machine().files.Remove(*winsim::machine().files.Lookup(
                "C:\\Program Files\\Varden\\Anti-Virus\\vlalag32.dll")); },
       IDYES,
       {"Unattended: removal prompt answered Yes.", "Unattended: SNMP agent prompt answered Yes.",
        "Unattended: message not shown: No such file or directory",
        std::string("Unattended: message not shown: ") + texts::kSnmpCannot,
        "Unattended: message not shown: " + kRestartLine}},
      {"NT 3.51", Unattended({}), [] { winsim::machine().system.majorVersion = 3; }, IDYES,
       {"Unattended: removal prompt answered Yes.", std::string("Unattended: message not shown: ") + texts::kFinish}},
      {"not installed", Unattended({.appPathsEntry = false}), nullptr, kExitNoProductDirectory,
       {std::string("Unattended: message not shown: ") + texts::kCouldNotFindPath}},
      {"no rights", Unattended({}), [] { winsim::machine().services.deniedAccess = SC_MANAGER_LOCK; },
       kExitNoRights, {std::string("Unattended: message not shown: ") + texts::kNoModifyRights}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    winsim::Reset();
    std::string beforeRun;
    const int exitCode = Run(c.install, [&] {
      if (c.beforeRun) c.beforeRun();
      beforeRun = machine().Snapshot();
    });
    EXPECT_EQ(exitCode, c.exitCode);
    EXPECT_EQ(TraceLines("Unattended: "), c.answers);
    if (exitCode != IDYES) {  // nothing changed but the log
      ASSERT_TRUE(machine().files.Exists(kLog));
      machine().files.Remove(*machine().files.Lookup(kLog));
      EXPECT_EQ(machine().Snapshot(), beforeRun);
    }
  }
}

TEST_F(UnattendedTest, TheLogIsTheTraceBetweenAFirstAndALastLineAndRunsAppend) {
  InstallProduct({.settings = {std::string("LogFile=") + kLog}});
  machine().files.AddFile(kLog, "an earlier run\n");
  RunConsentedUninstall();  // an interactive run keeps a log too
  const std::string trace = machine().debug.Text();
  EXPECT_EQ(Log(), "an earlier run\n" + std::string(kFirstLine) + trace + kCleanSummary + "Run ended with exit code 6\n");
  EXPECT_EQ(TraceLines("Log file: "), Lines{std::string("Log file: ") + kLog});

  // A second run, unattended, on a machine where the product is not registered (and,
  // after the restart, nothing is left to finish).
  machine().Restart();
  const std::string firstRun = Log();
  machine().files.AddFile(kProfile,
                          std::string("[Settings]\r\nUnattended=1\r\nLogFile=") + kLog + "\r\n");
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths");
  machine().system.commandLine = "tvuninst.exe /again";
  machine().system.computerName = "ACCOUNTING-0417";  // the longest name the system gives
  machine().system.localTime = {1998, 10, 6, 31, 10, 10, 10, 0};
  machine().debug.pieces.clear();
  EXPECT_EQ(RunUninstall(""), kExitNoProductDirectory);
  EXPECT_EQ(Log(), firstRun + "Run of tvuninst.exe 1.0.0.0 on ACCOUNTING-0417 at 1998-10-31 10:10:10, command line: "
                              "tvuninst.exe /again\n" + machine().debug.Text() + "Run ended with exit code -1\n");
}

// What can be neither deleted nor scheduled (the session manager's list cannot be written)
// is named in the trace and in the log's summary, and the run ends with a code of its own.
TEST_F(UnattendedTest, WhatIsLeftForGoodIsNamedAndTheRunEndsWithItsOwnCode) {
  const std::string directory = SampleProduct().directory, held = directory + "\\TESSORNT.EXE";
  EXPECT_EQ(Run(Unattended({}), [&] {
              machine().files.HoldOpen(held);
              machine().registry.DenyAccess(HKEY_LOCAL_MACHINE, winsim::kSessionManagerKey, KEY_SET_VALUE);
            }),
            kExitItemsLeft);
  const std::string tvuninst = "C:\\WINNT\\tvuninst.exe";
  // The file in use is tried by both passes over the directory.
  EXPECT_EQ(TraceLines("Left for good, neither deleted nor scheduled for the restart: "),
            (Lines{"Left for good, neither deleted nor scheduled for the restart: " + held,
                   "Left for good, neither deleted nor scheduled for the restart: " + held,
                   "Left for good, neither deleted nor scheduled for the restart: " + directory,
                   "Left for good, neither deleted nor scheduled for the restart: " + tvuninst}));
  // The removal record, which cannot wait for the restart either, goes at once.
  EXPECT_NE(Log().find("Removal summary: files deleted 16, directories deleted 2, scheduled for deletion at the "
                       "restart 0, left 3\nLeft: " + directory + "\nLeft: " + held + "\nLeft: " + tvuninst +
                       "\nRun ended with exit code 4\n"),
            std::string::npos);
  EXPECT_TRUE(machine().files.Exists(held) && machine().Pending().empty());
}

// A system message comes with its own line end; a text's lines are joined with blanks.
TEST_F(UnattendedTest, ATextNotShownIsTracedAsOneLine) {
  ProfileTexts profile;
  profile.unattended = true;
  Prompts(profile).Tell("Access is denied.\r\nTry again.\r\n");
  EXPECT_EQ(trace(), (Lines{"Unattended: message not shown: ", "Access is denied. Try again.", "\n"}));
}

TEST_F(UnattendedTest, ALogThatCannotBeOpenedOrWrittenChangesNothingInTheRun) {
  // The run and the machine without a log, for comparison.
  InstallProduct();
  StartProductRunning();
  RunConsentedUninstall();
  machine().Restart();  // the removal record, which names the log, goes
  const std::string withoutLog = machine().Snapshot();
  const Lines traceWithoutLog = TraceLines("Log file", false);

  struct Case {
    const char* name;
    std::function<void()> arm;
    const char* traced;
  };
  const Case cases[] = {
      {"its folder missing", [] { winsim::machine().files.Remove(*winsim::machine().files.Lookup("C:\\Logs")); },
       "Log file cannot be opened, the run goes on without it: "},
      {"a read-only file", [] { winsim::machine().files.SetAttributes(kLog, FILE_ATTRIBUTE_READONLY); },
       "Log file cannot be opened, the run goes on without it: "},
      {"the disk full at its first line",
       [] { winsim::machine().faults.FailCall("WriteFile", 1, ERROR_DISK_FULL); },
       "Log file cannot be written, the run goes on without it: "},
      {"the disk full half way",
       [] { winsim::machine().faults.FailCall("FlushFileBuffers", 10, ERROR_DISK_FULL); },
       "Log file cannot be written, the run goes on without it: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    winsim::Reset();
    InstallProduct({.settings = {std::string("LogFile=") + kLog}});
    StartProductRunning();
    machine().files.AddFile(kLog, "kept");
    c.arm();
    EXPECT_EQ(RunConsentedUninstall(), IDYES);
    EXPECT_EQ(TraceLines("Log file", false), traceWithoutLog);
    Lines logLines = TraceLines("Log file");  // the failure, after the log's name when it was opened
    std::erase(logLines, std::string("Log file: ") + kLog);
    EXPECT_EQ(logLines, Lines{c.traced + std::string(kLog)});
    if (machine().files.Exists(kLog)) machine().files.Remove(*machine().files.Lookup(kLog));
    if (machine().files.Exists("C:\\Logs")) machine().files.Remove(*machine().files.Lookup("C:\\Logs"));
    machine().Restart();
    EXPECT_EQ(machine().Snapshot(), withoutLog);
  }
}

// A log in what the run removes is refused before the first change, in any spelling of
// it; one that cannot be placed safely is refused as the run starts. A driver file as the
// log is the scenario unattended-log-named-like-driver-file.
TEST_F(UnattendedTest, ALogInWhatTheRunRemovesIsRefused) {
  struct Case {
    std::string path;
    bool refused;
  };
  const std::string directory = "C:\\Program Files\\Varden\\Anti-Virus";
  const Case cases[] = {
      {directory + "\\uninstall.log", true},
      {"c:/program files/varden/ANTI-VIRUS/Reports/uninstall.log", true},
      {"C:\\PROGRA~1\\Varden\\ANTI-V~1\\uninstall.log", true},
      {"C:\\PROGRA~1\\Varden\\ANTI-V~1\\Reports\\uninstall.log", true},
      {directory + "2\\uninstall.log", false},
      {directory + "\\..\\uninstall.log", false},
      {"C:\\Links\\Product\\uninstall.log", true},  // a junction to the product directory
      {"C:\\WINNT\\tvsetup.log", true},
      {"uninstall.log", true},  // relative: wherever the program was started
      // Cut to 259 characters it would name another file, so it is not cut.
      {"C:\\Logs\\" + std::string(250, 'x') + std::string(20, 'y'), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    winsim::Reset();
    machine().files.AddDirectory(directory + "2");
    InstallProduct({.settings = {"Unattended=1", "LogFile=" + c.path}});
    machine().files.SetShortName("C:\\Program Files", "PROGRA~1");
    machine().files.SetShortName(directory, "ANTI-V~1");
    machine().files.AddJunction("C:\\Links\\Product", directory + "\\");
    const std::string firstCharacters = "C:\\Logs\\" + std::string(250, 'x') + "y";
    machine().files.AddFile(firstCharacters, "kept");
    EXPECT_EQ(RunUninstall(""), IDYES);
    EXPECT_EQ(machine().files.ReadFile(firstCharacters), "kept");
    EXPECT_EQ(TraceLines("Log file refused").size(), c.refused ? 1u : 0u);
    EXPECT_FALSE(machine().files.Exists(directory));
  }
}

TEST_F(UnattendedTest, ARunCutOffHalfWayKeepsItsLogUpToTheStepItWasIn) {
  struct PowerFailure {};
  InstallProduct(Unattended({}));
  StartProductRunning();
  machine().files.AddDirectory("C:\\Logs");
  // The power fails as the Install Shield uninstaller is started: what the system had
  // only in its cache is lost.
  machine().faults.BeforeCall("CreateProcessA", 1, [] { throw PowerFailure(); });
  EXPECT_THROW(RunUninstall(""), PowerFailure);
  machine().files.LosePower();
  EXPECT_EQ(Log(), kFirstLine + machine().debug.Text());
  EXPECT_EQ(trace().back(), "Launch Install Shield's uninst.exe...\n");
}

// The lines before a long wait are on the disk while it lasts: a power failure while the
// management product's uninstaller runs keeps the line that names it.
TEST_F(UnattendedTest, ALineBeforeAWaitForAChildProgramIsLasting) {
  struct PowerFailure {};
  InstallProduct(Unattended({.withManager = true}));
  machine().files.AddDirectory("C:\\Logs");
  machine().faults.BeforeCall("WaitForSingleObject", 2, [] { throw PowerFailure(); });
  EXPECT_THROW(RunUninstall(""), PowerFailure);
  machine().files.LosePower();
  EXPECT_EQ(machine().processes.launches.back().commandLine, "vduninst.exe UNINSTALL");
  EXPECT_EQ(Log(), kFirstLine + machine().debug.Text());
}

// No box of the system's either: a drive without a medium holding the log or the product
// directory, or a device named as the log.
TEST_F(UnattendedTest, NothingStopsTheRunToAskForADiskOrWritesTheLogToADevice) {
  struct Case {
    const char* log;
    const char* productDirectory;  // as registered; none: the product's own
    int exitCode;
    const char* traced;
  };
  for (const Case& c : {Case{"A:\\tvuninst.log", nullptr, IDYES, "Log file cannot be opened"},
                        Case{"C:\\Logs\\COM1", nullptr, IDYES, "Log file refused, it is not a file on a disk"},
                        Case{"C:\\Logs\\nul.log", nullptr, IDYES, "Log file refused, it is not a file on a disk"},
                        Case{kLog, "A:\\Varden", kExitDeclined, "Unattended: directory warning answered No."}}) {
    SCOPED_TRACE(c.log);
    winsim::Reset();
    machine().files.AddDriveWithoutMedium('A');
    SampleProduct install{.settings = {"Unattended=1", std::string("LogFile=") + c.log}};
    if (c.productDirectory) install.appPath = c.productDirectory;
    EXPECT_EQ(Run(install), c.exitCode);
    EXPECT_EQ(TraceLines(c.traced).size(), 1u);
  }
}

// Lines are made lasting at the start of each step and a quarter of a second apart
// within one, not one by one: a power loss takes at most the last quarter second.
TEST_F(UnattendedTest, TheLogIsFlushedPerStepAndPerQuarterSecond) {
  struct PowerFailure {};
  constexpr unsigned kFiles = 2000, kMillisecondsEach = 2, kCut = 1000;
  SampleProduct install = Unattended({.wholeDirectoryRemoval = false});
  for (unsigned i = 0; i < kFiles; ++i) install.listedFiles.push_back("f" + std::to_string(i));
  for (bool cut : {false, true}) {
    winsim::Reset();
    InstallProduct(install);
    machine().files.AddDirectory("C:\\Logs");
    const unsigned before = machine().faults.CallCount("DeleteFileA");
    for (unsigned i = 1; i <= kFiles; ++i) {
      machine().faults.BeforeCall("DeleteFileA", before + i, [cut, i] {
        if (cut && i == kCut) throw PowerFailure();
        winsim::machine().clock.Advance(kMillisecondsEach);
      });
    }
    const std::uint64_t start = machine().clock.Now();
    if (!cut) {
      EXPECT_EQ(RunUninstall(""), kExitItemsLeft);  // the unlisted files keep the directory
      const std::uint64_t elapsed = machine().clock.Now() - start;
      EXPECT_LE(machine().faults.CallCount("FlushFileBuffers"), 40 + elapsed / 250);
      const std::string log = Log(), lastLine = "Run ended with exit code 4\n";
      EXPECT_EQ(log.rfind(kFirstLine + machine().debug.Text() + "Removal summary: ", 0), 0u);
      EXPECT_EQ(log.substr(log.size() - lastLine.size()), lastLine);
      continue;
    }
    EXPECT_THROW(RunUninstall(""), PowerFailure);
    machine().files.LosePower();
    const std::string lastKept = "\\f" + std::to_string(kCut - 1 - 250 / kMillisecondsEach) + "\n";
    EXPECT_NE(Log().find(lastKept), std::string::npos);
    EXPECT_EQ(machine().debug.Text().rfind(Log().substr(std::strlen(kFirstLine)), 0), 0u);
  }
}

}  // namespace
