#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/machine_test.h"
#include "services/service_removal.h"

namespace {

using Pieces = std::vector<std::string>;

const Pieces kChecking = {"Checking service dependencies for: ", "Varden Wardel", "\n",
                          "Open service manager...\n"};

class DependencyCheckTest : public MachineTest {
 protected:
  winsim::ServiceManager& services() { return machine().services; }
  void InstallOnAccess() { services().Install("Varden Wardel", SERVICE_RUNNING).type = SERVICE_KERNEL_DRIVER; }
  Pieces Traced(const Pieces& tail) {
    Pieces pieces = kChecking;
    pieces.insert(pieces.end(), tail.begin(), tail.end());
    return pieces;
  }
};

TEST_F(DependencyCheckTest, NoDependentsIsRemovable) {
  InstallOnAccess();
  EXPECT_EQ(OnAccessDriversRemovable(), 1);
  EXPECT_EQ(trace(), Traced({"Open service...\n", "Enumarate service dependencies...\n",
                             "Service doesn't have dependencies else VDAV's\n"}));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(DependencyCheckTest, OnlyTheProductScannersRunningOrNotAreTolerated) {
  InstallOnAccess();
  services().Install("Varden Tessor", SERVICE_RUNNING, {"Varden Wardel"});
  services().Install("Varden Mirel", SERVICE_STOPPED, {"Varden Wardel"});
  EXPECT_EQ(OnAccessDriversRemovable(), 1);
  EXPECT_EQ(trace().back(), "Service doesn't have dependencies else VDAV's\n");
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(DependencyCheckTest, ARecordWithoutANameIsPassedOver) {
  InstallOnAccess();
  services().Install("Varden Tessor", SERVICE_RUNNING, {"Varden Wardel"});
  services().dependentsLeaveNamesUnfilled = true;
  EXPECT_EQ(OnAccessDriversRemovable(), 1);
}

TEST_F(DependencyCheckTest, ARunningForeignDependentMakesItNotRemovable) {
  InstallOnAccess();
  services().Install("Varden Tessor", SERVICE_RUNNING, {"Varden Wardel"});
  services().Install("Backup Filter", SERVICE_RUNNING, {"Varden Wardel"});
  EXPECT_EQ(OnAccessDriversRemovable(), 0);
  EXPECT_EQ(trace(), Traced({"Open service...\n", "Enumarate service dependencies...\n",
                             "Service has dependencies\n"}));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(DependencyCheckTest, AnInactiveForeignDependentCountsToo) {
  InstallOnAccess();
  services().Install("Backup Filter", SERVICE_STOPPED, {"Varden Wardel"});
  services().Install("Varden Mirel", SERVICE_STOPPED, {"Varden Wardel"});
  EXPECT_EQ(OnAccessDriversRemovable(), 0);
}

TEST_F(DependencyCheckTest, ADependentOfADependentCountsToo) {
  InstallOnAccess();
  services().Install("Varden Tessor", SERVICE_RUNNING, {"Varden Wardel"});
  services().Install("Report Uploader", SERVICE_STOPPED, {"Varden Tessor"});
  EXPECT_EQ(OnAccessDriversRemovable(), 0);
}

TEST_F(DependencyCheckTest, ANameDifferingOnlyInLetterCaseIsForeign) {
  InstallOnAccess();
  services().Install("varden tessor", SERVICE_RUNNING, {"Varden Wardel"});
  EXPECT_EQ(OnAccessDriversRemovable(), 0);
}

TEST_F(DependencyCheckTest, ADependentMatchingOnlyByDisplayNameIsForeign) {
  InstallOnAccess();
  services().Install("VTessor2", SERVICE_RUNNING, {"Varden Wardel"}).displayName = "Varden Tessor";
  EXPECT_EQ(OnAccessDriversRemovable(), 0);
}

TEST_F(DependencyCheckTest, AnOnAccessServiceNotInstalledIsRemovable) {
  EXPECT_EQ(OnAccessDriversRemovable(), 1);
  EXPECT_EQ(trace(), Traced({"Open service...\n", "Can't open service\n",
                             "Service doesn't have dependencies else VDAV's\n"}));
}

TEST_F(DependencyCheckTest, AServiceThatCannotBeOpenedForAnotherReasonIsNotRemovable) {
  InstallOnAccess();
  services().Get("Varden Wardel")->deniedAccess = SERVICE_ENUMERATE_DEPENDENTS;
  EXPECT_EQ(OnAccessDriversRemovable(), 0);
  EXPECT_EQ(trace(), Traced({"Open service...\n", "Can't open service\n", "Service has dependencies\n"}));
}

TEST_F(DependencyCheckTest, AManagerThatCannotBeOpenedIsNotRemovableWithTheRunTogetherLine) {
  InstallOnAccess();
  services().deniedAccess = SC_MANAGER_ALL_ACCESS;
  EXPECT_EQ(OnAccessDriversRemovable(), 0);
  EXPECT_EQ(trace(), Traced({"Can't open service manager", "Service has dependencies\n"}));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(DependencyCheckTest, AnEnumerationThatFailsIsNotRemovable) {
  InstallOnAccess();
  services().Install("Varden Tessor", SERVICE_RUNNING, {"Varden Wardel"});
  machine().faults.FailCall("EnumDependentServicesA", 1, ERROR_ACCESS_DENIED);  // the size query
  EXPECT_EQ(OnAccessDriversRemovable(), 0);
  machine().faults.FailCall("EnumDependentServicesA", 3, ERROR_ACCESS_DENIED);  // the listing
  EXPECT_EQ(OnAccessDriversRemovable(), 0);
  EXPECT_EQ(machine().faults.CallCount("EnumDependentServicesA"), 3u);
  EXPECT_EQ(OnAccessDriversRemovable(), 1);  // and without a failure it would be
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(DependencyCheckTest, TheWorkerTakesAnyToleratedList) {
  services().Install("Spooler", SERVICE_RUNNING);
  services().Install("Fax", SERVICE_RUNNING, {"Spooler"});
  const char* const fax[] = {"Fax"};
  EXPECT_EQ(ServiceHasForeignDependents("Spooler", fax, 1), 0);
  EXPECT_EQ(ServiceHasForeignDependents("Spooler", fax, 0), 1);
}

}  // namespace
