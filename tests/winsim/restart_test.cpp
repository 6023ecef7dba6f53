// The simulated machine's power cut and restart, which the cut sweep builds on: after the
// cut nothing changes, and the restart brings the machine up as Windows' start does.
#include <windows.h>

#include "common/machine_test.h"

namespace {

class RestartTest : public MachineTest {};

TEST_F(RestartTest, AfterTheCutNothingChangesAndTheRestartDropsTheHandlesAndWhatWasNotFlushed) {
  machine().files.AddFile("C:\\a.txt", "flushed");
  machine().faults.CutPower(4);  // after a write that was never flushed
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, winsim::kSessionManagerKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  HANDLE file = CreateFileA("C:\\a.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "lost", 4, &written, nullptr));
  EXPECT_FALSE(DeleteFileA("C:\\a.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
  EXPECT_EQ(MessageBoxA(nullptr, "shown?", "no", MB_OK), 0);  // no answerer is asked
  OutputDebugStringA("recorded?\n");
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_NE(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_TRUE(machine().ui.boxes.empty() && machine().debug.pieces.empty());
  EXPECT_EQ(machine().OpenHandles(), 2u);

  machine().Restart();
  EXPECT_EQ(machine().OpenHandles(), 0u);
  EXPECT_EQ(machine().files.ReadFile("C:\\a.txt"), "flushed");
  EXPECT_TRUE(DeleteFileA("C:\\a.txt"));  // the power is on again
}

TEST_F(RestartTest, ServicesComeUpAsTheirStartTypesSayAndTheRunKeysProgramsStart) {
  winsim::ServiceManager& services = machine().services;
  services.Install("Driver", SERVICE_STOPPED).type = SERVICE_KERNEL_DRIVER;  // automatic start
  services.Install("Needs driver", SERVICE_STOPPED, {"Driver"});
  services.Install("Needs the gone one", SERVICE_STOPPED, {"Gone"});
  services.Install("On demand", SERVICE_RUNNING);
  machine().registry.SetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\On demand", "Start",
                              SERVICE_DEMAND_START);
  services.Install("Marked", SERVICE_RUNNING).markedForDelete = true;
  services.Install("Gone", SERVICE_RUNNING);
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Gone");
  const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  machine().registry.SetString(HKEY_LOCAL_MACHINE, kRun, "there", "C:\\Program Files\\A\\a.exe /startup");
  machine().registry.SetString(HKEY_LOCAL_MACHINE, kRun, "missing", "C:\\Program Files\\B\\b.exe");
  machine().files.AddFile("C:\\Program Files\\A\\a.exe");
  machine().processes.Script("C:\\Program Files\\A\\a.exe",
                             {[&](const winsim::Launch&) { machine().desktop.StartProgram("A window"); }});
  machine().desktop.StartProgram("Ended by the restart");

  machine().Restart();
  EXPECT_EQ(services.Dump(), "Driver state 4\nNeeds driver state 4\nNeeds the gone one state 1\nOn demand state 1\n");
  EXPECT_FALSE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Marked"));
  EXPECT_TRUE(machine().desktop.HasWindow("A window"));
  EXPECT_FALSE(machine().desktop.HasWindow("Ended by the restart"));
  ASSERT_EQ(machine().processes.launches.size(), 1u);
  EXPECT_EQ(machine().processes.launches[0].commandLine, "C:\\Program Files\\A\\a.exe /startup");
}

}  // namespace
