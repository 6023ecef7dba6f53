// A scenario's service states and system texts: read from the file, and the service
// states checked against the machine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/machine_test.h"
#include "scenario.h"
#include "verdict.h"

namespace {

class ScenarioServiceTest : public MachineTest {
 protected:
  std::optional<Scenario> Load(const std::string& text, std::string* error) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("scenario_service_test_" +
         std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".txt");
    std::ofstream(path, std::ios::binary) << text;
    std::optional<Scenario> scenario = LoadScenario(path.string(), "C:\\WINNT", error);
    std::filesystem::remove(path);
    return scenario;
  }

  std::vector<std::string> Differences(const Scenario& scenario) {
    return CompareMachine(scenario, {});
  }
};

TEST_F(ScenarioServiceTest, ReadsServiceStates) {
  std::string error;
  std::optional<Scenario> scenario = Load("service running SNMP\nservice absent Net Watch\n", &error);
  ASSERT_TRUE(scenario) << error;
  ASSERT_EQ(scenario->services.size(), 2u);
  EXPECT_EQ(scenario->services[0].state, "running");
  EXPECT_EQ(scenario->services[0].name, "SNMP");
  EXPECT_EQ(scenario->services[1].state, "absent");
  EXPECT_EQ(scenario->services[1].name, "Net Watch");
}

TEST_F(ScenarioServiceTest, RefusesAnUnknownStateOrAMissingName) {
  const std::pair<const char*, const char*> mistakes[] = {
      {"service paused SNMP\n", "service needs running, stopped or absent"},
      {"service running\n", "a service needs a name"},
  };
  for (const auto& [line, problem] : mistakes) {
    std::string error;
    EXPECT_FALSE(Load(line, &error).has_value()) << line;
    EXPECT_NE(error.find(problem), std::string::npos) << error;
  }
}

TEST_F(ScenarioServiceTest, ChecksEachServiceAgainstTheMachine) {
  machine().services.Install("SNMP", SERVICE_RUNNING);
  machine().services.Install("Stopped", SERVICE_STOPPED);
  machine().services.Install("Stopping", SERVICE_STOP_PENDING);
  Scenario scenario;
  scenario.services = {{"running", "SNMP"}, {"stopped", "Stopped"}, {"absent", "Gone"}};
  EXPECT_TRUE(Differences(scenario).empty());

  scenario.services = {{"stopped", "SNMP"},
                       {"absent", "Stopped"},
                       {"running", "Gone"},
                       {"stopped", "Stopping"},
                       {"running", "snmp"}};
  EXPECT_EQ(Differences(scenario), (std::vector<std::string>{
                                       "service SNMP: expected stopped, is running",
                                       "service Stopped: expected absent, is stopped",
                                       "service Gone: expected running, is absent",
                                       "service Stopping: expected stopped, is in state 3",
                                       "service snmp: expected running, is absent",
                                   }));
  EXPECT_EQ(machine().services.OpenHandles(), 0u);
}

}  // namespace
