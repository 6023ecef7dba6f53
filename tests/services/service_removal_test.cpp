#include "services/service_removal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/machine_test.h"
#include "services/service_scripts.h"

namespace {

using Pieces = std::vector<std::string>;

const char kServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\Varden Tessor";

class RemoveServiceTest : public MachineTest {
 protected:
  Pieces Searching() { return {"Searching for service: ", "Varden Tessor", "\n"}; }
  Pieces Then(Pieces pieces, const Pieces& more) {
    pieces.insert(pieces.end(), more.begin(), more.end());
    return pieces;
  }
};

TEST_F(RemoveServiceTest, AStoppedServiceIsDeletedWithoutAStopRequestOrPause) {
  machine().services.Install("Varden Tessor", SERVICE_STOPPED);
  EXPECT_EQ(RemoveServiceByName("Varden Tessor"), 0);
  EXPECT_EQ(trace(), Then(Searching(), {"Service was found.\n", "Removing service... \n",
                                        "Service was removed sucessfully\n"}));
  EXPECT_EQ(machine().faults.CallCount("ControlService"), 0u);
  EXPECT_TRUE(machine().clock.sleeps.empty());
  EXPECT_EQ(machine().services.Get("Varden Tessor"), nullptr);
  EXPECT_FALSE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, kServiceKey));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(RemoveServiceTest, ARunningServiceIsStoppedOncePausedForAndDeleted) {
  machine().services.Install("Varden Tessor", SERVICE_RUNNING);
  EXPECT_EQ(RemoveServiceByName("Varden Tessor"), 0);
  EXPECT_EQ(trace(), Then(Searching(), {"Service was found.\n", "Stopping service...\n", "Done.\n",
                                        "Removing service... \n", "Service was removed sucessfully\n"}));
  EXPECT_EQ(machine().faults.CallCount("ControlService"), 1u);
  EXPECT_EQ(machine().clock.sleeps, std::vector<DWORD>{500});
  EXPECT_EQ(machine().services.Get("Varden Tessor"), nullptr);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(RemoveServiceTest, ASlowServiceIsDeletedAfterTheOnePauseAndGoesOnceStopped) {
  winsim::Service& service = machine().services.Install("Varden Tessor", SERVICE_RUNNING);
  NeverStops(service);
  EXPECT_EQ(RemoveServiceByName("Varden Tessor"), 0);
  EXPECT_EQ(machine().clock.sleeps, std::vector<DWORD>{500});
  ASSERT_NE(machine().services.Get("Varden Tessor"), nullptr);
  EXPECT_TRUE(service.markedForDelete);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(RemoveServiceTest, ManagerThatCannotBeOpenedGivesMinusOne) {
  machine().services.Install("Varden Tessor", SERVICE_RUNNING);
  machine().services.deniedAccess = SC_MANAGER_CREATE_SERVICE;
  EXPECT_EQ(RemoveServiceByName("Varden Tessor"), -1);
  EXPECT_EQ(trace(), Then(Searching(), {"Can't open service...\n"}));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(RemoveServiceTest, AServiceNotInstalledGivesMinusTwoWithTheUnendedLine) {
  EXPECT_EQ(RemoveServiceByName("Varden Tessor"), -2);
  EXPECT_EQ(trace(), Then(Searching(), {"Service was not foundn"}));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

// The manager compares service names without case: the name in other letters is the same service.
TEST_F(RemoveServiceTest, TheManagerFindsTheKeyNameInAnyCase) {
  machine().services.Install("varden tessor", SERVICE_STOPPED);
  EXPECT_EQ(RemoveServiceByName("Varden Tessor"), 0);
  EXPECT_TRUE(machine().services.Names().empty());
}

TEST_F(RemoveServiceTest, AServiceWithoutAccessGivesMinusTwo) {
  machine().services.Install("Varden Tessor", SERVICE_RUNNING).deniedAccess = DELETE;
  EXPECT_EQ(RemoveServiceByName("Varden Tessor"), -2);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(RemoveServiceTest, AStatusThatCannotBeQueriedGivesMinusThree) {
  winsim::Service& service = machine().services.Install("Varden Tessor", SERVICE_RUNNING);
  service.queryError = ERROR_ACCESS_DENIED;
  EXPECT_EQ(RemoveServiceByName("Varden Tessor"), -3);
  EXPECT_EQ(trace(), Then(Searching(), {"Service was found.\n", "Error in querying service status.\n"}));
  EXPECT_FALSE(service.markedForDelete);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(RemoveServiceTest, ARefusedStopGivesMinusFourAndTheServiceStays) {
  winsim::Service& service = machine().services.Install("Varden Tessor", SERVICE_RUNNING);
  service.stopError = ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  EXPECT_EQ(RemoveServiceByName("Varden Tessor"), -4);
  EXPECT_EQ(trace(), Then(Searching(), {"Service was found.\n", "Stopping service...\n",
                                        "Error in ControlService...\n"}));
  EXPECT_FALSE(service.markedForDelete);
  EXPECT_EQ(service.status.state, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_TRUE(machine().clock.sleeps.empty());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(RemoveServiceTest, ARefusedDeletionGivesMinusFive) {
  winsim::Service& service = machine().services.Install("Varden Tessor", SERVICE_STOPPED);
  service.markedForDelete = true;  // deleted before, kept alive by a handle elsewhere
  EXPECT_EQ(RemoveServiceByName("Varden Tessor"), -5);
  EXPECT_EQ(trace(), Then(Searching(), {"Service was found.\n", "Removing service... \n",
                                        "Can't delete service...\n"}));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

}  // namespace
