// Whole runs of the uninstaller on a machine with the product installed.
#include "uninstall/sequence.h"

#include <windows.h>

#include "common/machine_test.h"
#include "common/product.h"

namespace {

using Trace = std::vector<std::string>;

Trace operator+(Trace a, const Trace& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TESSORNT.EXE";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varden Anti-Virus";

class SequenceTest : public MachineTest {
 protected:
  void Install(ProductInstall options = {}) {
    install = options;
    InstallProduct(machine(), install);
  }
  int Run(const char* tail = "") { return RunUninstall(tail); }

  // The trace up to the consent prompt, for a profile with whole-directory removal on.
  static Trace Preamble(bool nt3 = false) {
    Trace start{"Checking OS version...\n", nt3 ? "NT OS version is 3.x...\n" : "NT OS version is 4.x...\n",
                "Reading profile settings...\n", "EnableWholeDir= ", "TRUE", "\n"};
    if (nt3) start = start + Trace{"Startup group name: ", "Startup", "\n"};
    return start + Trace{"Checking user rights...\n", "Retrieving VDAV Path from registry...\n",
                         "Checking if VDAV directory can be removed...\n"};
  }

  Trace DriverFiles() const {
    Trace lines{"Remove WD driver files...\n", "Retrieving common directory...\n",
                "Retrieving common directory...\n"};
    for (const char* name : {"vdwd.sys", "vdfilter.sys", "vdrec.sys", "vdwd.400", "vdfilter.400",
                             "vdrec.400", "vdwd.351", "vdfilter.351", "vdrec.351", "vdwd.350",
                             "vdfilter.350", "vdrec.350"}) {
      lines = lines + Trace{"Removing file: ", install.commonDirectory + "\\" + name, "\n"};
    }
    return lines;
  }

  ProductInstall install;
};

TEST_F(SequenceTest, FullUninstallOnNt4AnsweredYes) {
  Install();
  machine().ui.Answer(IDYES);  // removal prompt
  machine().ui.Answer(IDOK);   // restart text

  EXPECT_EQ(Run(" extra args"), IDYES);

  Trace expected = Preamble() + Trace{
      "Asking user...\n",
      "Set cursor to wait state...\n",
      "Checking if VD Manager is installed...\n",
      "VDMGR is not installed...\n",
      "Check whether is there any WD dependencies....\n",
      "Checking service dependencies for: ", "Varden Wardel", "\n",
      "Open service manager...\n",
      "Open service...\n",
      "Can't open service\n",
      "Service doesn't have dependencies else VDAV's\n",
      "Killing VDAV active parts running...\n",
      "Checking if VAgent Service is installed...\n",
      "Removing Tessor/mirel services...\n",
      "Searching for service: ", "Varden Tessor", "\n",
      "Service was not foundn",
      "Searching for service: ", "Varden Mirel", "\n",
      "Service was not foundn",
      "Removing VDAV registry keys...\n",
      "Removing WD registry keys...\n",
      "Checking if SNMP is installed...\n",
      "Launch Install Shield's uninst.exe...\n",
      "Removing additional VDAV registry settings...\n",
      "Removing the whole VDAV directory...\n",
  } + DriverFiles() + Trace{
      "Remove VDAV supplimentary files...\n",
      "Mark tvuinst.exe to remove at next startup...\n",
      "The work is done. Quiting...\n",
  };
  EXPECT_EQ(trace(), expected);

  // The prompts: consent, then the restart text, each under the caption with no owner.
  const auto& boxes = machine().ui.boxes;
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, texts::kRemovePrompt);
  EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(boxes[1].text, std::string(texts::kRestart1) + "\n" + texts::kRestart2);
  EXPECT_EQ(boxes[1].style, static_cast<UINT>(MB_OK));
  for (const auto& box : boxes) {
    EXPECT_EQ(box.caption, texts::kCaption);
    EXPECT_EQ(box.owner, nullptr);
  }

  // Every registry entry of the product's tables is gone; the application keys are left
  // to the Install Shield uninstaller on NT 4.
  winsim::Registry& registry = machine().registry;
  for (const RegistryItem& item : ProductRegistryItems()) {
    if (item.value.empty()) {
      EXPECT_FALSE(registry.KeyExists(item.root, item.key)) << item.key;
    } else {
      EXPECT_FALSE(registry.Value(item.root, item.key, item.value)) << item.value;
    }
  }
  for (const char* key : {"SYSTEM\\CurrentControlSet\\Services\\Varden Tessor",
                          "SYSTEM\\CurrentControlSet\\Services\\Varden Wardel"}) {
    EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
  }
  EXPECT_FALSE(registry.KeyExists(HKEY_CLASSES_ROOT, "TESSOR"));
  EXPECT_FALSE(registry.KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}"));
  EXPECT_TRUE(registry.KeyExists(HKEY_LOCAL_MACHINE, kAppPaths));
  EXPECT_TRUE(registry.KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

  // The Install Shield uninstaller from the Windows directory, with the tail, waited for.
  const auto& launches = machine().processes.launches;
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].application, "C:\\WINNT\\uninst.exe");
  EXPECT_EQ(launches[0].commandLine, "uninst.exe -y -f extra args");
  EXPECT_EQ(launches[0].creationFlags, static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
  EXPECT_FALSE(launches[0].inheritHandles);
  EXPECT_TRUE(launches[0].ownEnvironment && launches[0].ownCurrentDirectory);
  EXPECT_EQ(launches[0].startupSize, sizeof(STARTUPINFOA));
  EXPECT_EQ(launches[0].startupFlags, static_cast<DWORD>(STARTF_USESHOWWINDOW));
  EXPECT_EQ(launches[0].showWindow, SW_SHOW);
  EXPECT_TRUE(launches[0].waitedFor);

  // Driver files and supplementary files deleted; only the program itself is scheduled.
  winsim::FileSystem& files = machine().files;
  EXPECT_TRUE(files.List(install.commonDirectory).empty());
  for (const char* name : {"tvsetup.log", "tvuninst.ini", "tessorw.cfg"}) {
    EXPECT_FALSE(files.Exists(std::string("C:\\WINNT\\") + name)) << name;
  }
  const std::vector<winsim::PendingMove> pending = machine().Pending();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].from, "C:\\WINNT\\tvuninst.exe");
  EXPECT_FALSE(pending[0].to);
  machine().Restart();
  EXPECT_FALSE(files.Exists("C:\\WINNT\\tvuninst.exe"));

  // The mandated pauses, the cursor, and nothing left open.
  EXPECT_EQ(machine().clock.sleeps, (std::vector<DWORD>{1000, 2000, 1000}));
  EXPECT_EQ(machine().ui.cursorHistory, (std::vector<int>{32514, 32512}));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SequenceTest, DecliningChangesNothing) {
  for (int answer : {IDNO, 0}) {  // 0: the box could not be shown, which is no consent either
    winsim::Reset();
    Install();
    std::string before = machine().Snapshot();
    machine().ui.Answer(answer);
    EXPECT_EQ(Run(), kExitDeclined);
    EXPECT_EQ(machine().Snapshot(), before);
    EXPECT_TRUE(machine().processes.launches.empty());
    EXPECT_EQ(trace(), Preamble() + Trace{"Asking user...\n"});
    EXPECT_EQ(machine().OpenHandles(), 0u);
  }
}

TEST_F(SequenceTest, DirectoryWarningAnsweredNoChangesNothing) {
  Install({.directory = "C:\\WINNT"});
  std::string before = machine().Snapshot();
  machine().ui.Answer(IDNO);
  EXPECT_EQ(Run(), kExitDeclined);
  EXPECT_EQ(machine().Snapshot(), before);
  ASSERT_EQ(machine().ui.boxes.size(), 1u);
  EXPECT_EQ(machine().ui.boxes[0].text,
            std::string(texts::kWarnDir1) + " C:\\WINNT\\\n" + texts::kWarnDir2 + "\n" + texts::kWarnDir3);
  EXPECT_EQ(machine().ui.boxes[0].style, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(trace(), Preamble());
}

// However the registry spells a root or a system directory, the warning comes first and
// shows the directory as the system resolves it; No leaves the machine as it was.
TEST_F(SequenceTest, DangerousDirectoriesInAnySpellingAreWarnedAboutFirst) {
  struct Case {
    const char* registered;
    std::string shown;
  };
  for (const Case& c : {Case{"C:\\WINNT\\", "C:\\WINNT"}, Case{"C:/WINNT", "C:\\WINNT"},
                        Case{"c:\\winnt\\SYSTEM32", "c:\\winnt\\SYSTEM32"},
                        Case{"C:\\WINNT\\system32\\..", "C:\\WINNT"},
                        Case{"\\\\?\\C:\\WinNT\\System\\", "C:\\WinNT\\System"}, Case{"C:\\", "C:"},
                        Case{"D:\\", "D:"}, Case{"D:/", "D:"}, Case{"D:\\\\", "D:"}, Case{"D:\\.", "D:"},
                        Case{"\\\\server\\share\\", "\\\\server\\share"}}) {
    winsim::Reset();
    Install();
    machine().files.AddFile("D:\\data\\keep.txt");
    machine().registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Path", c.registered);
    const std::string before = machine().Snapshot();
    machine().ui.Answer(IDNO);
    EXPECT_EQ(Run(), kExitDeclined) << c.registered;
    EXPECT_EQ(machine().Snapshot(), before) << c.registered;
    ASSERT_EQ(machine().ui.boxes.size(), 1u) << c.registered;
    EXPECT_EQ(machine().ui.boxes[0].text.substr(0, std::string(texts::kWarnDir1).size() + c.shown.size() + 3),
              std::string(texts::kWarnDir1) + " " + c.shown + "\\\n")
        << c.registered;
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
  std::vector<std::string> scheduled;
  for (const winsim::PendingMove& move : machine().Pending()) scheduled.push_back(move.from);
  EXPECT_GT(std::count(scheduled.begin(), scheduled.end(), "D:\\data\\held.txt"), 0);  // by both passes
  EXPECT_GT(std::count(scheduled.begin(), scheduled.end(), "D:\\data"), 0);
  for (const std::string& path : scheduled) {
    EXPECT_TRUE(path.size() > 3 && path[1] == ':' && path[2] == '\\') << path;
  }
}

// The directory checked is the one removed and scheduled: no step spells it anew.
TEST_F(SequenceTest, AnOrdinaryDirectoryInAnySpellingIsRemovedExactly) {
  const std::string directory = ProductInstall().directory;
  for (const char* registered :
       {"C:/Program Files/Varden/Anti-Virus/", "C:\\Program Files\\Varden\\Anti-Virus\\\\",
        "c:\\program files\\varden\\.\\anti-virus\\.", "C:\\Program Files\\Varden\\Tools\\..\\Anti-Virus",
        "\\\\?\\C:\\Program Files\\Varden\\Anti-Virus"}) {
    winsim::Reset();
    Install();
    machine().files.AddFile("C:\\Program Files\\Varden\\Anti-Virus2\\keep.txt");
    machine().files.HoldOpen(directory + "\\TESSORNT.EXE");
    machine().registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Path", registered);
    EXPECT_EQ(RunConsentedUninstall(), IDYES) << registered;
    EXPECT_EQ(machine().ui.boxes.size(), 2u) << registered;  // no warning
    EXPECT_EQ(machine().files.List(directory), std::vector<std::string>{"TESSORNT.EXE"}) << registered;
    EXPECT_TRUE(machine().files.Exists("C:\\Program Files\\Varden\\Anti-Virus2\\keep.txt"));
    machine().Restart();
    EXPECT_FALSE(machine().files.Exists(directory)) << registered;
  }
}

TEST_F(SequenceTest, OrdinaryDirectoriesNearTheWindowsDirectoryAreNotWarnedAbout) {
  for (const char* directory : {"C:\\WINNT\\Varden", "C:\\Program Files", "C:\\WINNT\\system32\\Varden"}) {
    winsim::Reset();
    Install({.directory = directory});
    machine().ui.Answer(IDNO);
    Run();
    ASSERT_EQ(machine().ui.boxes.size(), 1u) << directory;
    EXPECT_EQ(machine().ui.boxes[0].text, texts::kRemovePrompt) << directory;
  }
}

TEST_F(SequenceTest, MissingOrEmptyAppPathsEndsWithMinusOne) {
  for (int variant = 0; variant < 3; ++variant) {
    winsim::Reset();
    Install();
    winsim::Registry& registry = machine().registry;
    if (variant == 0) registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
    if (variant == 1) {  // the key without values
      registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
      registry.CreateKey(HKEY_LOCAL_MACHINE, kAppPaths);
    }
    if (variant == 2) registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Path", "");
    std::string before = machine().Snapshot();
    machine().ui.Answer(IDOK);
    EXPECT_EQ(Run(), kExitNoProductDirectory) << variant;
    ASSERT_EQ(machine().ui.boxes.size(), 1u);
    EXPECT_EQ(machine().ui.boxes[0].text, texts::kCouldNotFindPath);
    EXPECT_EQ(machine().ui.boxes[0].style, static_cast<UINT>(MB_OK));
    EXPECT_EQ(machine().Snapshot(), before);
    EXPECT_EQ(machine().OpenHandles(), 0u);
  }
}

// Setups write the program's path as the default value and its directory as "Path".
TEST_F(SequenceTest, ProductDirectoryIsPathOrElseTheFirstValueWhateverItsNameAndType) {
  struct Value {
    const char* name;
    const char* data;
  };
  for (const std::vector<Value>& values : std::vector<std::vector<Value>>{
           {{"", "D:\\Tools\\Varden\\TESSORNT.EXE"}, {"Path", "D:\\Tools\\Varden"}},
           {{"Path", "D:\\Tools\\Varden;C:\\Other"}},
           {{"", "D:\\Tools\\Varden"}, {"Other", "C:\\Other"}}}) {
    winsim::Reset();
    Install();
    winsim::Registry& registry = machine().registry;
    registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
    for (const Value& value : values) {
      registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, value.name, value.data, REG_EXPAND_SZ);
    }
    machine().files.AddFile("D:\\Tools\\Varden\\TESSORNT.EXE");
    machine().files.AddFile("C:\\Other\\keep.txt");
    EXPECT_EQ(RunConsentedUninstall(), IDYES) << values[0].data;
    EXPECT_FALSE(machine().files.Exists("D:\\Tools\\Varden")) << values[0].data;
    EXPECT_TRUE(machine().files.Exists("D:\\Tools"));
    EXPECT_TRUE(machine().files.Exists("C:\\Other\\keep.txt"));
  }
}

TEST_F(SequenceTest, UnterminatedDirectoryValueIsReadWithinItsBuffer) {
  Install();
  winsim::Registry& registry = machine().registry;
  registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
  std::string directory = "C:\\Unterminated";
  registry.SetValue(HKEY_LOCAL_MACHINE, kAppPaths, "Path", REG_SZ,
                    std::vector<BYTE>(directory.begin(), directory.end()));
  machine().ui.Answer(IDNO);
  Run();
  EXPECT_EQ(trace().back(), "Asking user...\n");  // an ordinary directory: no warning

  // 260 bytes without a terminator fill the whole buffer: the last one gives way.
  winsim::Reset();
  Install();
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
  machine().registry.SetValue(HKEY_LOCAL_MACHINE, kAppPaths, "Path", REG_SZ, std::vector<BYTE>(260, 'x'));
  machine().ui.Answer(IDOK);
  EXPECT_EQ(Run(), kExitNoProductDirectory);  // 259 characters from the current directory on
}

TEST_F(SequenceTest, Nt3RemovesApplicationKeysItselfAndShowsTheFinishText) {
  machine().system.majorVersion = 3;
  machine().system.minorVersion = 51;
  Install();
  machine().registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Extensions",
                               "tsx", install.directory + "\\TESSORNT.EXE ^.tsx");
  machine().registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Extensions",
                               "txt", "C:\\WINNT\\notepad.exe ^.txt");
  machine().ui.Answer(IDYES);
  machine().ui.Answer(IDOK);

  EXPECT_EQ(Run(), IDYES);

  EXPECT_EQ(std::vector<std::string>(trace().begin(), trace().begin() + 12), Preamble(true));
  EXPECT_TRUE(machine().processes.launches.empty());
  ASSERT_EQ(machine().ui.boxes.size(), 2u);
  EXPECT_EQ(machine().ui.boxes[1].text, texts::kFinish);
  winsim::Registry& registry = machine().registry;
  EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, kAppPaths));
  EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden\\Anti-Virus"));
  EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_TRUE(registry.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden"));
  // Only the product's own document extension leaves the shared Extensions key.
  const char kExtensions[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Extensions";
  EXPECT_EQ(registry.ValueNames(HKEY_LOCAL_MACHINE, kExtensions), (std::vector<std::string>{"txt"}));
  EXPECT_NE(std::find(trace().begin(), trace().end(), "Removing additional VDAV registry settings...\n"),
            trace().end());
  EXPECT_EQ(std::find(trace().begin(), trace().end(), "Launch Install Shield's uninst.exe...\n"), trace().end());
}

TEST_F(SequenceTest, ForeignExtensionUnderTheProductsNameStaysOnNt3) {
  machine().system.majorVersion = 3;
  Install();
  const char kExtensions[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Extensions";
  machine().registry.SetString(HKEY_LOCAL_MACHINE, kExtensions, "tsx", "C:\\Other\\viewer.exe ^.tsx");
  machine().ui.Answer(IDYES);
  machine().ui.Answer(IDOK);
  Run();
  EXPECT_TRUE(machine().registry.Value(HKEY_LOCAL_MACHINE, kExtensions, "tsx"));
  EXPECT_TRUE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, kExtensions));
}

TEST_F(SequenceTest, FailingVersionQueryTakesTheNt3Path) {
  machine().system.versionFails = true;
  Install();
  machine().ui.Answer(IDYES);
  machine().ui.Answer(IDOK);
  Run();
  EXPECT_EQ(trace()[1], "NT OS version is 3.x...\n");
  EXPECT_EQ(machine().ui.boxes.back().text, texts::kFinish);
  EXPECT_TRUE(machine().processes.launches.empty());
}

TEST_F(SequenceTest, MissingRightsEndBeforeAnythingChanges) {
  Install();
  machine().services.deniedAccess = SC_MANAGER_LOCK;
  std::string before = machine().Snapshot();
  machine().ui.Answer(IDOK);
  EXPECT_EQ(Run(), kExitNoRights);
  ASSERT_EQ(machine().ui.boxes.size(), 1u);
  EXPECT_EQ(machine().ui.boxes[0].text, texts::kNoModifyRights);
  EXPECT_EQ(machine().ui.boxes[0].style, static_cast<UINT>(MB_OK));
  EXPECT_EQ(trace().back(), "Checking user rights...\n");
  EXPECT_EQ(machine().Snapshot(), before);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SequenceTest, LongCommandTailIsPassedOnWhole) {
  Install();
  machine().ui.Answer(IDYES);
  machine().ui.Answer(IDOK);
  std::string tail = " " + std::string(300, 't');
  Run(tail.c_str());
  ASSERT_EQ(machine().processes.launches.size(), 1u);
  EXPECT_EQ(machine().processes.launches[0].commandLine, "uninst.exe -y -f" + tail);
}

TEST_F(SequenceTest, EmptyTailAndMissingUninstallerAreHarmless) {
  Install();
  machine().files.HoldOpen("C:\\WINNT\\uninst.exe", false);
  ASSERT_TRUE(machine().files.Exists("C:\\WINNT\\uninst.exe"));
  machine().ui.Answer(IDYES);
  machine().ui.Answer(IDOK);
  Run("");
  EXPECT_EQ(machine().processes.launches.at(0).commandLine, "uninst.exe -y -f");

  winsim::Reset();
  Install();
  machine().files.Remove(*machine().files.Lookup("C:\\WINNT\\uninst.exe"));
  machine().ui.Answer(IDYES);
  machine().ui.Answer(IDOK);
  EXPECT_EQ(Run(), IDYES);  // nothing to wait for; the run goes on
  EXPECT_TRUE(machine().processes.launches.empty());
  EXPECT_EQ(trace().back(), "The work is done. Quiting...\n");
}

TEST_F(SequenceTest, RunWithoutProfileShowsEmptyTexts) {
  Install({.withProfile = false});
  machine().ui.Answer(IDYES);
  machine().ui.Answer(IDOK);
  EXPECT_EQ(Run(), IDYES);
  ASSERT_EQ(machine().ui.boxes.size(), 2u);
  EXPECT_EQ(machine().ui.boxes[0].text, "");
  EXPECT_EQ(machine().ui.boxes[0].caption, "");
  EXPECT_EQ(machine().ui.boxes[1].text, "\n");  // the restart text of two empty parts
  EXPECT_EQ(trace()[4], "TRUE");
}

TEST_F(SequenceTest, ListModeReadsTheFileListBeforeAnyCheck) {
  Install({.wholeDirectoryRemoval = false, .listedFiles = {"TESSORNT.EXE", "Bases\\main.avc"}});
  machine().ui.Answer(IDNO);
  Run();
  Trace expected{"Checking OS version...\n", "NT OS version is 4.x...\n", "Reading profile settings...\n",
                 "EnableWholeDir= ", "FALSE", "\n", "Retrieving file list...\n", "File list ini file: ",
                 "C:\\WINNT\\tvuninst.ini", "\n", "Putting file in the list: ", "TESSORNT.EXE", "\n",
                 "Putting file in the list: ", "Bases\\main.avc", "\n", "Checking user rights...\n"};
  EXPECT_EQ(std::vector<std::string>(trace().begin(), trace().begin() + expected.size()), expected);
}

TEST_F(SequenceTest, DriverFilesStayWhenTheCommonDirectoryIsNotRegistered) {
  Install();
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Common\\Paths");
  machine().files.AddFile("C:\\vdwd.sys", "not the product's");
  machine().ui.Answer(IDYES);
  machine().ui.Answer(IDOK);
  Run();
  EXPECT_TRUE(machine().files.Exists("C:\\vdwd.sys"));
  EXPECT_EQ(machine().files.List(install.commonDirectory).size(), 6u);
  EXPECT_NE(std::find(trace().begin(), trace().end(), "Common directory not found, WD driver files left in place.\n"),
            trace().end());
  EXPECT_EQ(std::find(trace().begin(), trace().end(), "Removing file: "), trace().end());
}

TEST_F(SequenceTest, DriverFileInUseIsScheduledForRestart) {
  Install();
  machine().files.HoldOpen(install.commonDirectory + "\\vdwd.sys");
  machine().ui.Answer(IDYES);
  machine().ui.Answer(IDOK);
  Run();
  ASSERT_EQ(machine().Pending().size(), 2u);
  EXPECT_EQ(machine().Pending()[0].from, install.commonDirectory + "\\vdwd.sys");
  EXPECT_EQ(machine().Pending()[1].from, "C:\\WINNT\\tvuninst.exe");
}

}  // namespace

namespace {

// Everything the product can have on a machine at once, and what the run leaves of it.
TEST_F(SequenceTest, EverythingInstalledAndRunningIsRemovedTogether) {
  Install({.withManager = true, .withServices = true, .withSnmp = true});
  machine().ui.Answer(IDYES);  // removal prompt
  machine().ui.Answer(IDYES);  // remove the SNMP agent and its DLL
  machine().ui.Answer(IDOK);   // the agent was removed
  machine().ui.Answer(IDOK);   // restart text

  EXPECT_EQ(Run(), IDYES);

  std::vector<std::string> texts;
  for (const auto& box : machine().ui.boxes) texts.push_back(box.text);
  EXPECT_EQ(texts, (std::vector<std::string>{texts::kRemovePrompt, texts::kSnmpPrompt, texts::kSnmpDone,
                                             std::string(texts::kRestart1) + "\n" + texts::kRestart2}));

  // The product's services are gone; the SNMP service runs again without the agent.
  for (const char* service : {"Varden Tessor", "Varden Mirel", "Tessor Anti-Virus Service"}) {
    EXPECT_EQ(machine().services.Get(service), nullptr) << service;
  }
  // The on-access service is only stopped; its driver keys go with the registry tables.
  ASSERT_NE(machine().services.Get("Tessor Wardel"), nullptr);
  EXPECT_EQ(machine().services.Get("Tessor Wardel")->status.state, static_cast<DWORD>(SERVICE_STOPPED));
  ASSERT_NE(machine().services.Get("SNMP"), nullptr);
  EXPECT_EQ(machine().services.Get("SNMP")->status.state, static_cast<DWORD>(SERVICE_RUNNING));
  winsim::Registry& registry = machine().registry;
  EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, snmp::kAgentKey));
  EXPECT_TRUE(registry.KeyExists(HKEY_LOCAL_MACHINE, snmp::kForeignAgentKey1));
  EXPECT_TRUE(registry.KeyExists(HKEY_LOCAL_MACHINE, snmp::kForeignAgentKey2));
  EXPECT_EQ(registry.ValueNames(HKEY_LOCAL_MACHINE, snmp::kExtensionAgents).size(), 2u);
  // The management product's key keeps the vendor's key: only its own uninstaller removes it.
  EXPECT_TRUE(registry.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden\\Manager\\1.0"));

  // The Install Shield uninstaller, then the manager's, each waited for.
  const auto& launches = machine().processes.launches;
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_EQ(launches[0].application, "C:\\WINNT\\uninst.exe");
  EXPECT_EQ(launches[1].application, install.commonDirectory + "\\vduninst.exe");
  EXPECT_EQ(launches[1].commandLine, "vduninst.exe UNINSTALL");
  EXPECT_TRUE(launches[0].waitedFor && launches[1].waitedFor);

  // The product directory and the driver files are gone; the manager's uninstaller,
  // beside the driver files in the common directory, is not the product's.
  EXPECT_FALSE(machine().files.Exists(install.directory));
  EXPECT_EQ(machine().files.List(install.commonDirectory), (std::vector<std::string>{"vduninst.exe"}));
  ASSERT_EQ(machine().Pending().size(), 1u);
  EXPECT_EQ(machine().Pending()[0].from, "C:\\WINNT\\tvuninst.exe");
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

}  // namespace
