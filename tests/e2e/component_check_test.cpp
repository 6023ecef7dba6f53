// The checks of services and windows after a run, on the simulated machine.
#include <gtest/gtest.h>

#include "common/machine_test.h"
#include "verdict.h"

namespace {

class ComponentCheckTest : public MachineTest {};

TEST_F(ComponentCheckTest, ReportsEachServiceOrWindowInAnotherStateThanExpected) {
  machine().services.Install("Varden Tessor", SERVICE_RUNNING);
  machine().services.Install("Tessor Wardel", SERVICE_STOPPED);
  machine().services.Install("Varden Mirel", SERVICE_STOP_PENDING);
  machine().desktop.StartProgram("VFW_MainWindow");
  Scenario scenario;
  scenario.components = {{"service", "running", "Varden Tessor"},
                         {"service", "stopped", "Tessor Wardel"},
                         {"service", "absent", "Tessor Anti-Virus Service"},
                         {"window", "present", "VFW_MainWindow"},
                         {"window", "absent", "V-Agent"}};
  EXPECT_TRUE(CompareMachine(scenario, {}).empty());
  scenario.components = {{"service", "absent", "Varden Tessor"},
                         {"service", "running", "Tessor Anti-Virus Service"},
                         {"service", "stopped", "Varden Mirel"},
                         {"window", "absent", "VFW_MainWindow"},
                         {"window", "present", "V-Agent"}};
  EXPECT_EQ(
      CompareMachine(scenario, {}),
      (std::vector<std::string>{"service Varden Tessor: expected absent, is running",
                                "service Tessor Anti-Virus Service: expected running, is absent",
                                "service Varden Mirel: expected stopped, is in state 3",
                                "window VFW_MainWindow: expected absent, is present",
                                "window V-Agent: expected present, is absent"}));
}

}  // namespace
