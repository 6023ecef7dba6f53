// Whole runs of the uninstaller on a machine with the product installed. The trace,
// the prompts and what a run removes are also checked word for word by the scenarios
// (e2e/scenarios) on this machine; these tests hold what a scenario cannot state.
#include "uninstall/sequence.h"

#include <windows.h>

#include "common/machine_test.h"
#include "common/product.h"
#include "uninstall/removal_record.h"

namespace {

using Trace = std::vector<std::string>;
using keys::kAppPaths;

const char kExtensions[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Extensions";
const std::string kDirectory = SampleProduct().directory;

class SequenceTest : public MachineTest {
 protected:
  // A fresh machine with the product installed.
  void Install(const SampleProduct& product = {}) {
    winsim::Reset();
    InstallProduct(product);
  }

  bool TracedLine(const std::string& line) { return Traced({line}); }

  std::vector<std::string> Scheduled() {
    std::vector<std::string> paths;
    for (const winsim::PendingMove& move : machine().Pending()) paths.push_back(move.from);
    return paths;
  }
};

TEST_F(SequenceTest, FullUninstallOnNt4PassesTheTailOnAndLeavesOnlyItsOwnFileForTheRestart) {
  Install();
  // An event-log source without its service, as a run cut off between the two leaves it.
  const char eventSource[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Tessor Anti-Virus Service";
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, eventSource);
  // On NT 4 the program leaves the application keys to the Install Shield uninstaller.
  const char* const applicationKeys[] = {keys::kAppPaths, keys::kProductKey, keys::kUninstallEntry};
  int keysLeftToIt = 0;
  machine().processes.Script("C:\\WINNT\\uninst.exe", {[&](const winsim::Launch& launch) {
    for (const char* key : applicationKeys) keysLeftToIt += machine().registry.KeyExists(HKEY_LOCAL_MACHINE, key);
    RunInstallShieldUninstallerStandIn(launch.commandLine);
  }});
  const std::string tail = " extra " + std::string(10000, 't');  // no bound of its own
  machine().ui.Answer(IDYES);
  machine().ui.Answer(IDOK);
  EXPECT_EQ(RunUninstall(tail.c_str()), IDYES);

  for (const auto& box : machine().ui.boxes) EXPECT_EQ(box.owner, nullptr);
  // The Install Shield uninstaller from the Windows directory, with the tail, waited for.
  const auto& launches = machine().processes.launches;
  ASSERT_EQ(launches.size(), 1u);
  ExpectStartedAndWaitedFor(launches[0], "C:\\WINNT\\uninst.exe", "uninst.exe -y -f" + tail);

  EXPECT_EQ(keysLeftToIt, 2);  // the product key, without subkeys, went with the SNMP step's walk
  EXPECT_FALSE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, eventSource));
  EXPECT_EQ(Scheduled(), (Trace{"C:\\WINNT\\tvuninst.exe", "C:\\WINNT\\tvuninst.rec"}));
  EXPECT_FALSE(machine().Pending()[0].to);
  EXPECT_EQ(machine().clock.sleeps, (std::vector<DWORD>{1000, 2000, 1000}));
  EXPECT_EQ(machine().ui.cursorHistory, (std::vector<int>{32514, 32512}));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

// No to the consent prompt, or to the warning about a dangerous directory, or a box
// that cannot be shown (0): nothing changes. The warning comes first and shows the
// directory as the system resolves it.
TEST_F(SequenceTest, DecliningOrABoxThatCannotBeShownChangesNothing) {
  struct Case {
    const char* registered;  // nullptr: the product's own directory, no warning
    std::string shown;
  };
  for (int answer : {IDNO, 0}) {
    for (const Case& c : {Case{nullptr, ""}, Case{"c:/winnt/system32\\..\\", "c:\\winnt"}, Case{"D:", "D:"}}) {
      const std::string what = std::string(c.registered ? c.registered : "product") + " " + std::to_string(answer);
      Install();
      machine().files.AddFile("D:\\data\\keep.txt");
      if (c.registered) machine().registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Path", c.registered);
      const std::string before = machine().Snapshot();
      machine().ui.Answer(answer);
      EXPECT_EQ(RunUninstall(""), kExitDeclined) << what;
      EXPECT_EQ(machine().Snapshot(), before) << what;
      EXPECT_TRUE(machine().processes.launches.empty()) << what;
      ASSERT_EQ(machine().ui.boxes.size(), 1u) << what;
      const winsim::MessageBoxRecord& box = machine().ui.boxes[0];
      EXPECT_EQ(box.style, static_cast<UINT>(MB_YESNO)) << what;
      if (c.registered) {
        EXPECT_EQ(box.text, std::string(texts::kWarnDir1) + " " + c.shown + "\\\n" + texts::kWarnDir2 + "\n" +
                                texts::kWarnDir3)
            << what;
      }
    }
  }
}

// Yes to the warning removes what lies in the root, but the root itself is never
// scheduled, and whatever is scheduled is a full path.
TEST_F(SequenceTest, AWarnedDirectoryIsNeverScheduledAndWhatIsScheduledIsAFullPath) {
  Install();
  machine().files.AddFile("D:\\first.txt");  // a root lists no "." entry: the first one stays
  machine().files.AddFile("D:\\data\\held.txt");
  machine().files.HoldOpen("D:\\data\\held.txt");
  machine().registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Path", "D:/");
  machine().ui.Answer(IDYES);  // the warning
  EXPECT_EQ(RunConsentedUninstall(), IDYES);
  const std::vector<std::string> scheduled = Scheduled();
  EXPECT_GT(std::count(scheduled.begin(), scheduled.end(), "D:\\data\\held.txt"), 0);  // by both passes
  EXPECT_GT(std::count(scheduled.begin(), scheduled.end(), "D:\\data"), 0);
  for (const std::string& path : scheduled) EXPECT_TRUE(path.size() > 3 && path.substr(1, 2) == ":\\") << path;
}

// The directory checked is the one removed and scheduled: no step spells it anew.
TEST_F(SequenceTest, AnOrdinaryDirectoryInAnySpellingIsRemovedExactly) {
  Install();
  machine().files.AddFile("C:\\Program Files\\Varden\\Anti-Virus2\\keep.txt");
  machine().files.HoldOpen(kDirectory + "\\TESSORNT.EXE");
  machine().registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Path", "c:\\program files\\varden\\.\\anti-virus\\.");
  EXPECT_EQ(RunConsentedUninstall(), IDYES);
  EXPECT_EQ(machine().ui.boxes.size(), 2u);  // no warning
  EXPECT_EQ(machine().files.List(kDirectory), std::vector<std::string>{"TESSORNT.EXE"});
  EXPECT_TRUE(machine().files.Exists("C:\\Program Files\\Varden\\Anti-Virus2\\keep.txt"));
  machine().Restart();
  EXPECT_FALSE(machine().files.Exists(kDirectory));
}

// "Path" first (the setup's entry, with the program's path as its first value, is every
// scenario's), else the value at index 0 whatever its name and type; none at all, an
// empty one, 260 bytes without a terminator, or a key that cannot be read: not installed,
// nothing changes.
TEST_F(SequenceTest, ProductDirectoryIsPathOrElseTheFirstValue) {
  using Values = std::vector<std::pair<const char*, std::string>>;
  for (const Values& values : {Values{{"Path", "D:\\Tools\\Varden;C:\\Other"}},
                               Values{{"", "D:\\Tools\\Varden"}, {"Other", "C:\\Other"}}}) {
    Install();
    machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
    for (const auto& [name, data] : values)
      machine().registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, name, data, REG_EXPAND_SZ);
    machine().files.AddFile("D:\\Tools\\Varden\\TESSORNT.EXE");
    machine().files.AddFile("C:\\Other\\keep.txt");
    EXPECT_EQ(RunConsentedUninstall(), IDYES) << values[0].second;
    EXPECT_FALSE(machine().files.Exists("D:\\Tools\\Varden")) << values[0].second;
    EXPECT_TRUE(machine().files.Exists("D:\\Tools"));
    EXPECT_TRUE(machine().files.Exists("C:\\Other\\keep.txt"));
  }
  for (int variant = 0; variant < 5; ++variant) {
    Install();
    winsim::Registry& registry = machine().registry;
    if (variant < 4) registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
    if (variant == 4) registry.DenyAccess(HKEY_LOCAL_MACHINE, kAppPaths, KEY_QUERY_VALUE);
    if (variant == 1) registry.CreateKey(HKEY_LOCAL_MACHINE, kAppPaths);  // the key without values
    if (variant == 2) registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Path", "");
    // 260 bytes without a terminator: cut by one character it would name C:\Data1.
    std::string cut = "C:\\Data1";
    while (cut.size() < 258) cut += "\\.";
    cut += "\\V";
    machine().files.AddFile("C:\\Data1\\keep.txt");
    if (variant == 3) registry.SetValue(HKEY_LOCAL_MACHINE, kAppPaths, "Path", REG_SZ, {cut.begin(), cut.end()});
    const std::string before = machine().Snapshot();
    machine().ui.Answer(IDOK);
    EXPECT_EQ(RunUninstall(""), kExitNoProductDirectory) << variant;
    ASSERT_EQ(machine().ui.boxes.size(), 1u);
    EXPECT_EQ(machine().ui.boxes[0].text, texts::kCouldNotFindPath);
    EXPECT_EQ(machine().ui.boxes[0].style, static_cast<UINT>(MB_OK));
    EXPECT_EQ(machine().Snapshot(), before);
    EXPECT_EQ(TracedLine("VDAV Path refused, it is too long.\n"), variant == 3);
    EXPECT_EQ(TracedLine("VDAV Path cannot be read.\n"), variant == 4);
  }
  // A shorter unterminated value is read within its buffer: an ordinary directory.
  Install();
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
  const std::string directory = "C:\\Unterminated";
  machine().registry.SetValue(HKEY_LOCAL_MACHINE, kAppPaths, "Path", REG_SZ,
                              std::vector<BYTE>(directory.begin(), directory.end()));
  machine().ui.Answer(IDNO);
  RunUninstall("");
  EXPECT_EQ(trace().back(), "Asking user...\n");
}

// NT 3.x (also when the version cannot be read) has no Install Shield uninstaller: the
// program removes the application keys (as the scenario nt351-uninstall shows) and only
// its own document extension from the shared Extensions key, then shows the finish text.
TEST_F(SequenceTest, Nt3RemovesApplicationKeysAndOnlyItsOwnExtension) {
  struct Case {
    const char* tsx;  // the "tsx" extension's command
    bool goes;
  };
  for (const Case& c : {Case{"C:\\Program Files\\Varden\\Anti-Virus\\TESSORNT.EXE ^.tsx", true},
                        Case{"c:\\program files\\varden\\anti-virus\\tessornt.exe ^.tsx", true},
                        Case{"C:\\Other\\viewer.exe ^.tsx", false},
                        Case{"C:\\Program Files\\Varden\\Anti-Virus2\\x.exe ^.tsx", false}}) {
    for (bool versionFails : {false, true}) {
      Install();
      machine().system.majorVersion = 3;
      machine().system.minorVersion = 51;
      machine().system.versionFails = versionFails;
      machine().registry.SetString(HKEY_LOCAL_MACHINE, kExtensions, "tsx", c.tsx);
      machine().registry.SetString(HKEY_LOCAL_MACHINE, kExtensions, "txt", "C:\\WINNT\\notepad.exe ^.txt");
      EXPECT_EQ(RunConsentedUninstall(), IDYES);

      EXPECT_TRUE(machine().processes.launches.empty());
      EXPECT_EQ(machine().ui.boxes.back().text, texts::kFinish);
      EXPECT_EQ(machine().registry.ValueNames(HKEY_LOCAL_MACHINE, kExtensions),
                (c.goes ? Trace{"txt"} : Trace{"tsx", "txt"}))
          << c.tsx;
    }
  }
}

TEST_F(SequenceTest, RunWithoutProfileShowsEmptyTexts) {
  Install({.withProfile = false});
  EXPECT_EQ(RunConsentedUninstall(), IDYES);
  ASSERT_EQ(machine().ui.boxes.size(), 2u);
  EXPECT_EQ(machine().ui.boxes[0].text, "");
  EXPECT_EQ(machine().ui.boxes[0].caption, "");
  EXPECT_EQ(machine().ui.boxes[1].text, "\n");  // the restart text of two empty parts
  EXPECT_EQ(trace()[4], "TRUE");
}

// The driver files: a file in use waits for the restart, a read-only one goes at once
// (the restart could not delete it); without a registered common directory none is
// touched (a bare "\vdwd.sys" names the current drive's root); a registered one that is
// missing has nothing to schedule. A read-only supplementary file goes too.
TEST_F(SequenceTest, DriverFilesGoOnlyFromTheRegisteredCommonDirectory) {
  const std::string driver = std::string(keys::kCommonDirectory) + "\\vdwd.sys";
  const std::string readOnly = std::string(keys::kCommonDirectory) + "\\vdrec.sys";
  Install();
  machine().files.HoldOpen(driver);
  for (const std::string& file : {readOnly, std::string("C:\\WINNT\\tessorw.cfg")})
    machine().files.SetAttributes(file, FILE_ATTRIBUTE_READONLY);
  RunConsentedUninstall();
  EXPECT_EQ(Scheduled(), (Trace{driver, "C:\\WINNT\\tvuninst.exe", "C:\\WINNT\\tvuninst.rec"}));
  EXPECT_FALSE(machine().files.Exists(readOnly) || machine().files.Exists("C:\\WINNT\\tessorw.cfg"));

  Install();
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Common\\Paths");
  machine().files.AddFile("C:\\vdwd.sys", "not the product's");
  RunConsentedUninstall();
  EXPECT_TRUE(machine().files.Exists("C:\\vdwd.sys"));
  EXPECT_EQ(machine().files.List(keys::kCommonDirectory).size(), 6u);
  EXPECT_TRUE(TracedLine("Common directory not found, WD driver files left in place.\n"));
  EXPECT_FALSE(TracedLine("Removing file: "));

  Install();
  machine().registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Common\\Paths", "Common", "C:\\Gone");
  RunConsentedUninstall();
  EXPECT_TRUE(Traced({"Removing file: ", "C:\\Gone\\vdwd.sys", "\n"}));
  EXPECT_EQ(Scheduled(), (Trace{"C:\\WINNT\\tvuninst.exe", "C:\\WINNT\\tvuninst.rec"}));

  // A path of 259 characters is used; one of 260 is skipped with a trace line.
  Install();
  const std::string deep = "C:\\" + std::string(247, 'c');
  machine().registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Common\\Paths", "Common", deep);
  RunConsentedUninstall();
  EXPECT_TRUE(Traced({"Removing file: ", deep + "\\vdwd.sys", "\n"}));
  EXPECT_TRUE(Traced({"Path too long, file skipped: ", deep + "\\vdrec.sys", "\n"}));
}

// The SNMP step asks only where the SNMP service and the product's agent are both there.
TEST_F(SequenceTest, TheSnmpStepAsksOnlyWhenTheServiceAndTheAgentAreThere) {
  for (bool serviceThere : {false, true}) {
    Install({.withSnmp = serviceThere});
    if (serviceThere) {
      machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, keys::kAgentKey);
    } else {
      machine().registry.CreateKey(HKEY_LOCAL_MACHINE, keys::kAgentKey);
    }
    EXPECT_EQ(RunConsentedUninstall(), IDYES) << serviceThere;
    EXPECT_FALSE(TracedLine("Uninstalling SNMP Agent...\n")) << serviceThere;
    EXPECT_EQ(machine().ui.boxes.size(), 2u) << serviceThere;
  }
}

// Abort at a main program that will not close: the cursor is the arrow again.
// An aborted run leaves no removal record of its own, but keeps the one of a cut-off
// removal that it resumed: that removal is still to be finished.
TEST_F(SequenceTest, AbortAtAStubbornMainProgramRestoresTheCursor) {
  for (const bool resumed : {false, true}) {
    Install();
    if (resumed) WriteRemovalRecord("C:\\WINNT\\tvuninst.rec", kDirectory, ProfileTexts(), {});
    machine().desktop.StartProgram("VFW_MainWindow", std::nullopt);
    machine().ui.Answer(IDYES);
    machine().ui.Answer(IDABORT);
    EXPECT_EQ(RunUninstall(""), kExitAborted);
    EXPECT_EQ(machine().ui.cursor, 32512);
    EXPECT_EQ(machine().files.Exists("C:\\WINNT\\tvuninst.rec"), resumed);
  }
}

}  // namespace

// A second copy started while the first waits for the Install Shield uninstaller changes
// nothing and asks nothing: the first goes on with its own record and its own boxes.
TEST_F(SequenceTest, ASecondCopyEndsAtOnceWhileTheFirstRuns) {
  Install();
  int secondExit = 0;
  std::size_t boxesBefore = 0;
  std::string recordBefore;
  machine().processes.Script("C:\\WINNT\\uninst.exe", {[&](const winsim::Launch& launch) {
    boxesBefore = machine().ui.boxes.size();
    recordBefore = machine().Snapshot();
    secondExit = RunUninstall("");
    EXPECT_EQ(machine().Snapshot(), recordBefore);
    EXPECT_EQ(machine().ui.boxes.size(), boxesBefore);
    RunInstallShieldUninstallerStandIn(launch.commandLine);
  }});
  EXPECT_EQ(RunConsentedUninstall(), IDYES);
  EXPECT_EQ(secondExit, kExitAnotherRun);
  EXPECT_EQ(std::count(trace().begin(), trace().end(), "Another run of the uninstaller is in progress, this one ends.\n"), 1);
  EXPECT_FALSE(machine().files.Exists(kDirectory));
  EXPECT_TRUE(machine().files.Exists("C:\\WINNT\\tvuninst.rec"));  // until the restart
}
