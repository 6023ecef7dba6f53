// The checks of services and windows after a run, on the simulated machine.
#include <gtest/gtest.h>

#include "common/machine_test.h"
#include "verdict.h"

namespace {

class ComponentCheckTest : public MachineTest {
 protected:
  std::vector<std::string> Check(std::vector<ComponentExpectation> components) {
    Scenario scenario;
    scenario.components = std::move(components);
    return CompareMachine(scenario, {});
  }
};

TEST_F(ComponentCheckTest, ReportsEachServiceInAnotherStateThanExpected) {
  machine().services.Install("Varden Tessor", SERVICE_RUNNING);
  machine().services.Install("Tessor Wardel", SERVICE_STOPPED);
  machine().services.Install("Varden Mirel", SERVICE_STOP_PENDING);
  EXPECT_TRUE(Check({{"service", "running", "Varden Tessor"},
                     {"service", "stopped", "Tessor Wardel"},
                     {"service", "absent", "Tessor Anti-Virus Service"}})
                  .empty());
  EXPECT_EQ(Check({{"service", "absent", "Varden Tessor"},
                   {"service", "running", "Tessor Anti-Virus Service"},
                   {"service", "stopped", "Varden Mirel"}}),
            (std::vector<std::string>{
                "service Varden Tessor: expected absent, is running",
                "service Tessor Anti-Virus Service: expected running, is absent",
                "service Varden Mirel: expected stopped, is in state 3",
            }));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(ComponentCheckTest, ReportsAWindowThatIsThereOrMissingAgainstExpectation) {
  machine().desktop.StartProgram("VFW_MainWindow");
  EXPECT_TRUE(
      Check({{"window", "present", "VFW_MainWindow"}, {"window", "absent", "V-Agent"}}).empty());
  EXPECT_EQ(Check({{"window", "absent", "VFW_MainWindow"}, {"window", "present", "V-Agent"}}),
            (std::vector<std::string>{"window VFW_MainWindow: expected absent, is present",
                                      "window V-Agent: expected present, is absent"}));
}

}  // namespace
