// Removing the product's SNMP agent as the user chooses, and the boxes that tell how it went.
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "common/machine_test.h"
#include "common/product.h"
#include "snmp/snmp_agent.h"

namespace {

using Names = std::vector<std::string>;

class UninstallSnmpAgentTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    InstallProduct(install);
    profile.caption = texts::kCaption;
    profile.snmpUninstallPrompt = texts::kSnmpPrompt;
    profile.snmpCannotUninstall = texts::kSnmpCannot;
    profile.snmpUninstalled = texts::kSnmpDone;
  }

  int Uninstall(std::initializer_list<int> answers) {
    for (int answer : answers) machine().ui.Answer(answer);
    Prompts prompts(profile);
    return UninstallSnmpAgent(prompts, install.directory.c_str());
  }
  Names Texts() {
    Names texts;
    for (const auto& box : machine().ui.boxes) texts.push_back(box.text);
    return texts;
  }
  std::string Dll() const { return install.directory + "\\vlalag32.dll"; }
  bool Registered() {
    return machine().registry.Value(HKEY_LOCAL_MACHINE, keys::kExtensionAgents, "2").has_value() &&
           machine().registry.KeyExists(HKEY_LOCAL_MACHINE, keys::kAgentKey);
  }
  bool Unregistered() {
    return machine().registry.ValueNames(HKEY_LOCAL_MACHINE, keys::kExtensionAgents) ==
               Names{"1", "3"} &&
           !machine().registry.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden");
  }
  winsim::Service& Snmp() { return *machine().services.Get("SNMP"); }

  SampleProduct install = [] {
    SampleProduct options;
    options.withSnmp = true;
    return options;
  }();
  ProfileTexts profile;
};

TEST_F(UninstallSnmpAgentTest, YesUnregistersRestartsAndDeletesTheDll) {
  EXPECT_EQ(Uninstall({IDYES, IDOK}), 0);

  EXPECT_EQ(Texts(), (Names{texts::kSnmpPrompt, texts::kSnmpDone}));
  const auto& boxes = machine().ui.boxes;
  EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_YESNOCANCEL));
  EXPECT_EQ(boxes[1].style, static_cast<UINT>(MB_OK));
  for (const auto& box : boxes) {
    EXPECT_EQ(box.caption, texts::kCaption);
    EXPECT_EQ(box.owner, nullptr);
  }
  EXPECT_TRUE(Unregistered());
  EXPECT_EQ(Snmp().controls, std::vector<DWORD>{SERVICE_CONTROL_STOP});
  EXPECT_EQ(Snmp().starts, 1);
  EXPECT_FALSE(machine().files.Exists(Dll()));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(UninstallSnmpAgentTest, NoUnregistersAndRestartsButKeepsTheDll) {
  EXPECT_EQ(Uninstall({IDNO, IDOK}), 0);

  EXPECT_EQ(Texts(), (Names{texts::kSnmpPrompt, texts::kSnmpDone}));
  EXPECT_TRUE(Unregistered());
  EXPECT_EQ(Snmp().starts, 1);
  EXPECT_TRUE(machine().files.Exists(Dll()));
}

TEST_F(UninstallSnmpAgentTest, CancelChangesNothingAndShowsNothingMore) {
  const std::string before = machine().Snapshot();

  EXPECT_EQ(Uninstall({IDCANCEL}), 0);

  EXPECT_EQ(Texts(), Names{texts::kSnmpPrompt});
  EXPECT_EQ(machine().Snapshot(), before);
  EXPECT_TRUE(Snmp().controls.empty());
}

TEST_F(UninstallSnmpAgentTest, AQuestionThatCannotBeShownIsNoAnswer) {
  const std::string before = machine().Snapshot();
  machine().faults.FailCall("MessageBoxA", 1, ERROR_NOT_ENOUGH_MEMORY);

  EXPECT_EQ(Uninstall({}), 0);

  EXPECT_EQ(machine().Snapshot(), before);
  EXPECT_EQ(machine().faults.CallCount("MessageBoxA"), 1u);
}

TEST_F(UninstallSnmpAgentTest, YesWithTheDllMissingTellsTheRuntimesText) {
  machine().files.Remove(*machine().files.Lookup(Dll()));

  EXPECT_EQ(Uninstall({IDYES, IDOK, IDOK}), 0);

  EXPECT_EQ(Texts(), (Names{texts::kSnmpPrompt, "No such file or directory", texts::kSnmpCannot}));
  EXPECT_EQ(machine().ui.boxes[1].style, static_cast<UINT>(MB_OK));
  EXPECT_TRUE(Unregistered());
  EXPECT_TRUE(machine().Pending().empty());
}

TEST_F(UninstallSnmpAgentTest, YesWithTheDllInUseTellsPermissionDenied) {
  machine().files.HoldOpen(Dll());

  EXPECT_EQ(Uninstall({IDYES, IDOK, IDOK}), 0);

  EXPECT_EQ(Texts(), (Names{texts::kSnmpPrompt, "Permission denied", texts::kSnmpCannot}));
  EXPECT_TRUE(machine().files.Exists(Dll()));
}

TEST_F(UninstallSnmpAgentTest, AProductDirectoryTooLongForTheDllPathIsAFailedDeletion) {
  install.directory = "C:\\" + std::string(245, 'd');  // with "\vlalag32.dll", 261 characters

  EXPECT_EQ(Uninstall({IDYES, IDOK, IDOK}), 0);

  EXPECT_EQ(Texts(), (Names{texts::kSnmpPrompt, std::strerror(ENAMETOOLONG), texts::kSnmpCannot}));
  EXPECT_EQ(machine().faults.CallCount("DeleteFileA"), 0u);
  EXPECT_TRUE(Unregistered());
}

TEST_F(UninstallSnmpAgentTest, AMissingAgentListStopsEverythingAndShowsTheSystemText) {
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, keys::kExtensionAgents);

  EXPECT_EQ(Uninstall({IDYES, IDOK, IDOK}), 0);

  EXPECT_EQ(Texts(), (Names{texts::kSnmpPrompt, "The system cannot find the file specified.",
                            texts::kSnmpCannot}));
  EXPECT_TRUE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, keys::kAgentKey));
  EXPECT_TRUE(Snmp().controls.empty());
  EXPECT_TRUE(machine().files.Exists(Dll()));
}

TEST_F(UninstallSnmpAgentTest, AFailedRestartKeepsTheDllAndTheRegistryChanges) {
  machine().services.Install("Orvik NetWatch", SERVICE_RUNNING, {"SNMP"});

  EXPECT_EQ(Uninstall({IDYES, IDOK, IDOK}), 0);

  EXPECT_EQ(
      Texts(),
      (Names{
          texts::kSnmpPrompt,
          "A stop control has been sent to a service that other running services are dependent on.",
          texts::kSnmpCannot}));
  EXPECT_TRUE(Unregistered());
  EXPECT_TRUE(machine().files.Exists(Dll()));
}

TEST_F(UninstallSnmpAgentTest, TheUserSeesAtMost255CharactersOfTheFailureText) {
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, keys::kExtensionAgents);
  machine().system.messageTexts[ERROR_FILE_NOT_FOUND] = std::string(300, 'm') + "\r\n";

  Uninstall({IDNO, IDOK, IDOK});

  ASSERT_EQ(machine().ui.boxes.size(), 3u);
  EXPECT_EQ(machine().ui.boxes[1].text, std::string(255, 'm'));
}

TEST_F(UninstallSnmpAgentTest, UnregisteringStopsAtTheFirstFailingStep) {
  // The agent key still has a subkey: its list entry is gone, the service untouched.
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, std::string(keys::kAgentKey) + "\\Traps");

  EXPECT_EQ(UnregisterSnmpAgent(kSnmpAgentKeyPath), 0);

  EXPECT_EQ(machine().registry.ValueNames(HKEY_LOCAL_MACHINE, keys::kExtensionAgents),
            (Names{"1", "3"}));
  EXPECT_TRUE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, keys::kAgentKey));
  EXPECT_TRUE(Snmp().controls.empty());
}

}  // namespace
