// The simulated machine's power cut and restart, which the cut sweep builds on: after the
// cut nothing changes, and the restart brings the machine up as Windows' start does.
#include <windows.h>

#include "common/machine_test.h"

namespace {

class RestartTest : public MachineTest {};

TEST_F(RestartTest, AfterTheCutNothingChangesAndTheRestartDropsTheHandlesAndWhatWasNotFlushed) {
  machine().files.AddFile("C:\\a.txt", "flushed");
  machine().faults.CutPower(3);  // after a write that was never flushed
  HANDLE file = CreateFileA("C:\\a.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "lost", 4, &written, nullptr));
  EXPECT_FALSE(DeleteFileA("C:\\a.txt") || CloseHandle(file));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
  EXPECT_EQ(MessageBoxA(nullptr, "shown?", "no", MB_OK), 0);  // no answerer is asked
  OutputDebugStringA("recorded?\n");
  EXPECT_TRUE(machine().ui.boxes.empty() && machine().debug.pieces.empty());

  machine().Restart();
  EXPECT_EQ(machine().OpenHandles(), 0u);
  EXPECT_EQ(machine().files.ReadFile("C:\\a.txt"), "flushed");
  EXPECT_TRUE(DeleteFileA("C:\\a.txt"));  // the power is on again
}

TEST_F(RestartTest, ServicesComeUpAsTheirStartTypesSayAndTheRunKeysProgramsStart) {
  winsim::ServiceManager& services = machine().services;
  for (const char* name : {"Gone", "Marked", "On demand", "Automatic"}) services.Install(name, SERVICE_RUNNING);
  services.Install("Needs automatic", SERVICE_STOPPED, {"Automatic"});
  services.Install("Needs gone", SERVICE_STOPPED, {"Gone"});
  services.Get("Marked")->markedForDelete = true;
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Gone");
  machine().registry.SetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\On demand", "Start", 3);
  const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  machine().registry.SetString(HKEY_LOCAL_MACHINE, kRun, "there", "C:\\Program Files\\A\\a.exe /startup");
  machine().registry.SetString(HKEY_LOCAL_MACHINE, kRun, "missing", "C:\\Program Files\\B\\b.exe");
  machine().files.AddFile("C:\\Program Files\\A\\a.exe");
  machine().processes.Script("C:\\Program Files\\A\\a.exe",
                             {[&](const winsim::Launch&) { machine().desktop.StartProgram("A window"); }});
  machine().desktop.StartProgram("Ended by the restart");

  machine().Restart();
  EXPECT_EQ(services.Dump(), "On demand state 1\nAutomatic state 4\nNeeds automatic state 4\nNeeds gone state 1\n");
  EXPECT_FALSE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Marked"));
  EXPECT_TRUE(machine().desktop.HasWindow("A window") && !machine().desktop.HasWindow("Ended by the restart"));
  ASSERT_EQ(machine().processes.launches.size(), 1u);
  EXPECT_EQ(machine().processes.launches[0].commandLine, "C:\\Program Files\\A\\a.exe /startup");
}

}  // namespace
