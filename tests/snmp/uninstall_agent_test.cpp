// Removing the product's SNMP agent as the user chooses, and the boxes that tell how it went.
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "common/machine_test.h"
#include "common/product.h"
#include "snmp/snmp_agent.h"
#include "uninstall/profile.h"

namespace {

using Names = std::vector<std::string>;

class UninstallSnmpAgentTest : public MachineTest {};

// The plain Yes, No and Cancel are the scenarios snmp-agent-yes, -no and -cancel.
TEST_F(UninstallSnmpAgentTest, TheAnswerDecidesAndEveryOutcomeIsTold) {
  struct Case {
    const char* what;
    std::vector<int> answers;
    std::function<void(winsim::Machine&, const std::string& dll)> arrange;
    std::string told;  // the second box; empty: none
    bool unchanged;    // nothing at all changed on the machine
    bool unlisted;     // the list entry is gone
    bool keyGone;      // the agent key and its empty parents are gone
    int stops, starts;
    bool dllKept;
    std::string directory = "C:\\Program Files\\Varden\\Anti-Virus";
  };
  for (const Case& c : std::vector<Case>{
           {"a question that cannot be shown is no answer", {},
            [](winsim::Machine& m, const std::string&) { m.faults.FailCall("MessageBoxA", 1, ERROR_NOT_ENOUGH_MEMORY); },
            "", true, false, false, 0, 0, true},
           {"a missing DLL", {IDYES, IDOK, IDOK},
            [](winsim::Machine& m, const std::string& dll) { m.files.Remove(*m.files.Lookup(dll)); },
            "No such file or directory", false, true, true, 1, 1, false},
           {"a DLL in use", {IDYES, IDOK, IDOK},
            [](winsim::Machine& m, const std::string& dll) { m.files.HoldOpen(dll); }, "Permission denied",
            false, true, true, 1, 1, true},
           // With "\vlalag32.dll" the path has 261 characters: not tried at all.
           {"a DLL path too long", {IDYES, IDOK, IDOK}, nullptr, std::strerror(ENAMETOOLONG), false, true, true,
            1, 1, true, "C:\\" + std::string(245, 'd')},
           {"a missing list stops everything", {IDYES, IDOK, IDOK},
            [](winsim::Machine& m, const std::string&) { m.registry.DeleteTree(HKEY_LOCAL_MACHINE, keys::kExtensionAgents); },
            "The system cannot find the file specified.", false, false, false, 0, 0, true},
           {"an agent key with a subkey stops before the restart", {IDNO, IDOK, IDOK},
            [](winsim::Machine& m, const std::string&) {
              m.registry.CreateKey(HKEY_LOCAL_MACHINE, std::string(keys::kAgentKey) + "\\Traps");
            },
            "Access is denied.", false, true, false, 0, 0, true},
           {"a failed restart keeps the registry changes", {IDYES, IDOK, IDOK},
            [](winsim::Machine& m, const std::string&) { m.services.Install("Orvik NetWatch", SERVICE_RUNNING, {"SNMP"}); },
            "A stop control has been sent to a service that other running services are dependent on.", false,
            true, true, 1, 0, true},
           {"the user sees at most 255 characters of the failure text", {IDNO, IDOK, IDOK},
            [](winsim::Machine& m, const std::string&) {
              m.registry.DeleteTree(HKEY_LOCAL_MACHINE, keys::kExtensionAgents);
              m.system.messageTexts[ERROR_FILE_NOT_FOUND] = std::string(300, 'm') + "\r\n";
            },
            std::string(255, 'm'), false, false, false, 0, 0, true},
       }) {
    SCOPED_TRACE(c.what);
    winsim::Machine& m = winsim::Reset();
    InstallProduct({.directory = c.directory, .withSnmp = true});
    const std::string dll = c.directory + "\\vlalag32.dll";
    if (c.arrange) c.arrange(m, dll);
    const std::string before = m.Snapshot();
    for (int answer : c.answers) m.ui.Answer(answer);
    const ProfileTexts profile = LoadProfile(kProfile, kProfile, false);
    Prompts prompts(profile);

    EXPECT_EQ(UninstallSnmpAgent(prompts, AgentDllIn(c.directory)), 0);

    Names expected{texts::kSnmpPrompt};
    if (!c.told.empty()) expected.push_back(c.told);
    if (!c.told.empty() && c.told != texts::kSnmpDone) expected.push_back(texts::kSnmpCannot);
    Names shown;
    for (const auto& box : m.ui.boxes) {
      shown.push_back(box.text);
      EXPECT_EQ(box.style, static_cast<UINT>(shown.size() == 1 ? MB_YESNOCANCEL : MB_OK));
      EXPECT_EQ(box.caption, texts::kCaption);
      EXPECT_EQ(box.owner, nullptr);
    }
    if (c.answers.empty()) {
      EXPECT_EQ(m.faults.CallCount("MessageBoxA"), 1u);
    } else {
      EXPECT_EQ(shown, expected);
    }
    if (c.unchanged) { EXPECT_EQ(m.Snapshot(), before); }
    if (m.registry.KeyExists(HKEY_LOCAL_MACHINE, keys::kExtensionAgents)) {
      EXPECT_EQ(m.registry.ValueNames(HKEY_LOCAL_MACHINE, keys::kExtensionAgents),
                (c.unlisted ? Names{"1", "3"} : Names{"1", "2", "3"}));
    }
    EXPECT_EQ(m.registry.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden"), !c.keyGone);
    EXPECT_EQ(m.services.Get("SNMP")->controls.size(), static_cast<std::size_t>(c.stops));
    EXPECT_EQ(m.services.Get("SNMP")->starts, c.starts);
    EXPECT_EQ(m.files.Exists(dll), c.dllKept);
    EXPECT_TRUE(m.Pending().empty());
  }
}

}  // namespace
